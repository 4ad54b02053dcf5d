// The window connected to a charger: a pseudo-terminal stands in for the
// serial port and the test writes the emulated charger's messages to its
// other side. Clocks are set by hand, so elapsed times and the 4-second
// pause rule need no waiting; only the serial line itself is real time.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QSerialPort>
#include <QTableWidget>

#include "app/lamp_widget.h"
#include "app/language.h"
#include "app/recordings_dialog.h"
#include "readout/recording_file.h"
#include "tests/support/settle.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

const PortInfo kCom1{QStringLiteral("COM1"), QStringLiteral("Communications Port"), false};
const PortInfo kCom3Usb{QStringLiteral("COM3"), QStringLiteral("Prolific usb-to-Serial Port"),
                        false};

using LiveWindowTest = WindowTest;

TEST_F(LiveWindowTest, SamplesBecomeRowsPointsAndReadouts) {
    openConnected();
    for (int k = 1; k <= 3; ++k) {
        advance(1000);
        const emu::ChargerReading r = charging(k);
        record(r);
        EXPECT_EQ(points(), static_cast<std::size_t>(k));
        EXPECT_EQ(w->table().gridText(k, 1), QStringLiteral("0:00:0%1").arg(k));
        EXPECT_EQ(w->table().gridText(k, kVoltageColumn), text2(r.voltage));
        EXPECT_EQ(w->readout(15)->text(), text2(r.voltage));
        EXPECT_EQ(w->readout(16)->text(), QStringLiteral("12.00"));
        EXPECT_EQ(w->largeReadout(0)->text(), text2(r.current) + u'A');
        EXPECT_EQ(w->readout(21)->text(), QStringLiteral("3Cells"));
        EXPECT_EQ(w->chart().titleLines(), QStringList{QStringLiteral("LiIo/Po/Fe/+CHG+")});
        EXPECT_NEAR(w->chart().pointX(kSeriesVoltage, points() - 1), k * kSecond, 1e-9);
    }

    // 20 s of idle messages, then charging again: that message clears the
    // recording and is not shown; the next one is row 1 of a new recording.
    for (int s = 0; s < 20; ++s) {
        advance(1000);
        emu::ChargerReading idle;
        idle.mode = emu::Mode::Idle;
        write(message(idle));
    }
    write(message(charging(7)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == 0; }, kWaitMs));
    EXPECT_EQ(points(), 0u);
    EXPECT_EQ(w->readout(15)->text(), text2(charging(3).voltage));
    recordRows(8, 8);
    EXPECT_EQ(w->table().gridText(1, 1), QStringLiteral("0:00:01"));
    EXPECT_EQ(w->readout(15)->text(), text2(charging(8).voltage));
    EXPECT_NEAR(w->chart().pointX(kSeriesVoltage, 0), 1 * kSecond, 1e-9);
    EXPECT_TRUE(failures.isEmpty()) << failureText();
}

TEST_F(LiveWindowTest, ToolsAndLinkTextFollowTheConnection) {
    const struct {
        std::optional<QString> stored;
        QString online;
        QString offline;
    } cases[] = {
        {std::nullopt, QString::fromUtf8("已连接"), QString::fromUtf8("已断开")},
        {QStringLiteral("ENG"), QStringLiteral("On line"), QStringLiteral("Disconnected")},
        {QStringLiteral("cht"), QString::fromUtf8("已连接"), QString::fromUtf8("已断开")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.value_or(QStringLiteral("nothing stored")).toStdString());
        QFile::remove(store->path());
        open(c.stored);
        EXPECT_TRUE(w->rescanTimer().isActive());
        EXPECT_EQ(w->rescanTimer().interval(), 3000);

        const auto lampLit = [this] {
            return static_cast<LampWidget*>(tool("state", "USBL1")->widget())->isLit();
        };
        connectTo(slave());
        EXPECT_EQ(state(), State(false, false, true, true, c.online, false, 0, 0u, true));
        EXPECT_TRUE(lampLit());
        // A language switch while connected: the link's text follows, both ways.
        const auto linkText = [this] { return tool("state", "Link_state")->text(); };
        click("Lang1", "ENG");
        EXPECT_EQ(linkText(), QStringLiteral("On line"));
        click("Lang1", "CHT");
        EXPECT_EQ(linkText(), QString::fromUtf8("已连接"));
        click("Lang1", c.online == QStringLiteral("On line") ? "ENG" : "CHT");
        disconnect();
        EXPECT_EQ(state(), disconnectedState(c.offline));
        EXPECT_FALSE(lampLit());
        click("Lang1", c.online == QStringLiteral("On line") ? "CHT" : "ENG");
        EXPECT_EQ(linkText(), c.online == QStringLiteral("On line")
                                  ? QString::fromUtf8("已断开")
                                  : QStringLiteral("Disconnected"));
        EXPECT_TRUE(failures.isEmpty()) << failureText();
    }
}

TEST_F(LiveWindowTest, FailedConnectChangesNothingAndConnectStartsAnEmptyRecording) {
    openConnected(2);
    disconnect();
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(points(), 2u);

    // A path that names no device, and a text that is neither a device path
    // nor ends in a port number, are refused with one message each and change
    // nothing.
    const QString gone = dir.filePath(QStringLiteral("ttyGone7"));
    for (const QString& text : {gone, QString(), QStringLiteral("COM")}) {
        SCOPED_TRACE(text.toStdString());
        failures.clear();
        const State before = state();
        connectTo(text);
        ASSERT_EQ(failures.size(), 1);
        if (text == gone) {
            EXPECT_TRUE(failures[0].contains(QStringLiteral("No such file")))
                << failures[0].toStdString();
        }
        EXPECT_EQ(state(), before);
    }
    // The system's words follow a lead in the window's language.
    ASSERT_TRUE(installLanguage(Language::German));
    failures.clear();
    connectTo(gone);
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].startsWith(QStringLiteral("Verbindung nicht möglich: ")))
        << failures[0].toStdString();
    installLanguage(Language::English);

    connectTo(slave());
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(points(), 0u);
    EXPECT_EQ(failures.size(), 1);
    recordRows(3, 3);
    EXPECT_EQ(w->table().gridText(1, 1), QStringLiteral("0:00:01"));
}

// Connect decodes with the charger chosen beside the port, which is kept
// for the port; the choice is locked while connected.
TEST_F(LiveWindowTest, ConnectTakesTheChargerBesideThePortAndKeepsItForThePort) {
    open();
    Tool* charger = w->tool(StatusTool::Charger);
    ASSERT_EQ(charger->itemCount(), 4);  // tkrx, icharger, skyrc, isdt
    EXPECT_EQ(charger->item(1), QStringLiteral("icharger"));
    EXPECT_EQ(charger->text(), QStringLiteral("tkrx"));
    const auto kept = [&] { return w->settings().text(Keyed::Charger, slave()); };

    charger->setText(QStringLiteral("nope"));
    connectTo(slave());
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains(QStringLiteral("no charger nope")))
        << failures[0].toStdString();
    EXPECT_EQ(kept(), QString());

    failures.clear();
    charger->setText(QStringLiteral("tkrx"));
    connectTo(slave());
    EXPECT_TRUE(failures.isEmpty());
    EXPECT_FALSE(charger->enabled());
    EXPECT_EQ(kept(), QStringLiteral("tkrx"));
    recordRows(1, 2);
    disconnect();
    EXPECT_TRUE(charger->enabled());
}

TEST_F(LiveWindowTest, PortScansMarkUsbAdaptersKeepATypedPathAndRunOnlyWhileDisconnected) {
    ports.list = {kCom1};
    open();
    Tool* com = tool("Tools", "com");
    const auto items = [com] {
        QStringList out;
        for (int i = 0; i < com->itemCount(); ++i) {
            out << com->item(i);
        }
        return out;
    };
    EXPECT_EQ(items(), QStringList{QStringLiteral("COM1")});

    ports.list = {kCom1, kCom3Usb};
    w->ScanPorts();
    EXPECT_EQ(items(), (QStringList{QStringLiteral("COM1"), QStringLiteral("USB_COM3")}));
    EXPECT_EQ(com->text(), QStringLiteral("USB_COM3"));

    // A typed path survives rescans without a USB port, also of an empty system.
    ports.list = {kCom1};
    com->setText(QStringLiteral("/dev/pts/77"));
    w->OnToolClick(com);
    EXPECT_EQ(items(), QStringList{QStringLiteral("COM1")});
    EXPECT_EQ(com->text(), QStringLiteral("/dev/pts/77"));
    ports.list = {};
    w->ScanPorts();
    EXPECT_EQ(items(), QStringList());
    EXPECT_EQ(com->text(), QStringLiteral("/dev/pts/77"));

    // The rescan timer brings the USB port in, but not while connected:
    // five of its intervals go by without a scan.
    w->rescanTimer().setInterval(20);
    connectTo(slave());
    ports.list = {kCom1, kCom3Usb};
    const int asked = ports.asked;
    EXPECT_FALSE(w->rescanTimer().isActive());
    test::runTimersDueWithin(5 * 20);
    EXPECT_EQ(ports.asked, asked);
    EXPECT_EQ(items(), QStringList());
    EXPECT_EQ(com->text(), slave());
    disconnect();
    EXPECT_TRUE(QTest::qWaitFor([&] { return com->text() == QLatin1String("USB_COM3"); }, kWaitMs));
    EXPECT_EQ(com->itemCount(), 2);
}

// A charger idle at Connect, then charging: its first row stands at 1 s and
// the next counts from Connect, so the pause rule ends that one-row
// recording at once. Soon after Connect it is not kept: its file goes, the
// next journal says so after its header, the band names no kept file, and
// the Recordings list shows the next one only. Long after Connect it is kept.
TEST_F(LiveWindowTest, AOneRowRecordingThePauseRuleEndsAtConnectIsNotKept) {
    const struct {
        int idleSeconds;
        bool kept;
    } cases[] = {{5, false}, {40, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.idleSeconds);
        QDir(journals()).removeRecursively();
        openConnected();
        for (int s = 0; s < c.idleSeconds; ++s) {
            advance(1000);
            emu::ChargerReading idle;
            idle.mode = emu::Mode::Idle;
            write(message(idle));
        }
        recordRows(1, 1);
        const QString first = w->journal().path();
        ASSERT_TRUE(QFile::exists(first));
        advance(1000);
        write(message(charging(2)));
        ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == 0; }, kWaitMs));
        EXPECT_EQ(statusText(), c.kept ? QStringLiteral("A new recording began; the previous one "
                                                        "is kept in ") +
                                             QFileInfo(first).fileName()
                                       : QStringLiteral("A new recording began"));
        recordRows(3, 4);
        const QString next = w->journal().path();
        EXPECT_EQ(journalFiles(), c.kept ? (QStringList{first, next}) : (QStringList{next}));
        const QByteArray text = readAll(next);
        EXPECT_EQ(text.contains("\r\n\"# dropped: a recording of one row, begun "), !c.kept);
        RecordingFile file;
        ASSERT_TRUE(file.read(next));
        EXPECT_EQ(file.rowCount(), 2U);
        EXPECT_EQ(file.damagedLineCount(), 0U);

        int listed = 0;
        onDialog = [&](QDialog& dialog) {
            listed = dynamic_cast<RecordingsDialog&>(dialog).list().rowCount();
        };
        click("file1", "Records");
        onDialog = {};
        EXPECT_EQ(listed, c.kept ? 2 : 1);
        disconnect();
    }
}

}  // namespace
}  // namespace cellwatch::windowtest
