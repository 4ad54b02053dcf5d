// A polled charger behind a message link whose answers come late, twice,
// swapped or not at all: a stand-in peer plays the charger (the emulator's
// answering chargers) on the session's manual clock, through the session's
// own link source. Rows come from answers in time only, once each; a
// charger that stops answering is lost after the driver's retries, with
// its alarm, and a reconnect goes on with the recording when it answers
// again.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <map>
#include <memory>

#include "links/message_link.h"
#include "protocol/driver_registry.h"
#include "protocol/isdt_driver.h"
#include "protocol/skyrc_driver.h"
#include "readout/row_store.h"
#include "session/link_source.h"
#include "session/live_session.h"
#include "tools/emulator/answering_charger.h"

namespace cellwatch::session {
namespace {

enum class Answers { Prompt, Twice, Late, Swapped, Never };

// The charger's end of the link: each request's answers, delivered when
// the way it answers says.
class StandInPeer final : public MessageLink {
public:
    StandInPeer(emulator::AnsweringCharger& charger, const ManualTickClock& ticks,
                std::uint32_t timeoutMs)
        : charger_(charger), ticks_(ticks), timeoutMs_(timeoutMs) {}

    QString name() const override { return QStringLiteral("stand-in"); }
    void open() override { open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool write(std::span<const std::uint8_t> message, std::string_view target) override {
        if (!open_) {
            return false;
        }
        const std::uint32_t now = ticks_.tickCount();
        const bool odd = ++requests_ % 2 == 1;
        // Held back for the next request: it goes out once this one timed out.
        for (std::vector<std::uint8_t>& reply : held_) {
            owed_.push_back({now + 10, true, std::move(reply)});
        }
        held_.clear();
        for (auto& reply : charger_.answer(message, target, now)) {
            switch (answers) {
                case Answers::Prompt:
                    owed_.push_back({now + 20, false, reply});
                    break;
                case Answers::Twice:
                    owed_.push_back({now + 20, false, reply});
                    owed_.push_back({now + 30, false, reply});
                    break;
                case Answers::Late:
                    owed_.push_back({now + timeoutMs_ + 100, true, reply});
                    break;
                case Answers::Swapped:  // an odd one's after the next one is asked
                    if (odd) {
                        held_.push_back(std::move(reply));
                    } else {
                        owed_.push_back({now + 20, false, reply});
                    }
                    break;
                case Answers::Never:
                    break;
            }
        }
        return true;
    }

    // Delivers what is owed by now, earliest first.
    void deliver(std::uint32_t now) {
        std::stable_sort(owed_.begin(), owed_.end(),
                         [](const Owed& a, const Owed& b) { return a.atMs < b.atMs; });
        while (open_ && !owed_.empty() && owed_.front().atMs <= now) {
            const Owed o = owed_.front();
            owed_.erase(owed_.begin());
            delivering = o.late ? Delivery::Late : Delivery::InTime;
            emit received(QByteArray(reinterpret_cast<const char*>(o.bytes.data()),
                                     static_cast<qsizetype>(o.bytes.size())));
            delivering = Delivery::None;
        }
    }

    Answers answers = Answers::Prompt;
    enum class Delivery { None, InTime, Late };
    Delivery delivering = Delivery::None;

private:
    struct Owed {
        std::uint32_t atMs;
        bool late;  // after the driver's time-out
        std::vector<std::uint8_t> bytes;
    };
    emulator::AnsweringCharger& charger_;
    const ManualTickClock& ticks_;
    std::uint32_t timeoutMs_;
    bool open_ = false;
    int requests_ = 0;
    std::vector<Owed> owed_;
    std::vector<std::vector<std::uint8_t>> held_;
};

struct Counts {
    std::map<int, std::vector<std::uint32_t>> rowTicks;  // by channel
    int staleRows = 0;                                   // made by a late answer
    int duplicateRows = 0;  // a channel's row within half a round of its last
    std::map<int, int> lostAlarms;
};

// A session talking to a stand-in peer, on a clock stepped by hand.
class Conversation {
public:
    void start(const char* charger, std::uint32_t timeoutMs) {
        peerCharger = emulator::makeAnsweringCharger(charger, "");
        timeout = timeoutMs;
        ASSERT_TRUE(session.setCharger(charger));
        session.pollClock().hold();
        session.alarmClock().hold();
        QObject::connect(&session, &LiveSession::channelRowAppended, [this](int channel, int) {
            std::vector<std::uint32_t>& at = run.rowTicks[channel];
            if (!at.empty() && ticks.tickCount() - at.back() < 500) {
                ++run.duplicateRows;
            }
            at.push_back(ticks.tickCount());
            if (peer != nullptr && peer->delivering == StandInPeer::Delivery::Late) {
                ++run.staleRows;
            }
        });
        QObject::connect(&session, &LiveSession::channelAlarmRaised,
                         [this](int channel, const alarms::Alarm& alarm) {
                             if (alarm.kind == alarms::Kind::Lost) {
                                 ++run.lostAlarms[channel];
                             }
                         });
        connect(false);
    }
    void connect(bool continuing) {
        auto link = std::make_unique<StandInPeer>(*peerCharger, ticks, timeout);
        peer = link.get();
        session.open(std::make_unique<LinkSource>(session.sourceEvents(), std::move(link)),
                     continuing);
    }
    // `ms` of the conversation, answered as `answers` says.
    void talk(Answers answers, std::uint32_t ms) {
        peer->answers = answers;
        for (const std::uint32_t end = now + ms; now < end; now += 10) {
            ticks.set(now);
            peer->deliver(now);
            session.pollClock().step();
            session.alarmClock().step();
        }
    }
    int rows() const {
        int n = 0;
        for (const auto& [channel, at] : run.rowTicks) {
            n += static_cast<int>(at.size());
        }
        return n;
    }

    std::uint32_t now = 100'000;
    ManualTickClock ticks{now};
    ManualWallClock wall{QDateTime(QDate(2026, 12, 5), QTime(14, 30, 12))};
    RowStore table;
    LiveSession session{SessionParts{table, ticks, wall}};
    std::unique_ptr<emulator::AnsweringCharger> peerCharger;
    StandInPeer* peer = nullptr;  // the session's source owns it
    std::uint32_t timeout = 0;
    Counts run;
};

struct Charger {
    const char* id;
    std::uint32_t timeoutMs;
};
const Charger kChargers[] = {{"skyrc", SkyrcDriver::kAnswerMs}, {"isdt", IsdtDriver::kAnswerMs}};

TEST(PolledLinkAnswers, NoRowIsStaleOrTwice) {
    for (const Charger& charger : kChargers) {
        for (const Answers answers : {Answers::Twice, Answers::Late, Answers::Swapped}) {
            SCOPED_TRACE(std::string(charger.id) + " answers " +
                         std::to_string(static_cast<int>(answers)));
            Conversation t;
            t.start(charger.id, charger.timeoutMs);
            t.talk(Answers::Prompt, 5000);
            const int before = t.rows();
            ASSERT_GT(before, 0);
            t.talk(answers, 10'000);
            EXPECT_EQ(t.run.staleRows, 0);
            EXPECT_EQ(t.run.duplicateRows, 0);
            // Every answer late is no answer: the charger is lost.
            EXPECT_EQ(t.session.state(),
                      answers == Answers::Late ? LinkState::Lost : LinkState::Connected);
        }
    }
}

TEST(PolledLinkAnswers, SilenceIsLostAfterTheRetriesAndAReconnectGoesOn) {
    for (const Charger& charger : kChargers) {
        SCOPED_TRACE(charger.id);
        Conversation t;
        t.start(charger.id, charger.timeoutMs);
        t.talk(Answers::Prompt, 5000);
        const int channels = t.session.channelCount();
        const int before = t.rows();
        ASSERT_GT(before, 0);
        t.talk(Answers::Never, 20'000);
        EXPECT_EQ(t.session.state(), LinkState::Lost);
        for (int channel = 1; channel <= channels; ++channel) {
            EXPECT_EQ(t.run.lostAlarms[channel], 1) << channel;
        }
        const int rowsLost = t.rows();
        t.connect(true);
        t.talk(Answers::Prompt, 5000);
        EXPECT_EQ(t.session.state(), LinkState::Connected);
        EXPECT_GT(t.rows(), rowsLost);
        EXPECT_EQ(t.run.staleRows, 0);
        EXPECT_EQ(t.run.duplicateRows, 0);
    }
}

}  // namespace
}  // namespace cellwatch::session
