// A watcher window as a user meets it: its title and notifications name the
// charger, the publisher's loss raises the `lost` band and notification and
// ends the watcher's journal with the alarm, and a new watcher window opens
// beside the window it was opened from. Its recording is saved, copied,
// printed and exported through the same commands as the main window's.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPrinter>
#include <QScreen>
#include <QSet>
#include <QTableWidget>
#include <QTemporaryDir>
#include <memory>

#include "app/alarm_band.h"
#include "app/language.h"
#include "app/line_sharing.h"
#include "app/network_watch.h"
#include "app/recordings_dialog.h"
#include "app/settings.h"
#include "net/publisher.h"
#include "net/web_server.h"
#include "packs/pack_history.h"
#include "readout/journal.h"
#include "readout/pack_file.h"
#include "readout/recording_file.h"
#include "serial/capture.h"
#include "session/page_feed.h"
#include "test_broker.h"
#include "tests/support/window_test_support.h"

namespace cellwatch {
namespace {

namespace emu = emulator;
using nettest::TestBroker;
using nettest::waitUntil;
using windowtest::charging;

const CaptureStart kStart{1'700'000'000'000, 3600, 70'000};

// A publisher of the charger NAME on `broker`, its start published, connected.
std::unique_ptr<net::Publisher> startedPublisher(TestBroker& broker, const QString& name) {
    net::MqttOptions o;
    o.address = net::parseBrokerAddress(broker.address(name));
    auto pub = std::make_unique<net::Publisher>(o, false);
    pub->setStart(kStart);
    pub->start();
    EXPECT_TRUE(waitUntil([&] { return pub->client().isConnected(); }));
    return pub;
}

// A broker, and the settings and hooks of the test's own for its windows.
class WatchWindow : public ::testing::Test {
protected:
    MainWindow::Hooks hooks() {
        MainWindow::Hooks h;
        h.journalFolder = dir.filePath(QStringLiteral("journals"));
        h.isOnline = [] { return false; };
        h.showFailure = [this](QWidget*, const QString& text) { failures << text; };
        return h;
    }

    TestBroker broker;
    QTemporaryDir dir;
    FileSettingsStore store{dir.filePath(QStringLiteral("settings.ini"))};
    Settings settings{store};
    QStringList failures;
};

TEST_F(WatchWindow, NamesItsChargerAndRaisesTheLostAlarmWhenThePublisherGoes) {
    settings.setLanguageCode(kLanguageEnglish);
    auto pub = startedPublisher(broker, QStringLiteral("bench1"));
    MainWindow::Hooks h = hooks();
    // Save, Export and Print answered with files of the test's own.
    h.askSaveFile = [&](QWidget*, const QString& title, const QString&, const QStringList&) {
        return dir.filePath(title == QLatin1String("Save") ? QStringLiteral("chart.png")
                                                           : QStringLiteral("rows.csv"));
    };
    h.askPrint = [&](QWidget*, QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("chart.pdf")));
        return true;
    };
    NetworkWatch watch(settings, broker.address(QStringLiteral("bench1")), QString(), h);
    MainWindow& w = watch.window();
    QStringList notes;
    w.alarms().notify = [&](const QString& title, const QString& text) {
        notes << title + u'|' + text;
    };
    ASSERT_TRUE(waitUntil([&] { return watch.watching(); }));
    EXPECT_TRUE(w.windowTitle().startsWith(QStringLiteral("bench1 \u2014 ")))
        << w.windowTitle().toStdString();

    for (int k = 1; k <= 3; ++k) {
        pub->raw(kStart.wallMs + 1000 * k, kStart.ticks + 1000u * static_cast<unsigned>(k),
                 emu::encodeStatus(charging(k), FrameLayout::Long112));
    }
    ASSERT_TRUE(waitUntil([&] { return w.table().dataRowCount() == 3; }));
    const QString journal = w.journal().path();
    ASSERT_FALSE(journal.isEmpty());

    // The watcher's recording goes out as the main window's does.
    for (Command c : {Command::Save, Command::Copy, Command::Print, Command::Export}) {
        w.OnToolClick(w.tool(c));
    }
    EXPECT_FALSE(QImage(dir.filePath(QStringLiteral("chart.png"))).isNull());
    EXPECT_FALSE(QGuiApplication::clipboard()->image().isNull());
    EXPECT_GT(QFileInfo(dir.filePath(QStringLiteral("chart.pdf"))).size(), 0);
    RecordingFile exported;
    ASSERT_TRUE(exported.read(dir.filePath(QStringLiteral("rows.csv"))));
    EXPECT_EQ(exported.rowCount(), 3u);

    pub->finish();  // "offline"
    ASSERT_TRUE(waitUntil([&] { return watch.lost(); }));
    EXPECT_FALSE(w.alarms().band().isHidden());
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes[0].startsWith(QStringLiteral("bench1: "))) << notes[0].toStdString();
    RecordingFile file;
    ASSERT_TRUE(file.read(journal));
    EXPECT_EQ(file.rowCount(), 3u);
    ASSERT_EQ(file.alarms().size(), 1u);
    EXPECT_EQ(file.alarms()[0].kind, QStringLiteral("lost"));
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'|').toStdString();
}

// The charger box names the publisher's charger, whose driver decodes what
// the watch records, as a window on that charger's own port shows it.
TEST_F(WatchWindow, TheChargerBoxNamesThePublishersCharger) {
    for (const char* driver : {"icharger", "isdt", "tkrx"}) {
        SCOPED_TRACE(driver);
        const QString name = QStringLiteral("bay-") + QString::fromLatin1(driver);
        net::MqttOptions o;
        o.address = net::parseBrokerAddress(broker.address(name));
        net::Publisher pub(o, false);
        CaptureStart start = kStart;
        start.driver = driver;
        pub.setStart(start);
        pub.start();
        ASSERT_TRUE(waitUntil([&] { return pub.client().isConnected(); }));
        NetworkWatch watch(settings, broker.address(name), QString(), hooks());
        ASSERT_TRUE(waitUntil([&] { return watch.watching(); }));
        EXPECT_EQ(watch.window().tool(StatusTool::Charger)->text().toStdString(), driver);
    }
}

// The watch window says why the link was lost in its language; the journal
// keeps the English reason.
TEST_F(WatchWindow, SaysWhyTheLinkWasLostInItsLanguage) {
    const struct {
        const char* code;
        const char* shown;
    } cases[] = {
        {"ENG", "The link to the charger was lost (the charger went offline)"},
        {"CHT", "与充电器的连接已中断 (充电器已离线)"},
        {"DEU", "das Ladegerät ist offline"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        settings.setLanguageCode(QString::fromLatin1(c.code));
        const QString name = QStringLiteral("bench-") + QString::fromLatin1(c.code);
        auto pub = startedPublisher(broker, name);
        {
            NetworkWatch watch(settings, broker.address(name), QString(), hooks());
            MainWindow& w = watch.window();
            w.alarms().notify = [](const QString&, const QString&) {};
            ASSERT_TRUE(waitUntil([&] { return watch.watching(); }));
            pub->raw(kStart.wallMs + 1000, kStart.ticks + 1000u,
                     emu::encodeStatus(charging(1), FrameLayout::Long112));
            ASSERT_TRUE(waitUntil([&] { return w.table().dataRowCount() == 1; }));
            const QString journal = w.journal().path();
            pub->finish();  // "offline"
            ASSERT_TRUE(waitUntil([&] { return watch.lost(); }));
            Tool& status = *w.tool(StatusTool::Message);
            QStringList shown;
            for (int i = 0; i < status.itemCount(); ++i) {
                shown << status.item(i);
            }
            EXPECT_TRUE(shown.join(u'\n').contains(QString::fromUtf8(c.shown)))
                << shown.join(u'\n').toStdString();
            RecordingFile file;
            ASSERT_TRUE(file.read(journal));
            ASSERT_EQ(file.alarms().size(), 1u);
            EXPECT_TRUE(file.alarms()[0].text.endsWith(QStringLiteral("the charger went offline")))
                << file.alarms()[0].text.toStdString();
        }
        pub.reset();
    }
    installLanguage(Language::English);
}

// One alarm as a window replaying the charger's capture raises it, as a
// watcher's band shows it and as the watcher's page tells it: the same
// moment, the one of the record that raised it, shown as the same time.
TEST_F(WatchWindow, TheBandsAndThePageTellTheSameMomentOfAnAlarm) {
    auto pub = startedPublisher(broker, QStringLiteral("bench3"));
    NetworkWatch watch(settings, broker.address(QStringLiteral("bench3")), QString(), hooks());
    watch.window().alarms().notify = nullptr;
    ASSERT_TRUE(waitUntil([&] { return watch.watching(); }));
    net::WebServer server;
    ASSERT_EQ(server.listen(QHostAddress::LocalHost, 0), QString());
    session::PageFeed feed(watch.window().session(), server);

    const QString file = dir.filePath(QStringLiteral("bench3.cwcap"));
    {
        CaptureWriter capture(file.toStdString());
        capture.writeStart(kStart);
        for (int k = 1; k <= 4; ++k) {
            emu::ChargerReading r = charging(k);
            if (k >= 3) {
                r.cells[1] = Decimal::fromHundredths(430);  // cell-high from the third on
            }
            const auto bytes = emu::encodeStatus(r, FrameLayout::Long112);
            const std::int64_t wall = kStart.wallMs + 1000 * k;
            const std::uint32_t ticks = kStart.ticks + 1000u * static_cast<unsigned>(k);
            pub->raw(wall, ticks, bytes);
            capture.writeRecord(wall, ticks, bytes);
        }
    }
    const std::int64_t raisedAt = kStart.wallMs + 3000;
    const QString shown =
        QDateTime::fromMSecsSinceEpoch(raisedAt).toLocalTime().toString(QStringLiteral("HH:mm:ss"));
    AlarmBand& watched = watch.window().alarms().band();
    ASSERT_TRUE(waitUntil([&] { return watch.window().table().dataRowCount() == 4; }));
    EXPECT_EQ(watched.raisedAt(), std::vector<std::int64_t>{raisedAt});
    EXPECT_EQ(watched.raisedTimes(), QStringList{shown});
    EXPECT_EQ(watched.timeLabel()->text(), shown);
    const QJsonArray paged =
        QJsonDocument::fromJson(feed.hello(0)).object()[QStringLiteral("alarms")].toArray();
    ASSERT_EQ(paged.size(), 1);
    EXPECT_EQ(paged[0].toObject()[QStringLiteral("at")].toInteger(), raisedAt);

    MainWindow replayer(settings, hooks());
    replayer.alarms().notify = nullptr;
    replayer.replayCapture(file, 0);
    ASSERT_TRUE(waitUntil([&] { return replayer.table().dataRowCount() == 4; }))
        << replayer.table().dataRowCount();
    EXPECT_EQ(replayer.alarms().band().raisedAt(), std::vector<std::int64_t>{raisedAt});
    EXPECT_EQ(replayer.alarms().band().raisedTimes(), QStringList{shown});
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'|').toStdString();
}

// Beside the other window where the screen has room (right, below, left,
// above, in that order); else in the corner farthest from it.
TEST_F(WatchWindow, OpensBesideTheWindowItWasOpenedFrom) {
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QRect room = screen->availableGeometry();
    const struct {
        QRect other;
        QSize size;
        QPoint expected;
    } cases[] = {
        {{room.left(), room.top(), 400, 300}, {400, 300}, {room.left() + 400, room.top()}},
        {{room.right() - 399, room.top(), 400, 300},
         {400, 300},
         {room.right() - 399, room.top() + 300}},
        {{room.left(), room.top(), room.width() - 100, room.height() - 100},
         {300, 300},
         {room.right() - 299, room.bottom() - 299}},
    };
    for (const auto& c : cases) {
        QWidget other;
        other.setGeometry(c.other);
        QWidget window;
        window.resize(c.size);
        NetworkWatch::placeBeside(window, other);
        EXPECT_EQ(window.frameGeometry().topLeft(), c.expected)
            << c.other.x() << "," << c.other.y();
    }
}

// A watcher on the publisher's own computer records the charge a second
// time, into the same folder: its journal names the charger and the
// publisher's start, and the Recordings list and the pack's history count
// the charge once, as the publisher's own journal with its pack, whichever
// of the two journals is read first.
class ChargeTwins : public windowtest::WindowTest {
protected:
    TestBroker broker;
};

TEST_F(ChargeTwins, AWatchersCopyOfAChargeIsListedAndCountedOnce) {
    for (const bool publisherReadLast : {false, true}) {
        SCOPED_TRACE(publisherReadLast ? "the publisher's journal read last" : "read first");
        QDir(journals()).removeRecursively();
        pty = std::make_unique<windowtest::emu::PseudoTerminal>();
        open();
        const QString address = broker.address(QStringLiteral("bench1"));
        PublishChoice choice;
        choice.on = true;
        choice.address = address;
        LineSharing& sharing = *w->findChild<LineSharing*>();
        ASSERT_TRUE(sharing.applyPublishing(choice)) << failureText();
        ASSERT_TRUE(waitUntil([&] { return sharing.publisher()->client().isConnected(); }));
        NetworkWatch watch(*settings, address, QString(), hooks());
        connectTo(slave());
        ASSERT_TRUE(waitUntil([&] { return watch.watching(); }));
        recordRows(1, 3);
        MainWindow& watcher = watch.window();
        ASSERT_TRUE(waitUntil([&] { return watcher.table().dataRowCount() == 3; }));
        QString own = w->journal().path();
        QString copy = watcher.journal().path();
        const QStringList files = journalFiles();
        ASSERT_EQ(QSet<QString>(files.begin(), files.end()), (QSet<QString>{own, copy}));
        RecordingFile file;
        ASSERT_TRUE(file.read(copy));
        JournalInfo info;
        readJournalComment(file.comments().value(0), info);
        EXPECT_EQ(info.charger, QStringLiteral("bench1"));
        EXPECT_EQ(info.publisherStart, w->session().recording().recordingStart());
        disconnect();
        // Named so that the list reads the newest name (-2) first.
        const QString base = journals() + QStringLiteral("/cellwatch-20240309-140507");
        const QString ownName = base + (publisherReadLast ? "-1.csv" : "-2.csv");
        const QString copyName = base + (publisherReadLast ? "-2.csv" : "-1.csv");
        ASSERT_TRUE(QFile::rename(own, own + ".tmp") && QFile::rename(copy, copyName) &&
                    QFile::rename(own + ".tmp", ownName));
        own = ownName;
        copy = copyName;
        // Both with the pack.
        PackInfo pack;
        pack.pack = QStringLiteral("Pack A");
        ASSERT_TRUE(writePackInfo(own, pack));
        ASSERT_TRUE(writePackInfo(copy, pack));

        QStringList listed;
        QString packCell;
        std::size_t history = 0;
        onDialog = [&](QDialog& dialog) {
            auto& list = dynamic_cast<RecordingsDialog&>(dialog);
            ASSERT_TRUE(waitUntil([&] { return !list.reading(); }));
            for (int row = 0; row < list.list().rowCount(); ++row) {
                listed << list.pathOfRow(row);
            }
            packCell = list.list().item(0, RecordingsDialog::kPackColumn)->text();
            list.filterByPack(pack.pack);
            history = list.history().size();
        };
        click("file1", "Records");
        onDialog = {};
        EXPECT_EQ(listed, QStringList{own});
        EXPECT_EQ(packCell, pack.pack);
        EXPECT_EQ(history, 1U);
        EXPECT_EQ(packHistoryOfFolder(journals(), pack.pack).size(), 1U);
        EXPECT_EQ(packNamesOfFolder(journals()), QStringList{pack.pack});
        EXPECT_TRUE(failures.isEmpty()) << failureText();
        w.reset();
    }
}

}  // namespace
}  // namespace cellwatch
