// The window connected to a charger: a pseudo-terminal stands in for the
// serial port and the test writes the emulated charger's messages to its
// other side. Clocks are set by hand, so elapsed times, the 3-second
// freshness rule and the 4-second pause rule need no waiting; only the
// serial line itself is real time.
#include <gtest/gtest.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <chrono>
#include <memory>
#include <optional>
#include <span>
#include <thread>
#include <tuple>
#include <vector>

#include "app/main_window.h"
#include "app/toolbar.h"
#include "chart/chart_view.h"
#include "chart/data_table.h"
#include "tools/emulator/emulator.h"

// Readable failure messages for tuples holding texts (kept to this file).
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace cellwatch {
namespace {

namespace emu = emulator;

constexpr double kSecond = 1.0 / 86400.0;  // in days, the unit of X
constexpr int kWaitMs = 5000;              // for the line; met within milliseconds

const PortInfo kCom1{QStringLiteral("COM1"), QStringLiteral("Communications Port"), false};
const PortInfo kCom3Usb{QStringLiteral("COM3"), QStringLiteral("Prolific usb-to-Serial Port"),
                        false};

emu::ChargerReading charging(int k) {
    emu::ChargerReading r;
    r.mode = emu::Mode::Charge;
    r.chemistry = emu::Chemistry::Lithium;
    r.extTemperature = Decimal::fromInt(25);
    r.intTemperature = Decimal::fromInt(30);
    r.inputVoltage = Decimal::fromHundredths(1200);
    r.voltage = Decimal::fromHundredths(1230 + k);
    r.current = Decimal::fromHundredths(150 + k);
    r.capacity = Decimal::fromInt(10 * k);
    for (std::size_t cell = 0; cell < 3; ++cell) {
        r.cells[cell] = Decimal::fromHundredths(410 + k % 3);
    }
    return r;
}

std::vector<std::uint8_t> message(const emu::ChargerReading& r) {
    return emu::encodeStatus(r, FrameLayout::Long112);
}

QString text2(Decimal v) {
    return QString::fromStdString(v.format(kFormat2));
}

double cpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

class LiveWindowTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    FileSettingsStore store{dir.filePath(QStringLiteral("settings.ini"))};
    QStringList failures;
    ManualTickClock ticks{50'000};
    ManualWallClock wall{QDateTime(QDate(2024, 1, 15), QTime(10, 0))};
    FixedPortLister ports;
    std::unique_ptr<emu::PseudoTerminal> pty = std::make_unique<emu::PseudoTerminal>();
    std::unique_ptr<MainWindow> w;

    void SetUp() override { ports.list = {kCom1}; }

    void open(std::optional<QString> language = QStringLiteral("ENG")) {
        if (language) {
            writeLanguageCode(store, *language);
        }
        MainWindow::Hooks hooks;
        hooks.showFailure = [this](QWidget*, const QString& text) { failures << text; };
        hooks.ticks = &ticks;
        hooks.wall = &wall;
        hooks.ports = &ports;
        hooks.isOnline = [] { return false; };  // the local help page
        w = std::make_unique<MainWindow>(store, hooks);
        w->show();
        QApplication::processEvents();
    }

    Tool* tool(const char* band, const char* name) const {
        return w->tool(QString::fromLatin1(band), QString::fromLatin1(name));
    }
    QString slave() const { return QString::fromStdString(pty->slavePath()); }
    void connectTo(const QString& port) {
        tool("Tools", "com")->setText(port);
        w->OnToolClick(tool("Tools", "Link"));
    }
    void disconnect() { w->OnToolClick(tool("Tools", "Off")); }

    void advance(std::uint32_t ms) {
        ticks.advance(ms);
        wall.advance(ms);
    }
    void write(std::span<const std::uint8_t> bytes) const {
        while (!bytes.empty()) {
            const ssize_t n = ::write(pty->masterFd(), bytes.data(), bytes.size());
            if (n > 0) {
                bytes = bytes.subspan(static_cast<std::size_t>(n));
            } else {
                ASSERT_EQ(errno, EAGAIN);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
    }
    int rows() const { return w->table().gridRowCount() - 1; }
    std::size_t points() const { return w->chart().pointCount(kSeriesVoltage); }
    // Sends one charging message and waits until it is a table row.
    void record(const emu::ChargerReading& r) {
        const int before = rows();
        write(message(r));
        ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == before + 1; }, kWaitMs));
    }

    // What Connect and Disconnect change, and what a failed Connect must not.
    using State = std::tuple<bool, bool, bool, bool, QString, bool, int, std::size_t, bool>;
    State state() const {
        return {tool("Tools", "Link")->enabled(),
                tool("Tools", "com")->enabled(),
                tool("Tools", "Off")->enabled(),
                tool("state", "USBL1")->enabled(),
                tool("state", "Link_state")->text(),
                w->rescanTimer().isActive(),
                rows(),
                points(),
                w->link().isOpen()};
    }
    State disconnectedState(const QString& text) const {
        return {true, true, false, false, text, true, rows(), points(), false};
    }
};

TEST_F(LiveWindowTest, SamplesBecomeRowsPointsAndReadouts) {
    open();
    connectTo(slave());
    ASSERT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
    for (int k = 1; k <= 3; ++k) {
        advance(1000);
        const emu::ChargerReading r = charging(k);
        record(r);
        EXPECT_EQ(points(), static_cast<std::size_t>(k));
        EXPECT_EQ(w->table().gridText(k, 1), QStringLiteral("0:00:0%1").arg(k));
        EXPECT_EQ(w->table().gridText(k, 7), text2(r.voltage));
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
    advance(1000);
    record(charging(8));
    EXPECT_EQ(w->table().gridText(1, 1), QStringLiteral("0:00:01"));
    EXPECT_EQ(w->readout(15)->text(), text2(charging(8).voltage));
    EXPECT_NEAR(w->chart().pointX(kSeriesVoltage, 0), 1 * kSecond, 1e-9);
    EXPECT_TRUE(failures.isEmpty());
}

TEST_F(LiveWindowTest, MessageTakingMoreThanThreeSecondsShowsIdleInstead) {
    for (const std::uint32_t stallMs : {3000u, 3001u}) {
        SCOPED_TRACE(stallMs);
        pty = std::make_unique<emu::PseudoTerminal>();
        open();
        connectTo(slave());
        advance(1000);
        record(charging(1));

        const std::vector<std::uint8_t> bytes = message(charging(2));
        const std::span<const std::uint8_t> all(bytes);
        write(all.first(emu::kLateHeadBytes));
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->receivePath().started(); }, kWaitMs));
        advance(stallMs);
        write(all.subspan(emu::kLateHeadBytes));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return rows() == 2 || w->chart().titleLines().value(0) == QLatin1String("Idle");
            },
            kWaitMs));

        if (stallMs == 3000) {
            EXPECT_EQ(rows(), 2);
            EXPECT_EQ(w->largeReadout(1)->text(), text2(charging(2).voltage) + u'V');
        } else {
            EXPECT_EQ(rows(), 1);
            EXPECT_EQ(points(), 1u);
            EXPECT_EQ(w->largeReadout(1)->text(), QStringLiteral("0.00V"));
            EXPECT_EQ(w->largeReadout(0)->text(), QStringLiteral("0.00A"));
            EXPECT_EQ(w->largeReadout(2)->text(), QStringLiteral("0mAH"));
            EXPECT_EQ(w->recording().recordingStart(), wall.now());
        }
        disconnect();
    }
}

TEST_F(LiveWindowTest, ToolsAndLinkTextFollowTheConnection) {
    struct Case {
        std::optional<QString> stored;
        QString online;
        QString offline;
    };
    const Case cases[] = {
        {std::nullopt, QString::fromUtf8("已连接"), QString::fromUtf8("已断开")},
        {QStringLiteral("ENG"), QStringLiteral("On line"), QStringLiteral("Disconnected")},
        {QStringLiteral("cht"), QString::fromUtf8("已连接"), QString::fromUtf8("已断开")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.value_or(QStringLiteral("nothing stored")).toStdString());
        QFile::remove(store.path());
        open(c.stored);
        EXPECT_TRUE(w->rescanTimer().isActive());
        EXPECT_EQ(w->rescanTimer().interval(), 3000);

        connectTo(slave());
        EXPECT_EQ(state(), State(false, false, true, true, c.online, false, 0, 0u, true));
        disconnect();
        EXPECT_EQ(state(), disconnectedState(c.offline));
        EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
    }
}

TEST_F(LiveWindowTest, DisconnectKeepsTheRecordingAndConnectStartsAnEmptyOne) {
    open();
    connectTo(slave());
    advance(1000);
    record(charging(1));
    advance(1000);
    record(charging(2));
    disconnect();
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(points(), 2u);

    // A port that does not exist: the serial layer's own text, nothing changed.
    const QString gone = dir.filePath(QStringLiteral("ttyGone7"));
    QSerialPort probe(gone);
    ASSERT_FALSE(probe.open(QIODevice::ReadOnly));
    const State before = state();
    connectTo(gone);
    EXPECT_EQ(failures, QStringList{probe.errorString()});
    EXPECT_EQ(state(), before);

    connectTo(slave());
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(points(), 0u);
    EXPECT_EQ(failures.size(), 1);
    advance(1000);
    record(charging(3));
    EXPECT_EQ(w->table().gridText(1, 1), QStringLiteral("0:00:01"));
}

TEST_F(LiveWindowTest, PortTextWithoutTrailingDigitsIsNotOpened) {
    // The last one names the live pseudo-terminal, so only the first step
    // can keep it closed.
    const QString charger = dir.filePath(QStringLiteral("charger"));
    ASSERT_TRUE(QFile::link(slave(), charger));
    open();
    for (const QString& text : {QString(), QStringLiteral("COM"), charger}) {
        SCOPED_TRACE(text.toStdString());
        failures.clear();
        tool("Tools", "com")->setText(text);
        const State before = state();
        w->OnToolClick(tool("Tools", "Link"));
        EXPECT_EQ(failures.size(), 1);
        EXPECT_EQ(state(), before);
    }
}

TEST_F(LiveWindowTest, LostLinkDisconnectsQuietlyAndKeepsTheRecording) {
    open();
    connectTo(slave());
    advance(1000);
    record(charging(1));
    Tool* status = tool("state", "state_text");
    const int messages = status->itemCount();
    int errors = 0;
    QObject counting;  // goes before `errors` does
    QObject::connect(&w->link().port(), &QSerialPort::errorOccurred, &counting,
                     [&](QSerialPort::SerialPortError e) { errors += e != QSerialPort::NoError; });

    pty.reset();  // the adapter is pulled
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tool("Tools", "Off")->enabled(); }, kWaitMs));
    const double cpuBefore = cpuSeconds();
    QTest::qWait(300);
    const double cpuUsed = cpuSeconds() - cpuBefore;

    EXPECT_EQ(state(), disconnectedState(QStringLiteral("Disconnected")));
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(points(), 1u);
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
    EXPECT_EQ(status->itemCount(), messages + 1);
    EXPECT_TRUE(status->text().startsWith(QStringLiteral("The link to the charger was lost")))
        << status->text().toStdString();
    EXPECT_LE(errors, 2);
    EXPECT_LT(cpuUsed, 0.15) << "the event loop spins after the link is gone";
}

TEST_F(LiveWindowTest, ScanPortsMarksUsbAdaptersAndKeepsATypedPath) {
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

    // The rescan timer brings the USB port in.
    w->rescanTimer().setInterval(20);
    ports.list = {kCom3Usb};
    EXPECT_TRUE(QTest::qWaitFor([&] { return com->text() == QLatin1String("USB_COM3"); }, kWaitMs));
}

TEST_F(LiveWindowTest, PortListIsRescannedOnlyWhileDisconnected) {
    open();
    Tool* com = tool("Tools", "com");
    w->rescanTimer().setInterval(20);
    connectTo(slave());
    ports.list = {kCom1, kCom3Usb};
    QTest::qWait(150);
    EXPECT_EQ(com->itemCount(), 1);
    EXPECT_EQ(com->text(), slave());
    disconnect();
    EXPECT_TRUE(QTest::qWaitFor([&] { return com->text() == QLatin1String("USB_COM3"); }, kWaitMs));
    EXPECT_EQ(com->itemCount(), 2);
}

}  // namespace
}  // namespace cellwatch
