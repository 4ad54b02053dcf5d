// The window side of chargers on a network, offscreen against a broker of
// the test's own: a charger watched in a window of its own until its link
// is lost, an address typed into the port box, and the network list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <memory>
#include <tuple>

#include "app/alarm_band.h"
#include "app/network_list.h"
#include "app/network_watch.h"
#include "app/network_watch_dialog.h"
#include "app/settings.h"
#include "app/toolbar.h"
#include "chart/data_table.h"
#include "net/publisher.h"
#include "net/secret_files.h"
#include "test_broker.h"
#include "tests/support/window_test_support.h"

namespace cellwatch {
namespace {

namespace emu = emulator;
using nettest::TestBroker;
using nettest::waitUntil;
using windowtest::charging;
using windowtest::kVoltageColumn;

const CaptureStart kPublisherStart{1'700'000'000'000, 3600, 50'000};

class NetworkWindow : public ::testing::Test {
protected:
    // Windows a test's windows opened (a watch's) go before the settings they
    // read: a timer of theirs must not fire in the next test.
    void TearDown() override {
        const auto windows = [] {
            int n = 0;
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (qobject_cast<MainWindow*>(top) != nullptr) {
                    top->close();  // a watch's window takes its watch with it
                    ++n;
                }
            }
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return n;
        };
        EXPECT_TRUE(waitUntil([&] { return windows() == 0; }));
    }
    MainWindow::Hooks hooks() {
        MainWindow::Hooks h;
        h.showFailure = [this](QWidget*, const QString& text) { failures << text; };
        h.journalFolder = dir.filePath(QStringLiteral("journals"));
        h.isOnline = [] { return false; };
        return h;
    }
    std::unique_ptr<net::Publisher> publisher(const QString& name) {
        net::MqttOptions o;
        o.address = net::parseBrokerAddress(broker.address(name));
        auto p = std::make_unique<net::Publisher>(o, false);
        p->setStart(kPublisherStart);
        p->start();
        EXPECT_TRUE(waitUntil([&] { return p->client().isConnected(); }));
        return p;
    }
    // Waits until `list` hears rows: a retained one of its own reaches it
    // once it subscribed. Taken as its first message.
    static void waitUntilListening(NetworkListDialog& list, net::MqttClient& client) {
        net::RowValues row;
        row.voltageV = 12;
        client.publish(QStringLiteral("cellwatch/probe/row"), net::rowJson(row), 1, true);
        ASSERT_TRUE(waitUntil([&] { return list.messagesTaken() == 1; }));
    }
    // One message of the charger, `k` seconds after the start.
    static void send(net::Publisher& p, int k) {
        p.raw(kPublisherStart.wallMs + 1000 * k,
              kPublisherStart.ticks + 1000u * static_cast<unsigned>(k),
              emu::encodeStatus(charging(k), FrameLayout::Long112));
    }

    TestBroker broker;
    QTemporaryDir dir;
    FileSettingsStore store{dir.filePath(QStringLiteral("settings.ini"))};
    Settings settings{store};
    QStringList failures;
};

TEST_F(NetworkWindow, AWatchShowsTheChargerOnItsClocksUntilTheLinkIsLost) {
    settings.setLanguageCode(kLanguageEnglish);
    auto pub = publisher(QStringLiteral("w1"));
    NetworkWatch watch(settings, broker.address(QStringLiteral("w1")), QString(), hooks());
    ASSERT_TRUE(waitUntil([&] { return watch.watching(); }));
    MainWindow& w = watch.window();
    EXPECT_EQ(w.tool(QStringLiteral("state"), QStringLiteral("Link_state"))->text(),
              QStringLiteral("On line"));
    EXPECT_EQ(w.recording().connectTicks(), kPublisherStart.ticks);
    EXPECT_EQ(w.tool(QStringLiteral("state"), QStringLiteral("state_text"))->text(),
              QStringLiteral("Watching ") + broker.address(QStringLiteral("w1")));

    send(*pub, 1);
    send(*pub, 2);
    ASSERT_TRUE(waitUntil([&] { return w.table().gridText(2, kVoltageColumn) == "11.02"; }));
    EXPECT_EQ(w.table().gridText(1, 1), QStringLiteral("0:00:01"));
    EXPECT_EQ(w.table().gridText(2, 1), QStringLiteral("0:00:02"));

    pub.reset();  // vanishes: its last will says offline
    ASSERT_TRUE(waitUntil([&] { return watch.lost(); }));
    EXPECT_FALSE(watch.watching());
    EXPECT_EQ(w.tool(QStringLiteral("state"), QStringLiteral("Link_state"))->text(),
              QStringLiteral("Disconnected"));
    EXPECT_TRUE(w.tool(QStringLiteral("state"), QStringLiteral("state_text"))
                    ->text()
                    .contains(QStringLiteral("The link to the charger was lost")));
    EXPECT_EQ(w.table().gridText(2, kVoltageColumn), QStringLiteral("11.02"))
        << "the recording stays";
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'|').toStdString();
}

// The watcher's connect dialog keeps the key file in the settings, and the
// watch it opens heeds it: a charger signing with that key is watched; with
// another key what it publishes is dropped and said, and nothing recorded.
TEST_F(NetworkWindow, TheWatchersKeyFileTakesOnlyTheChargersSignedMessages) {
    settings.setLanguageCode(kLanguageEnglish);
    const QString right =
        broker.writeFile(QStringLiteral("right.key"), "c2VjcmV0IGtleSBvZiB0aGUgYmVuY2g=\n");
    const QString wrong =
        broker.writeFile(QStringLiteral("wrong.key"), "another key, someone else's\n");
    net::MqttOptions o;
    o.address = net::parseBrokerAddress(broker.address(QStringLiteral("signed")));
    net::Publisher pub(o, false, net::readKeyFile(right));
    pub.setStart(kPublisherStart);
    net::ResumeState resume;  // as the session publishes it with the start
    resume.connectionTicks = kPublisherStart.ticks;
    resume.connectTicks = kPublisherStart.ticks;
    resume.beganMs = kPublisherStart.wallMs;
    resume.beganTicks = kPublisherStart.ticks;
    pub.resume(resume);
    pub.start();
    ASSERT_TRUE(waitUntil([&] { return pub.client().isConnected(); }));

    for (const QString& keyFile : {right, wrong}) {
        SCOPED_TRACE(keyFile.toStdString());
        WatchConnectDialog dialog(settings);
        EXPECT_EQ(dialog.keyFileField().placeholderText(),
                  QStringLiteral("empty: unsigned messages count"));
        dialog.addressField().setText(broker.address(QStringLiteral("signed")));
        dialog.keyFileField().setText(keyFile);
        dialog.keep(settings);
        EXPECT_EQ(WatchConnectDialog(settings).keyFileField().text(), keyFile);
        std::unique_ptr<NetworkWatch> watch(dialog.openWatch(settings, nullptr));
        ASSERT_NE(watch, nullptr);
        MainWindow& w = watch->window();
        auto* source = dynamic_cast<session::WatchSource*>(w.session().source());
        ASSERT_NE(source, nullptr);
        if (keyFile == right) {
            ASSERT_TRUE(waitUntil([&] { return watch->watching(); }));
            send(pub, 1);
            ASSERT_TRUE(waitUntil([&] { return w.table().dataRowCount() == 1; }));
            EXPECT_EQ(source->feed().unverifiedDropped(), 0u);
            continue;
        }
        ASSERT_TRUE(waitUntil([&] {
            return w.tool(QStringLiteral("state"), QStringLiteral("state_text"))
                ->text()
                .contains(QStringLiteral("not signed with the charger's key"));
        })) << w.tool(QStringLiteral("state"), QStringLiteral("state_text"))->text().toStdString();
        const std::uint64_t dropped = source->feed().unverifiedDropped();
        send(pub, 2);
        ASSERT_TRUE(waitUntil([&] { return source->feed().unverifiedDropped() > dropped; }));
        EXPECT_FALSE(watch->watching());
        EXPECT_EQ(w.table().dataRowCount(), 0u);
    }

    // A key file that cannot be read is one line, naming it; no watch opens.
    WatchConnectDialog dialog(settings);
    dialog.addressField().setText(broker.address(QStringLiteral("signed")));
    dialog.keyFileField().setText(dir.filePath(QStringLiteral("missing.key")));
    dialog.keep(settings);
    try {
        delete dialog.openWatch(settings, nullptr);
        ADD_FAILURE() << "a missing key file opened a watch";
    } catch (const std::exception& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QStringLiteral("missing.key")))
            << e.what();
    }
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'|').toStdString();
}

TEST_F(NetworkWindow, AnAddressInThePortBoxOpensAWindowOfItsOwn) {
    auto pub = publisher(QStringLiteral("w2"));
    MainWindow main(settings, hooks());
    const auto windows = [] {
        int n = 0;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            n += qobject_cast<MainWindow*>(top) != nullptr && top->isVisible() ? 1 : 0;
        }
        return n;
    };
    const int before = windows();
    main.tool(QStringLiteral("Tools"), QStringLiteral("com"))
        ->setText(broker.address(QStringLiteral("w2")));
    main.OnToolClick(main.tool(QStringLiteral("Tools"), QStringLiteral("Link")));
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'|').toStdString();
    EXPECT_EQ(windows(), before + 1);
    EXPECT_TRUE(main.tool(QStringLiteral("Tools"), QStringLiteral("Link"))->enabled())
        << "the main window stays for the local port";

    main.tool(QStringLiteral("Tools"), QStringLiteral("com"))
        ->setText(QStringLiteral("mqtt://h/a/b"));
    main.OnToolClick(main.tool(QStringLiteral("Tools"), QStringLiteral("Link")));
    EXPECT_EQ(windows(), before + 1);
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains(QStringLiteral("not one level"))) << failures[0].toStdString();
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top != &main && qobject_cast<MainWindow*>(top) != nullptr && top->isVisible()) {
            top->close();  // the watch goes with its window
        }
    }
    EXPECT_TRUE(waitUntil([&] { return windows() == before; }));
}

TEST_F(NetworkWindow, TheListShowsEveryChargerItsRowAndAlarmsAndOpensThem) {
    auto a = publisher(QStringLiteral("a"));
    auto b = publisher(QStringLiteral("b"));
    auto c = publisher(QStringLiteral("c"));
    NetworkListDialog list(settings, QStringLiteral("mqtt://127.0.0.1:%1").arg(broker.port()),
                           QString());
    QTableWidget& t = list.table();
    ASSERT_TRUE(waitUntil([&] { return t.rowCount() == 3; }));  // within a few updates

    net::RowValues row;
    row.state = QStringLiteral("+CHG+");
    row.voltageV = 12.6;
    row.currentA = 1.5;
    row.capacityMah = 420;
    row.cellsV = {4.2, 4.1, 4.21, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    row.wall = QDateTime::currentDateTime();
    a->row(row);
    b->event(row.wall, QStringLiteral("alarm"), QStringLiteral("cell-high"),
             QStringLiteral("cell 3 at 4.31 V"));
    c->finish();
    ASSERT_TRUE(waitUntil([&] {
        return t.item(list.rowOf(QStringLiteral("c")), NetworkListDialog::Status)->text() ==
               QLatin1String("offline");
    }));
    ASSERT_TRUE(waitUntil([&] {
        return !t.item(list.rowOf(QStringLiteral("b")), NetworkListDialog::Alarm)->text().isEmpty();
    }));
    const int ra = list.rowOf(QStringLiteral("a"));
    ASSERT_TRUE(
        waitUntil([&] { return !t.item(ra, NetworkListDialog::Voltage)->text().isEmpty(); }));
    EXPECT_EQ(t.item(ra, NetworkListDialog::Status)->text(), QStringLiteral("online"));
    EXPECT_EQ(t.item(ra, NetworkListDialog::State)->text(), QStringLiteral("+CHG+"));
    EXPECT_EQ(t.item(ra, NetworkListDialog::Voltage)->text(), QStringLiteral("12.60"));
    EXPECT_EQ(t.item(ra, NetworkListDialog::Current)->text(), QStringLiteral("1.50"));
    EXPECT_EQ(t.item(ra, NetworkListDialog::Capacity)->text(), QStringLiteral("420"));
    EXPECT_EQ(t.item(ra, NetworkListDialog::WorstCell)->text(), QStringLiteral("C2 4.10"));
    EXPECT_EQ(t.item(list.rowOf(QStringLiteral("b")), NetworkListDialog::Alarm)->text(),
              QStringLiteral("cell 3 at 4.31 V"));

    // Two at once, each in its own window; one charger vanishes.
    NetworkWatch* wa = list.openRow(ra);
    NetworkWatch* wb = list.openRow(list.rowOf(QStringLiteral("b")));
    ASSERT_TRUE(wa != nullptr && wb != nullptr);
    ASSERT_TRUE(waitUntil([&] { return wa->watching() && wb->watching(); }));
    b.reset();
    ASSERT_TRUE(waitUntil([&] { return wb->lost(); }));
    EXPECT_TRUE(wa->watching());
    delete wa;
    delete wb;
}

// A charger of two channels: an entry per channel, its status on both,
// each channel's row and alarm on its own; opening one watches that channel.
TEST_F(NetworkWindow, TheListShowsEachChannelOfAChargerAsAnEntry) {
    auto duo = publisher(QStringLiteral("duo"));
    duo->setChannels(2);
    NetworkListDialog list(settings, QStringLiteral("mqtt://127.0.0.1:%1").arg(broker.port()),
                           QString());
    QTableWidget& t = list.table();
    ASSERT_TRUE(waitUntil([&] { return t.rowCount() == 1; }));  // its status
    net::RowValues row;
    row.voltageV = 12.6;
    row.wall = QDateTime::currentDateTime();
    const struct {
        int channel;
        double volts;
    } rows[] = {{1, 12.6}, {2, 8.4}};
    for (const auto& r : rows) {
        row.voltageV = r.volts;
        duo->row(row, r.channel);
    }
    duo->event(row.wall, QStringLiteral("alarm"), QStringLiteral("cell-low"),
               QStringLiteral("cell 1 at 3.01 V"), 2);
    const QString one = QStringLiteral("duo · 1");
    const QString two = QStringLiteral("duo · 2");
    ASSERT_TRUE(waitUntil([&] { return list.rowOf(one) >= 0 && list.rowOf(two) >= 0; }));
    ASSERT_TRUE(waitUntil(
        [&] { return !t.item(list.rowOf(two), NetworkListDialog::Alarm)->text().isEmpty(); }));
    EXPECT_EQ(t.rowCount(), 2) << "the charger's own row became channel 1's";
    EXPECT_EQ(list.rowOf(QStringLiteral("duo")), -1);
    for (const auto& [entry, volts, alarm] :
         {std::tuple{one, "12.60", ""}, std::tuple{two, "8.40", "cell 1 at 3.01 V"}}) {
        const int r = list.rowOf(entry);
        EXPECT_EQ(t.item(r, NetworkListDialog::Name)->text(), entry);
        EXPECT_EQ(t.item(r, NetworkListDialog::Status)->text(), QStringLiteral("online"));
        EXPECT_EQ(t.item(r, NetworkListDialog::Voltage)->text(), QString::fromUtf8(volts));
        EXPECT_EQ(t.item(r, NetworkListDialog::Alarm)->text(), QString::fromUtf8(alarm));
    }
    duo->finish();
    ASSERT_TRUE(waitUntil([&] {
        return t.item(list.rowOf(two), NetworkListDialog::Status)->text() ==
               QLatin1String("offline");
    }));
    EXPECT_EQ(t.item(list.rowOf(one), NetworkListDialog::Status)->text(),
              QStringLiteral("offline"));

    auto again = publisher(QStringLiteral("duo"));
    again->setChannels(2);
    NetworkWatch* watch = list.openRow(list.rowOf(two));
    ASSERT_TRUE(watch != nullptr);
    EXPECT_TRUE(waitUntil([&] { return watch->watching(); }));
    delete watch;
}

TEST_F(NetworkWindow, TheListTellsEachChargersAlarmOncePerRunThroughTheWindow) {
    settings.setLanguageCode(kLanguageEnglish);
    MainWindow main(settings, hooks());
    QStringList told;
    main.alarms().notify = [&](const QString& title, const QString& text) {
        told << title + u'|' + text;
    };
    NetworkListDialog list(settings, QStringLiteral("mqtt://127.0.0.1:%1").arg(broker.port()),
                           QString(), &main);
    auto a = publisher(QStringLiteral("bench1"));
    auto b = publisher(QStringLiteral("bench2"));
    ASSERT_TRUE(waitUntil([&] { return list.rowOf(QStringLiteral("bench2")) >= 0; }));
    const QDateTime wall = QDateTime::currentDateTime();
    const auto alarm = [&](net::Publisher& p, const char* kind, const char* text) {
        p.event(wall, QStringLiteral("alarm"), QString::fromLatin1(kind),
                QString::fromLatin1(text));
        // Taken by the broker before anything published after it.
        ASSERT_TRUE(waitUntil([&] { return p.client().backlog() == 0; }));
    };
    // Each told once however often it comes, in the order they came; a
    // kind no charger raises is not told.
    alarm(*a, "cell-high", "cell 3 at 4.31 V");
    alarm(*a, "cell-high", "cell 3 at 4.33 V");
    alarm(*b, "temperature", "external at 52 C");
    alarm(*a, "no-such-kind", "forged");
    alarm(*a, "cell-spread", "0.12 V apart");
    ASSERT_TRUE(waitUntil([&] { return told.size() == 3; })) << told.join(u'/').toStdString();
    EXPECT_EQ(told, (QStringList{QStringLiteral("bench1: Cell too high|cell 3 at 4.31 V"),
                                 QStringLiteral("bench2: Temperature too high|external at 52 C"),
                                 QStringLiteral("bench1: Cells drift apart|0.12 V apart")}));

    // While a window opened from the list watches bench2, that window tells.
    NetworkWatch* watch = list.openRow(list.rowOf(QStringLiteral("bench2")));
    ASSERT_NE(watch, nullptr);
    ASSERT_TRUE(waitUntil([&] { return watch->watching(); }));
    const std::uint64_t taken = list.messagesTaken();
    alarm(*b, "input-low", "input at 10.5 V");
    ASSERT_TRUE(waitUntil([&] { return list.messagesTaken() > taken; }));
    delete watch;
    alarm(*b, "cell-low", "cell 1 at 2.9 V");

    // A new run of bench1 (online again) is a new episode.
    a->finish();
    a = publisher(QStringLiteral("bench1"));
    alarm(*a, "cell-high", "cell 2 at 4.30 V");
    ASSERT_TRUE(waitUntil([&] { return told.size() == 5; })) << told.join(u'/').toStdString();
    EXPECT_EQ(told[3], QStringLiteral("bench2: Cell too low (discharging)|cell 1 at 2.9 V"));
    EXPECT_EQ(told[4], QStringLiteral("bench1: Cell too high|cell 2 at 4.30 V"));
}

TEST_F(NetworkWindow, TheListDropsRowsNoChargerCouldSend) {
    NetworkListDialog list(settings, QStringLiteral("mqtt://127.0.0.1:%1").arg(broker.port()),
                           QString());
    net::MqttOptions o;
    o.address = net::parseBrokerAddress(broker.address(QStringLiteral("x")));
    net::MqttClient forger(o);
    forger.start();
    ASSERT_TRUE(waitUntil([&] { return forger.isConnected(); }));
    waitUntilListening(list, forger);

    net::RowValues row;
    row.voltageV = 100000;
    row.wall = QDateTime::currentDateTime();
    forger.publish(QStringLiteral("cellwatch/ghost/row"), net::rowJson(row), 1, false);
    row.voltageV = 12.6;
    forger.publish(QStringLiteral("cellwatch/real/row"), net::rowJson(row), 1, false);
    ASSERT_TRUE(waitUntil([&] { return list.messagesTaken() == 3; }));
    list.applyUpdates();
    EXPECT_EQ(list.rowOf(QStringLiteral("ghost")), -1) << "listed from a forged row";
    ASSERT_NE(list.rowOf(QStringLiteral("real")), -1);
    EXPECT_EQ(
        list.table().item(list.rowOf(QStringLiteral("real")), NetworkListDialog::Voltage)->text(),
        QStringLiteral("12.60"));
    EXPECT_EQ(list.implausibleRows(), 1u);
    EXPECT_TRUE(list.stateLabel().text().contains(QStringLiteral("1 implausible rows dropped")));
}

TEST_F(NetworkWindow, TheListShowsAFloodOfChargersInFewUpdatesAndListsSoMany) {
    NetworkListDialog list(settings, QStringLiteral("mqtt://127.0.0.1:%1").arg(broker.port()),
                           QString());
    list.setUpdateInterval(3'600'000);  // only when told, in this test
    net::MqttOptions o;
    o.address = net::parseBrokerAddress(broker.address(QStringLiteral("x")));
    net::MqttClient flood(o);
    flood.start();
    ASSERT_TRUE(waitUntil([&] { return flood.isConnected(); }));
    waitUntilListening(list, flood);

    constexpr int kChargers = NetworkListDialog::kMaxListed + 50;
    net::RowValues row;
    row.wall = QDateTime::currentDateTime();
    for (int round = 1; round <= 2; ++round) {
        for (int i = 0; i < kChargers; ++i) {
            row.voltageV = round * 10 + i % 10 * 0.01;
            flood.publish(QStringLiteral("cellwatch/c%1/row").arg(i), net::rowJson(row), 1, false);
        }
        // A round at a time: the broker keeps 1000 at most for a client.
        const auto taken = static_cast<std::uint64_t>(1 + round * kChargers);
        ASSERT_TRUE(waitUntil([&] { return list.messagesTaken() == taken; }, 30000))
            << list.messagesTaken();
    }
    EXPECT_EQ(list.table().rowCount(), 0) << "the table was written for each message";

    list.applyUpdates();
    QTableWidget& t = list.table();
    EXPECT_EQ(t.rowCount(), NetworkListDialog::kMaxListed);
    EXPECT_EQ(list.chargersLeftOut(), kChargers + 1 - NetworkListDialog::kMaxListed);
    EXPECT_TRUE(list.stateLabel().text().contains(QStringLiteral("51 more not listed")))
        << list.stateLabel().text().toStdString();
    for (int r = 0; r < t.rowCount(); ++r) {
        const QString name = t.item(r, NetworkListDialog::Name)->text();
        if (name == QLatin1String("probe")) {
            continue;
        }
        const int i = name.mid(1).toInt();
        EXPECT_EQ(t.item(r, NetworkListDialog::Voltage)->text(),
                  QString::number(20 + i % 10 * 0.01, 'f', 2))
            << "not the newest row of c" << i;
    }
}

TEST(NetworkList, TheWorstCellIsTheOneFurthestFromTheAverage) {
    const std::pair<std::array<double, 12>, const char*> cases[] = {
        {{}, ""},
        {{3.7}, "C1 3.70"},
        {{4.2, 4.1, 4.21}, "C2 4.10"},
        {{3.9, 3.9, 3.9, 3.95, 0, 0, 0, 0, 0, 0, 0, 3.6}, "C12 3.60"},
    };
    for (const auto& [cells, expected] : cases) {
        EXPECT_EQ(worstCellText(cells), QString::fromUtf8(expected));
    }
}

}  // namespace
}  // namespace cellwatch
