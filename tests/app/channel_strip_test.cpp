// The channel cards through the real strip offscreen: recordings fed
// readings as a driver hands them over, clicks and keys as a user gives them.
#include "app/channel_strip.h"
#include "app/language.h"

#include <gtest/gtest.h>

#include <qcustomplot.h>

#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

#include "app/channel_card.h"
#include "readout/recording.h"
#include "readout/row_store.h"

namespace cellwatch {
namespace {

Decimal volts(int hundredths) {
    return Decimal::fromHundredths(hundredths);
}

Reading reading(int voltHundredths, std::initializer_list<int> cellMillivolts,
                ChargeState state = ChargeState::Charging, std::string stateText = {}) {
    Reading r;
    r.state = state;
    r.stateText = std::move(stateText);
    r.chemistry = Chemistry::LiPo;
    r.voltage = volts(voltHundredths);
    r.current = volts(250);
    r.capacity = Decimal::fromInt(1234);
    for (int mv : cellMillivolts) {
        r.cells[static_cast<std::size_t>(r.cellCount++)] = Decimal::fromThousandths(mv);
    }
    return r;
}

// A channel's recording on clocks set by hand.
struct Channel {
    static constexpr std::uint32_t kStartTicks = 1000;
    ManualTickClock ticks{kStartTicks};
    ManualWallClock wall{QDateTime(QDate(2026, 3, 1), QTime(10, 0))};
    RowStore table;
    Recording recording{table, ticks, wall};
    std::uint32_t ms = 0;

    Channel() { recording.begin(); }
    void feed(Reading r) {
        ms += 1000;
        ticks.set(kStartTicks + ms);
        wall.advance(1000);
        r.elapsedMs = ms;
        recording.acceptReading(r);
    }
};

TEST(WorstCellTest, PicksTheCellThatLooksWorst) {
    struct Case {
        const char* name;
        Reading reading;
        int cell;  // 0: none
    };
    Reading sixteen = reading(6000, {}, ChargeState::Discharging);
    for (int k = 0; k < kMostCells; ++k) {
        sixteen.cells[static_cast<std::size_t>(k)] = Decimal::fromThousandths(3750);
    }
    sixteen.cellCount = kMostCells;
    sixteen.cells[13] = Decimal::fromThousandths(3910);
    const Case cases[] = {
        {"charging: the lowest", reading(1200, {4010, 3950, 4020}), 2},
        {"charging: a tie goes to the lower number", reading(1200, {3950, 4000, 3950}), 1},
        {"discharging: the one far above the others",
         reading(1200, {3700, 3900, 3710}, ChargeState::Discharging), 2},
        {"resting: the one far below the others",
         reading(1200, {3800, 3810, 3600, 3805}, ChargeState::Resting), 3},
        {"absent cells take no part", reading(800, {0, 3900, 3700, 0}), 3},
        {"one cell: none", reading(400, {3900}), 0},
        {"no cells: none", reading(400, {}), 0},
        {"cell 14 of 16", sixteen, 14},
    };
    for (const Case& c : cases) {
        const std::optional<WorstCell> worst = worstCell(c.reading);
        EXPECT_EQ(worst ? worst->cell : 0, c.cell) << c.name;
        if (worst) {
            EXPECT_EQ(worst->volts, c.reading.cells[static_cast<std::size_t>(c.cell - 1)])
                << c.name;
        }
    }
}

class ChannelStripTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(700, 160);
        strip = new ChannelStrip(&window);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(strip);
        strip->setRecordings({&one.recording, &two.recording});
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QWidget window;
    Channel one;
    Channel two;
    ChannelStrip* strip = nullptr;
};

TEST_F(ChannelStripTest, EachCardShowsItsOwnChannel) {
    one.feed(reading(1265, {4210, 4180, 4220}, ChargeState::Charging, "CHG"));
    two.feed(reading(740, {3700, 3910}, ChargeState::Discharging));
    two.feed(reading(738, {3690, 3900}, ChargeState::Discharging));

    struct Expect {
        int channel;
        QString state, voltage, worst;
        int points;
    };
    const Expect expected[] = {
        {0, "CHG", "12.650 V", "Worst 2: 4.180 V", 1},
        {1, "Discharging", "7.380 V", "Worst 1: 3.690 V", 2},
    };
    for (const Expect& e : expected) {
        const ChannelCard* card = strip->card(e.channel);
        ASSERT_NE(card, nullptr);
        EXPECT_EQ(card->stateText(), e.state) << e.channel;
        EXPECT_EQ(card->voltageText(), e.voltage) << e.channel;
        EXPECT_EQ(card->currentText(), "2.50 A") << e.channel;
        EXPECT_EQ(card->capacityText(), "1234 mAh") << e.channel;
        EXPECT_EQ(card->worstCellText(), e.worst) << e.channel;
        EXPECT_EQ(card->curvePointCount(), e.points) << e.channel;
    }

    // The cards follow a switch of language by themselves.
    installLanguage(Language::Chinese);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_EQ(strip->card(1)->stateText(), QString::fromUtf8("放电"));
    EXPECT_EQ(strip->card(1)->worstCellText(), QString::fromUtf8("最差 1：3.690 V"));
    EXPECT_EQ(strip->card(0)->stateText(), "CHG");  // the charger's own word stays
    installLanguage(Language::German);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_EQ(strip->card(1)->worstCellText(), QString::fromUtf8("Schw. 1: 3.690 V"));
    installLanguage(Language::English);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_EQ(strip->card(1)->worstCellText(), "Worst 1: 3.690 V");
}

TEST_F(ChannelStripTest, ClicksAndKeysChooseAChannel) {
    QSignalSpy chosen(strip, &ChannelStrip::channelChosen);
    QTest::mouseClick(strip->card(1), Qt::LeftButton);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.takeFirst().at(0).toInt(), 1);
    EXPECT_TRUE(strip->card(1)->chosen());
    EXPECT_FALSE(strip->card(0)->chosen());

    // The arrows move the focus only; Enter chooses.
    QTest::keyClick(strip->card(1), Qt::Key_Left);
    EXPECT_TRUE(strip->card(0)->hasFocus());
    EXPECT_EQ(chosen.count(), 0);
    QTest::keyClick(strip->card(0), Qt::Key_Left);  // no card before the first
    EXPECT_TRUE(strip->card(0)->hasFocus());
    QTest::keyClick(strip->card(0), Qt::Key_Return);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.takeFirst().at(0).toInt(), 0);
    EXPECT_EQ(strip->chosen(), 0);
}

TEST_F(ChannelStripTest, HiddenForOneChannelOrNone) {
    struct Case {
        std::vector<Recording*> recordings;
        bool shown;
    };
    const Case cases[] = {
        {{&one.recording}, false},
        {{}, false},
        {{&one.recording, &two.recording}, true},
    };
    for (const Case& c : cases) {
        strip->setRecordings(c.recordings);
        EXPECT_EQ(strip->isVisible(), c.shown) << c.recordings.size();
        EXPECT_EQ(strip->count(), static_cast<int>(c.recordings.size()));
    }
}

TEST_F(ChannelStripTest, RecordingsOutliveTheirCards) {
    strip->setRecordings({&two.recording, &one.recording});
    one.feed(reading(1100, {3700, 3710, 3720}));  // the first cards are gone
    EXPECT_EQ(strip->card(1)->voltageText(), "11.000 V");
    EXPECT_EQ(strip->card(0)->curvePointCount(), 0);

    delete strip;
    strip = nullptr;
    one.feed(reading(1101, {3700, 3710, 3720}));  // and now the strip itself
    two.feed(reading(1101, {3700, 3710, 3720}));
    EXPECT_EQ(one.recording.rows(), 2);
}

TEST_F(ChannelStripTest, AlarmMarkAndChosenCardFollowTheCalls) {
    strip->markAlarm(1, true);
    strip->markAlarm(5, true);  // no such channel
    strip->setChosen(1);
    EXPECT_FALSE(strip->card(0)->alarmed());
    EXPECT_TRUE(strip->card(1)->alarmed());
    EXPECT_TRUE(strip->card(1)->chosen());
    strip->markAlarm(1, false);
    strip->setChosen(7);
    EXPECT_FALSE(strip->card(1)->alarmed());
    EXPECT_EQ(strip->chosen(), -1);
    EXPECT_FALSE(strip->card(1)->chosen());
}

TEST_F(ChannelStripTest, CurveStaysSmallOverALongCharge) {
    // A second's readings for over an hour, the pause rule never met.
    for (int i = 0; i < 4000; ++i) {
        one.feed(reading(1200 + i % 50, {4000, 4010, 4020}));
    }
    const ChannelCard* card = strip->card(0);
    EXPECT_LE(card->curvePointCount(), ChannelCard::kMostPoints);
    EXPECT_GE(card->curvePointCount(), ChannelCard::kMostPoints / 2);
    // It still spans the charge: from its start to near its end.
    const auto data = card->curve()->graph(0)->data();
    const double span = data->at(data->size() - 1)->key - data->at(0)->key;
    EXPECT_GT(span, 3900.0 / 86400.0);
}

}  // namespace
}  // namespace cellwatch
