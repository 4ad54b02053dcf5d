// A charger of two channels recorded by a session that publishes to a
// broker of the test's own, watched whole (an address naming no channel) in
// a window: a card per channel, each channel its own recording, a card's
// click showing that channel, and a late watcher taking up each channel
// where the publisher's stands. An address naming a channel still shows
// that one alone.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>

#include "app/channel_card.h"
#include "app/channel_choice.h"
#include "app/channel_strip.h"
#include "app/network_watch.h"
#include "app/settings.h"
#include "net/publisher.h"
#include "readout/row_store.h"
#include "session/fed_source.h"
#include "test_broker.h"
#include "tests/session/pair_driver.h"
#include "tests/support/settle.h"

namespace cellwatch {
namespace {

using nettest::TestBroker;
using nettest::waitUntil;

class ChargerWatch : public ::testing::Test {
protected:
    ChargerWatch() {
        addDriver(testing::polledPairDriverEntry());  // for the watcher to find
        net::MqttOptions options;
        options.address = net::parseBrokerAddress(broker.address(QStringLiteral("duo")));
        publisher = std::make_unique<net::Publisher>(options, false);
        publisher->start();
        EXPECT_TRUE(waitUntil([&] { return publisher->client().isConnected(); }));
        charger.setCharger(testing::polledPairDriverEntry());
        charger.setPublisher(publisher.get());
    }
    ~ChargerWatch() override { publisher->finish(); }

    void openCharger() {
        charger.open(std::make_unique<session::FedSource>(QStringLiteral("/dev/ttyUSB0"), true));
        line = charger.sourceEvents();
    }
    // One receive event of the charger a second after the last.
    void receive(const std::string& text) {
        ticks.advance(1000);
        wall.advance(1000);
        testing::deliver(line, text);
    }
    std::unique_ptr<NetworkWatch> watch(const QString& suffix = {}) {
        MainWindow::Hooks h;
        h.showFailure = [this](QWidget*, const QString& text) { failures << text; };
        h.journalFolder = dir.filePath(QStringLiteral("journals"));
        h.isOnline = [] { return false; };
        return std::make_unique<NetworkWatch>(
            settings, broker.address(QStringLiteral("duo")) + suffix, QString(), h);
    }
    static QString shownVoltage(MainWindow& w, int row) {
        const QAbstractItemModel& shown = *w.tableView().model();  // from row 0
        return shown.data(shown.index(row, kFieldVoltage + 1)).toString();
    }
    static QString text(RowStore& rows, int row, int column) { return rows.gridText(row, column); }

    TestBroker broker;
    QTemporaryDir dir;
    FileSettingsStore store{dir.filePath(QStringLiteral("settings.ini"))};
    Settings settings{store};
    QStringList failures;
    std::unique_ptr<net::Publisher> publisher;
    ManualTickClock ticks{5000};
    ManualWallClock wall{QDateTime::fromMSecsSinceEpoch(1'796'606'575'000)};
    RowStore rows;
    session::LiveSession charger{{rows, ticks, wall}};
    session::SourceEvents line;
};

TEST_F(ChargerWatch, TheWholeChargerShowsACardPerChannelAndTheClickedOnesRows) {
    auto watching = watch();
    MainWindow& w = watching->window();
    openCharger();
    ASSERT_TRUE(waitUntil([&] { return watching->watching(); }));
    receive("1,12.10,1.0,10\n2,7.40,2.0,20\n");
    receive("2,7.50,2.0,30\n");
    session::LiveSession& live = w.session();
    ASSERT_TRUE(waitUntil([&] {
        return live.channelCount() == 2 && live.rows(2).dataRowCount() == 2 &&
               live.rows(1).dataRowCount() == 1;
    }));
    for (int channel : {1, 2}) {
        SCOPED_TRACE(channel);
        RowStore& mine = live.rows(channel);
        for (int row = 1; row < mine.gridRowCount(); ++row) {
            for (int column : {1, kFieldVoltage + 1, kFieldCurrent + 1}) {
                EXPECT_EQ(text(mine, row, column), text(charger.rows(channel), row, column));
            }
        }
        EXPECT_TRUE(live.journaling(channel));
    }

    ChannelStrip& strip = w.channels().strip();
    ASSERT_EQ(strip.count(), 2);
    test::settle();
    EXPECT_EQ(shownVoltage(w, 0), QStringLiteral("12.10"));
    QTest::mouseClick(strip.card(1), Qt::LeftButton);
    test::settle();
    EXPECT_EQ(w.channels().chosen(), 2);
    EXPECT_EQ(shownVoltage(w, 1), QStringLiteral("7.50"));
    EXPECT_DOUBLE_EQ(w.chart().pointY(kSeriesVoltage, 1), 7.5);
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'|').toStdString();
}

// A watcher that comes when both channels have rows: each channel goes on
// from its own last row on its own time base; an address naming channel 2
// shows that one alone, as channel 1 of a charger of one.
TEST_F(ChargerWatch, ALateWatcherTakesUpEachChannelWhereItStands) {
    openCharger();
    receive("1,12.10,1.0,10\n2,7.40,2.0,20\n");
    receive("1,12.20,1.0,11\n");
    receive("2,7.50,2.0,30\n");
    ASSERT_TRUE(waitUntil([&] { return publisher->client().backlog() == 0; }));

    auto whole = watch();
    auto second = watch(QStringLiteral("/2"));
    ASSERT_TRUE(waitUntil([&] { return whole->watching() && second->watching(); }));
    session::LiveSession& live = whole->window().session();
    session::LiveSession& one = second->window().session();
    ASSERT_TRUE(
        waitUntil([&] { return live.channelCount() == 2 && live.rows(2).dataRowCount() == 1; }));
    EXPECT_EQ(one.channelCount(), 1);
    const struct {
        session::LiveSession& session;
        int channel;
        int of;  // the charger's
        const char* volts;
    } taken[] = {{live, 1, 1, "12.20"}, {live, 2, 2, "7.50"}, {one, 1, 2, "7.50"}};
    for (const auto& t : taken) {
        SCOPED_TRACE(t.channel);
        ASSERT_EQ(t.session.rows(t.channel).dataRowCount(), 1u);
        EXPECT_EQ(text(t.session.rows(t.channel), 1, kFieldVoltage + 1), t.volts);
        EXPECT_EQ(t.session.recording(t.channel).connectTicks(),
                  charger.recording(t.of).connectTicks());
    }

    receive("2,7.60,2.0,40\n");
    ASSERT_TRUE(waitUntil(
        [&] { return live.rows(2).dataRowCount() == 2 && one.rows(1).dataRowCount() == 2; }));
    RowStore& published = charger.rows(2);
    const int last = published.gridRowCount() - 1;
    for (RowStore* r : {&live.rows(2), &one.rows(1)}) {
        EXPECT_EQ(text(*r, 2, 1), text(published, last, 1)) << "its elapsed time";
        EXPECT_EQ(text(*r, 2, kFieldVoltage + 1), QStringLiteral("7.60"));
    }
    EXPECT_EQ(live.rows(1).dataRowCount(), 1u);
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'|').toStdString();
}

}  // namespace
}  // namespace cellwatch
