// A charger of several channels on one connection: each channel records,
// alarms and journals on its own, on clocks the tests hold.
#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "readout/journal.h"
#include "readout/recording_file.h"
#include "readout/row_store.h"
#include "serial/capture.h"
#include "session/fed_source.h"
#include "session/live_session.h"
#include "session/replay_source.h"
#include "tests/session/pair_driver.h"

namespace cellwatch::session {
namespace {

class Channels : public ::testing::Test {
protected:
    void SetUp() override {
        session_ = std::make_unique<LiveSession>(SessionParts{rows_, ticks_, wall_});
        counted_ = std::make_unique<QSignalSpy>(session_.get(), &LiveSession::channelsChanged);
        session_->setCharger(testing::pairDriverEntry());
    }
    void open(bool journaled) {
        if (journaled) {
            session_->setJournal(&journal_);
        }
        session_->open(std::make_unique<FedSource>(QStringLiteral("/dev/ttyUSB0"), true));
    }
    // One receive event `ms` after the last.
    void feed(const std::string& lines, std::uint32_t ms = 1000) {
        ticks_.advance(ms);
        wall_.advance(ms);
        session_->take({reinterpret_cast<const std::uint8_t*>(lines.data()), lines.size()});
    }
    QStringList texts(int channel, int column) {
        QStringList out;
        RowStore& rows = session_->rows(channel);
        for (int row = 1; row < rows.gridRowCount(); ++row) {
            out << rows.gridText(row, column);
        }
        return out;
    }

    QTemporaryDir dir_;
    ManualTickClock ticks_{5000};
    ManualWallClock wall_{QDateTime(QDate(2026, 12, 5), QTime(14, 30, 12))};
    RowStore rows_;
    Journal journal_{dir_.filePath(QStringLiteral("recordings")), QStringLiteral("test")};
    std::unique_ptr<LiveSession> session_;
    std::unique_ptr<QSignalSpy> counted_;
};

// Each reading goes to its channel's table; channel 1's is the front end's.
TEST_F(Channels, ReadingsGoToTheChannelTheyName) {
    open(false);
    ASSERT_EQ(session_->channelCount(), 2);
    ASSERT_EQ(counted_->count(), 1);
    EXPECT_EQ(counted_->front().at(0).toInt(), 2);
    QSignalSpy firstRows(session_.get(), &LiveSession::rowAppended);
    QSignalSpy anyRows(session_.get(), &LiveSession::channelRowAppended);
    struct Step {
        const char* lines;
        int rows1;
        int rows2;
    };
    const Step steps[] = {
        {"1,11.10,1.50,10\n", 1, 0},
        {"2,7.40,0.80,5\n1,11.20,1.50,20\n", 2, 1},
        {"2,7.50,0.80,9\n", 2, 2},
        {"idle,2\n1,11.30,1.50,30\n", 3, 2},  // an idle reading makes no row
    };
    for (const Step& step : steps) {
        feed(step.lines);
        SCOPED_TRACE(step.lines);
        EXPECT_EQ(session_->rows(1).dataRowCount(), static_cast<std::size_t>(step.rows1));
        EXPECT_EQ(session_->rows(2).dataRowCount(), static_cast<std::size_t>(step.rows2));
    }
    EXPECT_EQ(&session_->rows(1), &rows_);
    EXPECT_EQ(&session_->recording(1), &session_->recording());
    EXPECT_EQ(texts(2, kFieldVoltage + 1), (QStringList{"7.40", "7.50"}));
    EXPECT_EQ(firstRows.count(), 3);
    EXPECT_EQ(anyRows.count(), 5);
    EXPECT_EQ(anyRows.at(1).at(0).toInt(), 2);
}

// A reading for a channel the charger does not have is dropped with one
// notice; a charger that tells of more channels gets them at once.
TEST_F(Channels, ChannelsBeyondTheCountAreDroppedUntilTheChargerHasThem) {
    open(false);
    QSignalSpy notices(session_.get(), &LiveSession::notice);
    feed("3,7.40,0.80,5\n0,7.40,0.80,5\n");
    feed("3,7.40,0.80,5\n");
    EXPECT_EQ(session_->readingsDropped(), 3u);
    EXPECT_EQ(notices.count(), 1);
    EXPECT_EQ(session_->channelCount(), 2);

    feed("n=3\n3,7.40,0.80,5\n");
    EXPECT_EQ(session_->channelCount(), 3);
    EXPECT_EQ(counted_->back().at(0).toInt(), 3);
    EXPECT_EQ(session_->rows(3).dataRowCount(), 1u);
    EXPECT_EQ(session_->readingsDropped(), 3u);

    // Back to the first family: one channel again.
    ASSERT_TRUE(session_->setCharger("tkrx"));
    EXPECT_EQ(session_->channelCount(), 1);
    EXPECT_EQ(counted_->back().at(0).toInt(), 1);
}

// The pause rule, the idle look and the elapsed times are each channel's:
// a channel that pauses restarts alone and counts from its own restart.
TEST_F(Channels, AChannelThatPausesRestartsAlone) {
    open(false);
    QSignalSpy restarted(session_.get(), &LiveSession::channelRestarted);
    QSignalSpy idle(session_.get(), &LiveSession::channelIdleShown);
    feed("1,11.10,1.50,10\n2,7.40,0.80,5\n");
    for (int k = 0; k < 6; ++k) {
        feed("1,11.10,1.50,10\n");  // channel 2 says nothing for 6 s
    }
    feed("2,7.40,0.80,6\n1,11.10,1.50,10\n");  // past the pause limit: a new recording
    feed("2,7.40,0.80,7\n1,11.10,1.50,10\n");
    feed("2,7.40,0.80,8\n1,11.10,1.50,10\n", 3000);
    ASSERT_EQ(restarted.count(), 1);
    EXPECT_EQ(restarted.front().at(0).toInt(), 2);
    EXPECT_EQ(session_->rows(1).dataRowCount(), 10u);
    EXPECT_EQ(texts(1, kFieldElapsed + 1).back(), QStringLiteral("0:00:12"));
    // Channel 2's rows: the restart's first row, then 3 s after it.
    EXPECT_EQ(texts(2, kFieldElapsed + 1), (QStringList{"0:00:01", "0:00:04"}));

    // The link is lost and comes back: each channel goes on on its own
    // time base.
    session_->sourceEvents().lost(QStringLiteral("gone"));
    session_->open(std::make_unique<FedSource>(QStringLiteral("/dev/ttyUSB0"), true), true);
    feed("2,7.40,0.80,9\n1,11.10,1.50,10\n");
    EXPECT_EQ(restarted.count(), 1);
    EXPECT_EQ(texts(2, kFieldElapsed + 1).back(), QStringLiteral("0:00:05"));
    EXPECT_EQ(texts(1, kFieldElapsed + 1).back(), QStringLiteral("0:00:13"));

    feed("late,2\n");
    feed("late,0\n");
    ASSERT_EQ(idle.count(), 3);
    EXPECT_EQ(idle.at(0).at(0).toInt(), 2);
}

// Every channel has its own journal, named by the charger and the channel,
// read back as any other; the loss of the line is every channel's alarm.
TEST_F(Channels, EachChannelHasItsJournalAndItsLostAlarm) {
    open(true);
    QSignalSpy alarms(session_.get(), &LiveSession::channelAlarmRaised);
    QSignalSpy firstAlarms(session_.get(), &LiveSession::alarmRaised);
    alarms::AlarmSettings settings = alarms::AlarmSettings::defaults();
    settings[alarms::Kind::CellHigh].limit = Decimal::fromHundredths(420);
    feed("1,11.10,1.50,10\n2,7.40,0.80,5\n");
    session_->setAlarmSettings(settings);           // while recording: every channel's
    feed("1,11.20,1.50,20\n2,7.50,0.80,6,4.21\n");  // channel 2's cells too high
    ASSERT_EQ(alarms.count(), 1);
    EXPECT_EQ(alarms.front().at(0).toInt(), 2);
    EXPECT_EQ(firstAlarms.count(), 0);
    session_->sourceEvents().lost(QStringLiteral("gone"));
    ASSERT_EQ(alarms.count(), 3);
    EXPECT_EQ(firstAlarms.count(), 1);
    session_->giveUp();

    const std::vector<JournalInfo> journals = listJournals(journal_.folder());
    ASSERT_EQ(journals.size(), 2u);
    for (int channel = 1; channel <= 2; ++channel) {
        const JournalInfo& info = journals[static_cast<std::size_t>(channel - 1)];
        SCOPED_TRACE(info.path.toStdString());
        EXPECT_EQ(
            QFileInfo(info.path).fileName().toStdString(),
            QStringLiteral("cellwatch-20261205-143012-pair-%1.csv").arg(channel).toStdString());
        EXPECT_EQ(info.driver.toStdString(), "pair");
        EXPECT_EQ(info.channel, channel);
        EXPECT_EQ(info.rowCount, 2);
        EXPECT_EQ(info.start, QDateTime(QDate(2026, 12, 5), QTime(14, 30, 12)));
        EXPECT_EQ(journalStartFromName(QFileInfo(info.path).fileName()), info.start);
        RecordingFile file;
        ASSERT_TRUE(file.read(info.path));
        EXPECT_EQ(file.rowCount(), 2u);
        QFile text(info.path);
        ASSERT_TRUE(text.open(QIODevice::ReadOnly));
        const QByteArray bytes = text.readAll();
        EXPECT_TRUE(bytes.trimmed().contains("# alarm lost: Link lost") &&
                    bytes.trimmed().endsWith(": gone\""))
            << bytes.toStdString();
        EXPECT_EQ(bytes.count("# alarm cell-high"), channel == 2 ? 1 : 0);
    }
}

// A capture of a charger of two channels replays to both channels, row for
// row as the live run recorded them.
TEST_F(Channels, ACaptureReplaysToEveryChannel) {
    const std::string path = dir_.filePath(QStringLiteral("pair.cwcap")).toStdString();
    {
        CaptureWriter capture(path);
        session_->setCapture(&capture);
        open(false);
        const SourceEvents events = session_->sourceEvents();
        for (const std::string lines : {"1,11.10,1.50,10\n2,7.40,0.80,5\n", "2,7.50,0.80,6\n",
                                        "1,11.20,1.50,20\n2,7.60,0.80,7\n"}) {
            ticks_.advance(1000);
            wall_.advance(1000);
            testing::deliver(events, lines);
        }
        session_->stop();
        session_->setCapture(nullptr);
        capture.close();
    }
    RowStore rows;
    LiveSession replay({rows, ticks_, wall_});
    replay.setCharger(testing::pairDriverEntry());
    QSignalSpy ended(&replay, &LiveSession::ended);
    replay.open(
        std::make_unique<ReplaySource>(replay.sourceEvents(), QString::fromStdString(path), 0));
    ASSERT_TRUE(ended.wait(10000));
    for (int channel = 1; channel <= 2; ++channel) {
        SCOPED_TRACE(channel);
        for (const int column : {kFieldElapsed + 1, kFieldVoltage + 1}) {
            QStringList replayed;
            for (int row = 1; row < replay.rows(channel).gridRowCount(); ++row) {
                replayed << replay.rows(channel).gridText(row, column);
            }
            EXPECT_EQ(replayed, texts(channel, column));
        }
    }
    EXPECT_EQ(replay.rows(2).dataRowCount(), 3u);
}

// The first family's one channel keeps its journal's name and line.
TEST(ChannelJournalNames, NamedForAnyOtherChargerOrChannel) {
    struct Case {
        const char* driver;
        int channel;
        const char* name;
        const char* line;
    };
    const Case cases[] = {
        {"tkrx", 0, "cellwatch-20261205-143012.csv", "charger=tkrx\""},
        {"icharger", 2, "cellwatch-20261205-143012-icharger-2.csv",
         "charger=icharger; channel=2\""},
        {"described", 1, "cellwatch-20261205-143012-described-1.csv",
         "charger=described; channel=1\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        ManualTickClock ticks;
        ManualWallClock wall(QDateTime(QDate(2026, 12, 5), QTime(14, 30, 12)));
        RowStore rows;
        Recording recording(rows, ticks, wall);
        recording.begin();
        Reading r;
        r.state = ChargeState::Charging;
        r.chemistry = Chemistry::LiPo;
        r.voltage = Decimal::fromHundredths(1110);
        recording.acceptReading(r);
        Journal journal(dir.path(), QStringLiteral("test"));
        journal.setCharger(QString::fromUtf8(c.driver), c.channel);
        const std::unique_ptr<Journal> again = journal.alike();
        again->begin(wall.now(), QStringLiteral("/dev/ttyUSB0"));
        again->appendRow(rows, 1);  // the name; the next of the same start: -2
        journal.begin(wall.now(), QStringLiteral("/dev/ttyUSB0"));
        journal.appendRow(rows, 1);
        journal.end();
        again->end();
        EXPECT_EQ(QFileInfo(again->path()).fileName(), QString::fromUtf8(c.name));
        EXPECT_EQ(
            QFileInfo(journal.path()).fileName(),
            QString::fromUtf8(c.name).replace(QStringLiteral(".csv"), QStringLiteral("-2.csv")));
        QFile file(journal.path());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(QString::fromUtf8(file.readLine()).trimmed().endsWith(c.line));
        EXPECT_EQ(journalStartFromName(QFileInfo(journal.path()).fileName()), wall.now());
    }
}

}  // namespace
}  // namespace cellwatch::session
