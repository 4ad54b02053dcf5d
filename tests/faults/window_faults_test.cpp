// The window under faults a user meets sooner or later: a line full of
// noise, a message that stops half way, an adapter pulled and plugged back
// again and again, a damaged settings file, an export that cannot be
// written, a charger that talks faster than it should. Each must end with
// the window working and nothing already recorded lost.
//
// A pseudo-terminal stands in for the serial port; clocks are set by hand,
// so the 3-second freshness rule needs no waiting.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <thread>
#include <tuple>
#include <vector>

#include "app/main_window.h"
#include "app/toolbar.h"
#include "chart/chart_view.h"
#include "chart/data_table.h"
#include "serial/byte_source.h"
#include "tools/emulator/emulator.h"

namespace cellwatch {
namespace {

namespace emu = emulator;

constexpr int kWaitMs = 10000;  // for the line; met within milliseconds
constexpr int kVoltageColumn = 7;

emu::ChargerReading charging(int k) {
    emu::ChargerReading r;
    r.mode = emu::Mode::Charge;
    r.chemistry = emu::Chemistry::Lithium;
    r.extTemperature = Decimal::fromInt(25);
    r.intTemperature = Decimal::fromInt(30);
    r.inputVoltage = Decimal::fromHundredths(1200);
    r.voltage = Decimal::fromHundredths(1100 + k % 100);
    r.current = Decimal::fromHundredths(150 + k % 50);
    r.capacity = Decimal::fromInt(10 * (k % 100));
    for (std::size_t cell = 0; cell < 3; ++cell) {
        r.cells[cell] = Decimal::fromHundredths(380 + k % 3);
    }
    return r;
}

std::vector<std::uint8_t> message(const emu::ChargerReading& r) {
    return emu::encodeStatus(r, FrameLayout::Long112);
}

QString text2(Decimal v) {
    return QString::fromStdString(v.format(kFormat2));
}

std::size_t openDescriptors() {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++n;
    }
    return n;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Whether the event loop still runs queued work.
bool eventLoopAnswers() {
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    return QTest::qWaitFor([&ran] { return ran; }, kWaitMs);
}

class WindowFaultTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<FileSettingsStore> store =
        std::make_unique<FileSettingsStore>(dir.filePath(QStringLiteral("settings.ini")));
    QStringList failures;
    QString saveAnswer;
    ManualTickClock ticks{50'000};
    ManualWallClock wall{QDateTime(QDate(2024, 5, 20), QTime(9, 30))};
    FixedPortLister ports;
    std::unique_ptr<emu::PseudoTerminal> pty = std::make_unique<emu::PseudoTerminal>();
    std::unique_ptr<MainWindow> w;

    void open(std::optional<QString> language = QStringLiteral("ENG")) {
        if (language) {
            writeLanguageCode(*store, *language);
        }
        MainWindow::Hooks hooks;
        hooks.showFailure = [this](QWidget*, const QString& text) { failures << text; };
        hooks.ticks = &ticks;
        hooks.wall = &wall;
        hooks.ports = &ports;
        hooks.askSaveFile = [this](QWidget*, const QString&, const QString&, const QStringList&) {
            return saveAnswer;
        };
        hooks.isOnline = [] { return false; };
        w = std::make_unique<MainWindow>(*store, hooks);
        w->show();
        QApplication::processEvents();
    }

    Tool* tool(const char* band, const char* name) const {
        return w->tool(QString::fromLatin1(band), QString::fromLatin1(name));
    }
    void click(const char* band, const char* name) const { tool(band, name)->action()->trigger(); }
    QString slave() const { return QString::fromStdString(pty->slavePath()); }
    void connectToPty() {
        tool("Tools", "com")->setText(slave());
        w->OnToolClick(tool("Tools", "Link"));
    }
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
                QTest::qWait(1);  // the window reads meanwhile
            }
        }
    }
    int rows() const { return w->table().gridRowCount() - 1; }
    // Sends one charging message through the line and waits until it is a row.
    void record(const emu::ChargerReading& r) {
        const int before = rows();
        write(message(r));
        ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == before + 1; }, kWaitMs))
            << rows() << " rows, " << before + 1 << " wanted";
    }
    // Every cell of table rows 0 (the header) to `last`.
    QStringList tableTexts(int last) const {
        QStringList cells;
        for (int row = 0; row <= last; ++row) {
            for (int column = 0; column < kTableColumnCount; ++column) {
                cells << w->table().gridText(row, column);
            }
        }
        return cells;
    }
    QStringList tableTexts() const { return tableTexts(rows()); }

    using State = std::tuple<bool, bool, bool, bool, QString, bool>;
    State state() const {
        return {tool("Tools", "Link")->enabled(),    tool("Tools", "com")->enabled(),
                tool("Tools", "Off")->enabled(),     tool("state", "USBL1")->enabled(),
                tool("state", "Link_state")->text(), w->link().isOpen()};
    }
};

// --- noise on the line ---------------------------------------------------------------------

std::vector<std::uint8_t> noise(std::size_t size, bool withStartBytes, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(byte(random));
        if (!withStartBytes && b == kStartByte) {
            b = kStartByte - 1;
        }
    }
    return bytes;
}

TEST_F(WindowFaultTest, MegabytesOfNoiseBetweenMessagesLoseNothingAndFramingRecovers) {
    constexpr std::size_t kBurst = 4u << 20;
    constexpr int kBefore = 3;
    constexpr int kAfter = 6;
    constexpr int kRecoveredWithin = 3;  // messages after the burst that may be lost
    for (const bool withStartBytes : {false, true}) {
        SCOPED_TRACE(withStartBytes ? "noise with start bytes" : "noise without start bytes");
        pty = std::make_unique<emu::PseudoTerminal>();
        open();
        connectToPty();
        for (int k = 1; k <= kBefore; ++k) {
            advance(1000);
            record(charging(k));
        }
        const QStringList recorded = tableTexts();

        // The burst reaches the window's receive path as one receive event.
        ReceiveAssembler& path = w->receivePath();
        const std::uint64_t droppedBefore = path.bytesDropped();
        BufferByteSource line(noise(kBurst, withStartBytes, 11));
        const std::size_t calls = path.serviceReceived(line);
        EXPECT_LE(calls, kBurst + 1);  // at least one byte per call
        if (!withStartBytes) {
            EXPECT_EQ(path.bytesDropped() - droppedBefore, kBurst);
            EXPECT_FALSE(path.started());
            EXPECT_EQ(line.bytesWaiting(), 0u);
        }

        for (int k = kBefore + 1; k <= kBefore + kAfter; ++k) {
            advance(1000);
            line.feed(message(charging(k)));
            path.serviceReceived(line);
        }
        QApplication::processEvents();

        EXPECT_EQ(tableTexts(kBefore), recorded) << "rows recorded before the burst changed";
        if (!withStartBytes) {
            ASSERT_EQ(rows(), kBefore + kAfter);
        }
        for (int back = 0; back < kAfter - kRecoveredWithin; ++back) {
            const int k = kBefore + kAfter - back;
            EXPECT_EQ(w->table().gridText(rows() - back, kVoltageColumn),
                      text2(charging(k).voltage))
                << "message " << k;
        }

        // The line itself still works.
        advance(1000);
        record(charging(20));
        EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
        w.reset();
    }
}

// --- a message that stops after its start byte ------------------------------------------------

TEST_F(WindowFaultTest, StartByteThenSilenceWaitsFor111BytesAndThenShowsIdle) {
    open();
    connectToPty();
    advance(1000);
    record(charging(1));
    const QStringList recorded = tableTexts();

    const std::vector<std::uint8_t> bytes = message(charging(2));
    const std::span<const std::uint8_t> all(bytes);
    write(all.first(1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->receivePath().started(); }, kWaitMs));

    // 110 bytes after the start byte: they wait in the port, nothing is read.
    write(all.subspan(1, kBytesNeededAfterStart - 1));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return w->link().port().bytesAvailable() ==
                   static_cast<qint64>(kBytesNeededAfterStart - 1);
        },
        kWaitMs));
    QApplication::processEvents();
    EXPECT_TRUE(w->receivePath().started());
    EXPECT_EQ(w->receivePath().pendingFrame().size(), 1u);
    EXPECT_EQ(rows(), 1);

    // The last byte, long after the start byte: too late to be trusted.
    advance(3500);
    write(all.subspan(kBytesNeededAfterStart));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return w->chart().titleLines().value(0) == QLatin1String("Idle"); }, kWaitMs));
    EXPECT_FALSE(w->receivePath().started());
    EXPECT_EQ(tableTexts(), recorded);

    // The next messages are recorded again, after what was there.
    advance(300);
    record(charging(3));
    advance(1000);
    record(charging(4));
    EXPECT_EQ(tableTexts(1), recorded);
    EXPECT_EQ(w->table().gridText(2, kVoltageColumn), text2(charging(3).voltage));
    EXPECT_EQ(w->table().gridText(3, kVoltageColumn), text2(charging(4).voltage));
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
}

// --- the adapter pulled and plugged back
// ----------------------------------------------------------

TEST_F(WindowFaultTest, AdapterLostAndBackAHundredTimesLeaksNothing) {
    open();
    std::size_t descriptors = 0;
    for (int round = 0; round < 100; ++round) {
        SCOPED_TRACE(::testing::Message() << "round " << round);
        pty = std::make_unique<emu::PseudoTerminal>();
        connectToPty();
        ASSERT_TRUE(w->link().isOpen()) << failures.join(u'\n').toStdString();
        ASSERT_EQ(rows(), 0);
        advance(1000);
        record(charging(round));
        const QStringList recorded = tableTexts();

        pty.reset();  // the adapter is pulled
        ASSERT_TRUE(QTest::qWaitFor([&] { return !tool("Tools", "Off")->enabled(); }, kWaitMs));
        ASSERT_EQ(state(), State(true, true, false, false, QStringLiteral("Disconnected"), false));
        ASSERT_EQ(tableTexts(), recorded);
        ASSERT_TRUE(eventLoopAnswers());

        if (round == 0) {
            descriptors = openDescriptors();
        } else {
            ASSERT_LE(openDescriptors(), descriptors) << "a descriptor leaks per lost link";
        }
    }
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
}

// --- a damaged settings file ------------------------------------------------------------------

using Damage = std::function<void(const QString& path)>;

void writeNoise(const QString& path) {
    const std::vector<std::uint8_t> bytes = noise(64 * 1024, true, 5);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

void writeHugeFile(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const QByteArray block(1 << 20, 'x');
    for (int i = 0; i < 64; ++i) {
        f.write(block);
    }
}

void makeDirectory(const QString& path) {
    ASSERT_TRUE(QDir().mkpath(path));
}

class DamagedSettingsTest : public WindowFaultTest {
protected:
    // Opens the window on a settings file damaged by `damage`: Chinese, as
    // with nothing stored; then English and Chinese are chosen in turn.
    void openAndChooseLanguages(const Damage& damage) {
        QTemporaryDir home;
        const QString path = home.filePath(QStringLiteral("cellwatch/settings.ini"));
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
        damage(path);
        store = std::make_unique<FileSettingsStore>(path);
        open(std::nullopt);
        EXPECT_EQ(tool("file1", "Export")->caption(), QString::fromUtf8("导出"));

        click("Lang1", "ENG");
        EXPECT_EQ(tool("file1", "Export")->caption(), QStringLiteral("Export"));
        EXPECT_EQ(readLanguageCode(*store), QStringLiteral("ENG"));
        click("Lang1", "CHT");
        EXPECT_EQ(tool("file1", "Export")->caption(), QString::fromUtf8("导出"));
        EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
        w.reset();
    }
};

TEST_F(DamagedSettingsTest, UnreadableFileOpensInChineseAndALanguageCanBeChosen) {
    const std::pair<const char*, Damage> cases[] = {
        {"random bytes", writeNoise},
        {"a huge file", writeHugeFile},
    };
    for (const auto& [name, damage] : cases) {
        SCOPED_TRACE(name);
        openAndChooseLanguages(damage);
    }
}

// Fails: a directory where the settings file belongs makes every write fail
// silently (FileSettingsStore::write, QSaveFile cannot open the path), and the
// window reads the language back from the store after a choice
// (MainWindow::chooseLanguage -> SetCaptions -> readLanguageCode), so choosing
// English leaves every caption Chinese for the whole session.
TEST_F(DamagedSettingsTest, DirectoryInPlaceOfTheFileStillLetsALanguageBeChosen) {
    openAndChooseLanguages(makeDirectory);
}

// --- exports that cannot be written
// ----------------------------------------------------------------

// Files this process writes may grow to `bytes` only, as on a device that is
// full: writes beyond fail (EFBIG) instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = SIG_DFL;
};

class FailingExportTest : public WindowFaultTest {
protected:
    void SetUp() override {
        open();
        connectToPty();
        for (int k = 1; k <= 5; ++k) {
            advance(1000);
            record(charging(k));
        }
    }

    // Exports to `target`, where writing fails, with an older file there or
    // not, and files limited to `sizeLimit` bytes (0: no limit).
    void exportFails(const QString& target, bool olderFileThere, rlim_t sizeLimit) {
        const QStringList recorded = tableTexts();
        const QByteArray older("an older export\r\n");
        const QString folder = QFileInfo(target).absolutePath();
        const auto entries = [&folder] {
            return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot |
                                          QDir::System);
        };
        QStringList entriesBefore;
        if (olderFileThere) {
            ASSERT_TRUE(QDir().mkpath(folder));
            QFile f(target);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(older);
            f.close();
            entriesBefore = entries();
        }
        failures.clear();
        saveAnswer = target;
        {
            std::optional<FileSizeLimit> full;
            if (sizeLimit != 0) {
                full.emplace(sizeLimit);
            }
            click("file1", "Export");
        }
        ASSERT_EQ(failures.size(), 1);
        EXPECT_TRUE(failures[0].contains(target)) << failures[0].toStdString();
        EXPECT_EQ(tableTexts(), recorded);
        if (olderFileThere) {
            EXPECT_EQ(readAll(target), older);
            EXPECT_EQ(entries(), entriesBefore) << "a scratch file was left behind";
        } else {
            EXPECT_FALSE(QFileInfo::exists(target));
        }

        // Where writing works, the same table exports.
        failures.clear();
        saveAnswer = dir.filePath(QStringLiteral("table.csv"));
        click("file1", "Export");
        EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
        EXPECT_EQ(readAll(saveAnswer).count("\r\n"), rows() + 1);
    }
};

TEST_F(FailingExportTest, ExportWhereNoFileCanBeMadeShowsWhyAndChangesNothing) {
    const std::pair<const char*, QString> cases[] = {
        {"missing folder", dir.filePath(QStringLiteral("gone/table.csv"))},
        {"read-only file system", QStringLiteral("/proc/cellwatch-table.csv")},
    };
    for (const auto& [name, target] : cases) {
        SCOPED_TRACE(name);
        exportFails(target, false, 0);
    }
}

// A limit of 0 bytes is not enforced by every kernel; 1 byte leaves room
// for less than the byte-order mark.
TEST_F(FailingExportTest, ExportToAFullDeviceShowsWhyAndKeepsTheOlderFile) {
    for (const rlim_t room : {rlim_t{1}, rlim_t{256}}) {
        SCOPED_TRACE(::testing::Message() << room << " bytes of room");
        exportFails(dir.filePath(QStringLiteral("out/table.csv")), true, room);
    }
}

// --- a charger that does not pause between messages ----------------------------------------------

TEST_F(WindowFaultTest, MessagesBackToBackAreAllRecordedInOrder) {
    open();
    connectToPty();

    std::vector<emu::Step> steps;
    for (int k = 0; k < 3000; ++k) {
        emu::Step step;
        step.reading = charging(k);
        step.layout = k % 3 == 0 ? FrameLayout::Short76 : FrameLayout::Long112;
        steps.push_back(step);
    }
    const std::size_t meant = emu::expectedDumpLines(steps).size();
    ASSERT_GE(meant, steps.size() - 1);  // a final 76-byte message waits for more

    emu::PacedWriter writer(pty->masterFd(), {.paced = false});
    writer.setListenerCheck([] { return true; });
    std::atomic<bool> done{false};
    std::thread charger([&] {
        writer.play(steps);
        done = true;
    });
    const bool all = QTest::qWaitFor([&] { return rows() == static_cast<int>(meant); }, 60'000);
    charger.join();
    ASSERT_TRUE(all) << rows() << " of " << meant << " messages recorded";
    EXPECT_EQ(writer.messagesDropped(), 0u);

    for (std::size_t k = 0; k < meant; ++k) {
        const int row = static_cast<int>(k) + 1;
        ASSERT_EQ(w->table().gridText(row, kVoltageColumn),
                  text2(charging(static_cast<int>(k)).voltage))
            << "row " << row;
    }

    // The window still answers and disconnects as usual, keeping the rows.
    EXPECT_TRUE(eventLoopAnswers());
    w->OnToolClick(tool("Tools", "Off"));
    EXPECT_EQ(state(), State(true, true, false, false, QStringLiteral("Disconnected"), false));
    EXPECT_EQ(rows(), static_cast<int>(meant));
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
}

}  // namespace
}  // namespace cellwatch
