// What the window tests share: a main window whose dialogs are answered by
// hooks, clocks set by hand (so the 3- and 4-second rules need no waiting), a
// settings file and the journals in a folder of their own, and a
// pseudo-terminal standing in for the charger's serial port, with the
// emulated charger's messages written to its other side.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "app/toolbar.h"
#include "app/viewer_window.h"
#include "chart/chart_view.h"
#include "chart/data_table.h"
#include "tests/session/pair_driver.h"
#include "tests/support/charger_readings.h"
#include "tests/support/journal_text.h"
#include "tests/support/made_reading.h"
#include "tests/support/settle.h"
#include "tools/emulator/emulator.h"

// Readable failure messages for values holding texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace cellwatch::windowtest {

namespace emu = emulator;

inline constexpr int kWaitMs = 10000;  // for the line; met within milliseconds
inline constexpr int kVoltageColumn = 7;
inline constexpr double kSecond = 1.0 / 86400.0;  // in days, the unit of X

using testing::charging;
using testing::journalRow;
using testing::journalText;
using testing::madeReading;
using testing::writeFile;

// A lithium charging reading without cells.
inline Reading chargeReading() {
    return madeReading("LiIo/Po/Fe", "+CHG+", 25, 30, "12", "16.8", "1.5", 120);
}

inline std::vector<std::uint8_t> message(const emu::ChargerReading& r) {
    return emu::encodeStatus(r, FrameLayout::Long112);
}

inline QString text2(Decimal v) {
    return QString::fromStdString(v.format(kFormat2));
}

inline QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Whether the event loop still runs queued work.
inline bool eventLoopAnswers() {
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    return QTest::qWaitFor([&ran] { return ran; }, kWaitMs);
}

// Voltage points (x, y) of a chart.
inline std::vector<std::pair<double, double>> voltagePoints(const ChartView& chart) {
    std::vector<std::pair<double, double>> out;
    for (std::size_t i = 0; i < chart.pointCount(kSeriesVoltage); ++i) {
        out.emplace_back(chart.pointX(kSeriesVoltage, i), chart.pointY(kSeriesVoltage, i));
    }
    return out;
}
// The points of a chart read back from a file: times in whole seconds both.
inline void expectSamePoints(const std::vector<std::pair<double, double>>& loaded,
                             const std::vector<std::pair<double, double>>& live) {
    ASSERT_EQ(loaded.size(), live.size());
    for (std::size_t i = 0; i < live.size(); ++i) {
        EXPECT_NEAR(loaded[i].first, live[i].first, 1e-9) << i;
        EXPECT_DOUBLE_EQ(loaded[i].second, live[i].second) << i;
    }
}

class CountingPortLister final : public PortLister {
public:
    std::vector<PortInfo> ports() const override {
        ++asked;
        return list;
    }
    std::vector<PortInfo> list;
    mutable int asked = 0;
};

class WindowTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<FileSettingsStore> store =
        std::make_unique<FileSettingsStore>(dir.filePath(QStringLiteral("settings.ini")));
    // The program's settings over *store, as a start reads them: made anew by
    // open() and startSettings().
    std::unique_ptr<Settings> settings;
    ManualTickClock ticks{50'000};
    ManualWallClock wall{QDateTime(QDate(2024, 3, 9), QTime(14, 5, 7))};
    CountingPortLister ports;

    // What the hooks were asked, and how they answer.
    QStringList failures;
    struct SaveAsk {
        QString title;
        QString proposed;
        QStringList filters;
    };
    std::vector<SaveAsk> saveAsks;
    QString saveAnswer;  // "" is a cancelled dialog
    std::vector<QPageLayout::Orientation> printAsks;
    QString printFile;  // where the print dialog sends the printout
    bool printAnswer = true;
    std::function<void(QDialog&)> onDialog;
    bool online = false;
    int onlineAsks = 0;

    std::unique_ptr<emu::PseudoTerminal> pty = std::make_unique<emu::PseudoTerminal>();
    std::unique_ptr<MainWindow> w;

    // The window's journals, oldest name first.
    QString journals() const { return dir.filePath(QStringLiteral("journals")); }
    QStringList journalFiles() const {
        QStringList files =
            QDir(journals()).entryList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name);
        for (QString& f : files) {
            f = QDir(journals()).filePath(f);
        }
        return files;
    }

    // Hooks that answer the window's dialogs as the fields above say.
    MainWindow::Hooks hooks() {
        MainWindow::Hooks hooks;
        hooks.showFailure = [this](QWidget*, const QString& text) { failures << text; };
        hooks.ticks = &ticks;
        hooks.wall = &wall;
        hooks.ports = &ports;
        hooks.journalFolder = journals();
        hooks.askSaveFile = [this](QWidget*, const QString& title, const QString& proposed,
                                   const QStringList& filters) {
            saveAsks.push_back({title, proposed, filters});
            return saveAnswer;
        };
        hooks.askPrint = [this](QWidget*, QPrinter& printer) {
            printAsks.push_back(printer.pageLayout().orientation());
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printFile);
            return printAnswer;
        };
        hooks.showDialog = [this](QDialog& dialog) {
            if (onDialog) {
                onDialog(dialog);
            }
        };
        hooks.isOnline = [this] {
            ++onlineAsks;
            return online;
        };
        return hooks;
    }

    // Opens the window with `language` stored, or with nothing stored.
    MainWindow& open(std::optional<QString> language = QStringLiteral("ENG")) {
        w.reset();
        if (language) {
            writeLanguageCode(*store, *language);
        }
        w = std::make_unique<MainWindow>(startSettings(), hooks());
        w->show();
        test::settle();
        return *w;
    }

    Settings& startSettings() {
        settings = std::make_unique<Settings>(*store);
        return *settings;
    }
    // The settings the open window reads (a start's, when none is open yet):
    // a dialog opened beside the window takes the same object.
    Settings& windowSettings() { return settings ? *settings : startSettings(); }

    std::string failureText() const { return failures.join(u'\n').toStdString(); }

    // Opens a recording in a window of its own as the Open command does.
    ViewerWindow* openViewer(const QString& path) {
        ViewerWindow* viewer = nullptr;
        w->runCommand([&] { viewer = w->openRecording(path); });
        return viewer;
    }

    Tool* tool(const char* band, const char* name) const {
        return w->tool(QString::fromLatin1(band), QString::fromLatin1(name));
    }
    void click(const char* band, const char* name) const { tool(band, name)->action()->trigger(); }

    QString slave() const { return QString::fromStdString(pty->slavePath()); }
    void connectTo(const QString& port) const {
        tool("Tools", "com")->setText(port);
        w->OnToolClick(tool("Tools", "Link"));
    }
    void disconnect() const { w->OnToolClick(tool("Tools", "Off")); }

    void advance(std::uint32_t ms) {
        ticks.advance(ms);
        wall.advance(ms);
    }
    // Writes to the charger's side of the line; the window reads meanwhile.
    void write(std::span<const std::uint8_t> bytes) const {
        while (!bytes.empty()) {
            const ssize_t n = ::write(pty->masterFd(), bytes.data(), bytes.size());
            if (n > 0) {
                bytes = bytes.subspan(static_cast<std::size_t>(n));
            } else {
                ASSERT_EQ(errno, EAGAIN);
                QTest::qWait(1);
            }
        }
    }
    int rows() const { return w->table().gridRowCount() - 1; }
    std::size_t points() const { return w->chart().pointCount(kSeriesVoltage); }
    // Sends one charging message through the line and waits until it is a row.
    void record(const emu::ChargerReading& r) const {
        const int before = rows();
        write(message(r));
        ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == before + 1; }, kWaitMs))
            << rows() << " rows, " << before + 1 << " wanted";
    }
    // Sends charging(from) to charging(to) (or other readings), a second apart.
    void recordRows(int from, int to, emu::ChargerReading (*reading)(int) = charging) {
        for (int k = from; k <= to; ++k) {
            advance(1000);
            record(reading(k));
        }
    }
    // Opens the window connected to the line, with charging(1) to
    // charging(rows) recorded a second apart.
    void openConnected(int rows = 0) {
        open();
        connectTo(slave());
        ASSERT_TRUE(failures.isEmpty()) << failureText();
        recordRows(1, rows);
    }
    // The window replaying a two-channel charger (its journals written when
    // `journals`); feed() hands it lines, a second apart.
    void openPair(bool journals = false, const QString& language = QStringLiteral("ENG")) {
        open(language);
        w->session().setJournalReplays(journals);
        w->session().setCharger(testing::pairDriverEntry());
        w->beginReplay(QStringLiteral("pair.cwcap"));
        test::settle();
    }
    void feed(const std::string& lines) {
        advance(1000);
        w->session().take({reinterpret_cast<const std::uint8_t*>(lines.data()), lines.size()});
        test::settle();
    }
    // A pause of more than 4 s: the next message starts a new recording.
    void pause() {
        advance(6000);
        write(message(charging(99)));
        ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == 0; }, kWaitMs));
    }
    // A USB adapter behind a stable link in the test's folder, as
    // /dev/serial/by-id names stand for real ones; plugged in, the link
    // leads to `line` and the port list shows it.
    PortInfo adapter(const char* link, const char* serial) const {
        PortInfo p;
        p.deviceId = dir.filePath(QString::fromLatin1(link));
        p.name = QStringLiteral("USB serial");
        p.usbAdapter = true;
        p.vendorId = 0x0403;
        p.productId = 0x6001;
        p.serialNumber = QString::fromLatin1(serial);
        return p;
    }
    void plugIn(const PortInfo& p, const emu::PseudoTerminal& line) {
        QFile::remove(p.deviceId);
        ASSERT_TRUE(QFile::link(QString::fromStdString(line.slavePath()), p.deviceId));
        ports.list.push_back(p);
    }
    // Pulls every adapter: the line's far side closes and the port reports an error.
    void unplug(std::unique_ptr<emu::PseudoTerminal>& line) {
        ports.list.clear();
        line.reset();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w->linkOpen(); }, kWaitMs));
    }
    QString statusText() const { return tool("state", "state_text")->text(); }
    // Every cell of table rows 0 (the header) to `last`, or to the last row.
    static QStringList tableTexts(const DataTableModel& table,
                                  std::optional<int> last = std::nullopt) {
        QStringList cells;
        for (int row = 0; row <= last.value_or(table.gridRowCount() - 1); ++row) {
            for (int column = 0; column < kTableColumnCount; ++column) {
                cells << table.gridText(row, column);
            }
        }
        return cells;
    }
    QStringList tableTexts(std::optional<int> last = std::nullopt) const {
        return tableTexts(w->table(), last);
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
                w->linkOpen()};
    }
    State disconnectedState(const QString& text) const {
        return {true, true, false, false, text, true, rows(), points(), false};
    }
};

}  // namespace cellwatch::windowtest
