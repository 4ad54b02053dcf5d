// Keeping recordings from the window: an exported table opened again, a
// file that is no recording, and reconnecting to the adapter that vanished.
#include <QDir>
#include <QFile>

#include "readout/table_export.h"
#include "tests/support/settle.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

using RecoveryTest = WindowTest;

TEST_F(RecoveryTest, ExportedTableReopensWithTheSameTextsAndPoints) {
    openConnected(12);
    const QStringList live = tableTexts();
    const auto livePoints = voltagePoints(w->chart());
    const QString exported = dir.filePath(QStringLiteral("table.csv"));
    w->exportTableTo(exported);

    // Connected or not, the command opens the file in a window of its own.
    EXPECT_TRUE(tool("file1", "Open")->enabled());
    EXPECT_TRUE(tool("file1", "Records")->enabled());
    disconnect();
    ViewerWindow* viewer = openViewer(exported);
    EXPECT_TRUE(failures.isEmpty()) << failureText();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(tableTexts(viewer->table()), live);
    expectSamePoints(voltagePoints(viewer->chart()), livePoints);

    // An empty last row, as spreadsheets leave one, keeps the time axis.
    QFile file(exported);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(QByteArray(21, ',') + "\r\n");
    file.close();
    viewer = openViewer(exported);
    EXPECT_TRUE(failures.isEmpty()) << failureText();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->table().gridRowCount() - 1, 13);
    EXPECT_GE(viewer->chart().axisRange(ChartAxis::Bottom).max, livePoints.back().first);
    EXPECT_EQ(w->viewers().size(), 2u);
}

TEST_F(RecoveryTest, AFileThatIsNoRecordingChangesNothing) {
    openConnected(3);
    disconnect();
    const QStringList before = tableTexts();
    const QString bad =
        writeFile(dir.filePath(QStringLiteral("notes.csv")), "shopping list\nmilk, eggs\n");
    w->runCommand([&] { w->openRecording(bad); });
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains(QStringLiteral("notes.csv"))) << failureText();
    EXPECT_EQ(tableTexts(), before);
    EXPECT_TRUE(w->viewers().empty());
}

// --- reconnecting ---------------------------------------------------------------------

using ReconnectTest = RecoveryTest;

// The adapter that vanished is opened again when it comes back, and no other
// of the same kind. The reconnect goes on with the recording the lost link
// interrupted: the rows before the glitch stay and the rows after it follow
// in the same table, chart and journal file. A glitch of more than 4 s
// without a sample starts a new recording, as any such pause does.
TEST_F(ReconnectTest, TheSameAdapterGoesOnWithTheRecordingUnlessThePauseWasTooLong) {
    const PortInfo mine = adapter("ttyUSB7", "A1");
    const PortInfo other = adapter("ttyUSB8", "B2");
    for (const bool longGap : {false, true}) {
        SCOPED_TRACE(longGap ? "6 s without a sample" : "1 s without a sample");
        QDir(journals()).removeRecursively();
        ports.list.clear();
        pty = std::make_unique<emu::PseudoTerminal>();
        open();
        plugIn(mine, *pty);
        w->reconnectTimer().setInterval(20);
        connectTo(portEntry(mine));
        recordRows(1, 3);
        const QStringList before = tableTexts();
        const auto pointsBefore = voltagePoints(w->chart());
        const QString journal = w->journal().path();
        const QByteArray journalBefore = readAll(journal);

        unplug(pty);
        ASSERT_TRUE(w->awaitedAdapter().has_value());
        auto otherLine = std::make_unique<emu::PseudoTerminal>();
        const int asked = ports.asked;
        plugIn(other, *otherLine);
        test::runTimersDueWithin(5 * 20);
        EXPECT_GT(ports.asked, asked) << "the reconnect poll looked meanwhile";
        EXPECT_FALSE(w->linkOpen()) << "another adapter of the same kind was taken";
        EXPECT_EQ(tableTexts(), before);

        advance(longGap ? 6000 : 1000);
        pty = std::make_unique<emu::PseudoTerminal>();
        plugIn(mine, *pty);
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->linkOpen(); }, kWaitMs));
        EXPECT_EQ(tool("Tools", "com")->text(), portEntry(mine));
        EXPECT_TRUE(statusText().contains(portEntry(mine))) << statusText().toStdString();
        EXPECT_FALSE(w->awaitedAdapter().has_value());

        if (!longGap) {
            recordRows(4, 5);
            EXPECT_EQ(tableTexts(3), before);
            EXPECT_EQ(w->table().gridText(4, 1), QStringLiteral("0:00:05"));
            const auto pointsAfter = voltagePoints(w->chart());
            ASSERT_EQ(pointsAfter.size(), 5u);
            EXPECT_EQ(std::vector(pointsAfter.begin(), pointsAfter.begin() + 3), pointsBefore);
            EXPECT_NEAR(pointsAfter[3].first, 5.0 / 86400, 1e-9);
            EXPECT_EQ(journalFiles(), QStringList{journal});
            const QByteArray journalAfter = readAll(journal);
            EXPECT_TRUE(journalAfter.startsWith(journalBefore));
            // Two rows, and the loss of the link as an alarm line.
            EXPECT_EQ(journalAfter.count("\r\n") - journalBefore.count("\r\n"), 3);
            EXPECT_EQ(journalAfter.count("\r\n\"# alarm lost: "), 1);
        } else {
            // The first sample after the pause clears the recording and is
            // not recorded; the next one is row 1 of a new journal file.
            advance(1000);
            write(message(charging(4)));
            ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == 0; }, kWaitMs));
            recordRows(5, 5);
            EXPECT_EQ(w->table().gridText(1, 1), QStringLiteral("0:00:01"));
            const QByteArray journalAfter = readAll(journal);
            EXPECT_TRUE(journalAfter.startsWith(journalBefore));
            EXPECT_TRUE(journalAfter.mid(journalBefore.size()).startsWith("\"# alarm lost: "));
            EXPECT_EQ(journalAfter.count("\r\n"), journalBefore.count("\r\n") + 1);
            EXPECT_EQ(journalFiles().size(), 2);
        }
        EXPECT_TRUE(failures.isEmpty()) << failureText();
    }
}

TEST(FindSameAdapter, MatchesBySerialElseLocationElseNameAndNeverGuesses) {
    const auto port = [](const char* id, quint16 vendor, const char* serial, const char* place) {
        PortInfo p;
        p.deviceId = QString::fromLatin1(id);
        p.vendorId = vendor;
        p.productId = vendor == 0 ? 0 : 0x6001;
        p.serialNumber = QString::fromLatin1(serial);
        p.location = QString::fromLatin1(place);
        return p;
    };
    struct Case {
        const char* what;
        PortInfo known;
        std::vector<PortInfo> now;
        const char* expected;  // device id, "" for none
    };
    const Case cases[] = {
        {"serial number, on another device name",
         port("ttyUSB0", 0x0403, "A1", ""),
         {port("ttyUSB1", 0x0403, "B2", ""), port("ttyUSB3", 0x0403, "A1", "")},
         "ttyUSB3"},
        {"serial number gone",
         port("ttyUSB0", 0x0403, "A1", ""),
         {port("ttyUSB0", 0x0403, "B2", "")},
         ""},
        {"no serial: the same plug",
         port("ttyUSB0", 0x0403, "", "usb-0:2:1.0"),
         {port("ttyUSB1", 0x0403, "", "usb-0:3:1.0"), port("ttyUSB2", 0x0403, "", "usb-0:2:1.0")},
         "ttyUSB2"},
        {"no serial, no location: the same name",
         port("COM4", 0x0403, "", ""),
         {port("COM4", 0x0403, "", ""), port("COM5", 0x0403, "", "")},
         "COM4"},
        {"another maker on the same name",
         port("COM4", 0x0403, "", ""),
         {port("COM4", 0x067b, "", "")},
         ""},
        {"two alike: no guess",
         port("ttyUSB0", 0x0403, "", "usb-0:2:1.0"),
         {port("ttyUSB1", 0x0403, "", "usb-0:2:1.0"), port("ttyUSB2", 0x0403, "", "usb-0:2:1.0")},
         ""},
        {"a built-in port", port("ttyS0", 0, "", ""), {port("ttyS0", 0, "", "")}, "ttyS0"},
    };
    for (const Case& c : cases) {
        const std::optional<PortInfo> found = findSameAdapter(c.known, c.now, true);
        EXPECT_EQ(found ? found->deviceId : QString(), QString::fromLatin1(c.expected)) << c.what;
    }
    // Where device names follow the order of plugging (Linux), a name alone
    // never identifies an adapter.
    EXPECT_FALSE(
        findSameAdapter(port("ttyUSB0", 0x0403, "", ""), {port("ttyUSB0", 0x0403, "", "")}, false));
}

}  // namespace
}  // namespace cellwatch::windowtest
