// The window under faults a user meets sooner or later: a line full of
// noise, a message that stops half way, an adapter pulled and plugged back
// again and again, a damaged settings file, an export that cannot be
// written, a charger that talks faster than it should. Each must end with
// the window working and nothing already recorded lost.
#include <sys/ioctl.h>
#include <sys/resource.h>

#include <QAbstractEventDispatcher>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QSerialPort>
#include <csignal>
#include <filesystem>
#include <iterator>
#include <random>
#include <thread>

#include "protocol/byte_source.h"
#include "tests/support/settle.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

std::ptrdiff_t openDescriptors() {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}

// How often the event loop went to sleep while it ran the timers due within
// `ms`: a loop at rest sleeps between the few events it gets (its timers'),
// one that spins (a notifier on a dead descriptor, say) a pass at a time
// without end, however fast or slow the machine.
int loopSleepsWithin(int ms) {
    int sleeps = 0;
    const QMetaObject::Connection counting =
        QObject::connect(QAbstractEventDispatcher::instance(),
                         &QAbstractEventDispatcher::aboutToBlock, [&sleeps] { ++sleeps; });
    test::runTimersDueWithin(ms);
    QObject::disconnect(counting);
    return sleeps;
}

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

using WindowFaultTest = WindowTest;

// --- noise on the line ---------------------------------------------------------------------

TEST_F(WindowFaultTest, MegabytesOfNoiseBetweenMessagesLoseNothingAndFramingRecovers) {
    constexpr std::size_t kBurst = 4u << 20;
    constexpr int kBefore = 3;
    constexpr int kAfter = 6;
    constexpr int kRecoveredWithin = 3;  // messages after the burst that may be lost
    for (const bool withStartBytes : {false, true}) {
        SCOPED_TRACE(withStartBytes ? "noise with start bytes" : "noise without start bytes");
        w.reset();
        pty = std::make_unique<emu::PseudoTerminal>();
        openConnected(kBefore);
        const QStringList recorded = tableTexts();

        // The burst reaches the window's receive path as one receive event.
        session::LiveSession& path = w->session();
        const std::uint64_t droppedBefore = path.driver().counts().bytesDropped;
        BufferByteSource line(noise(kBurst, withStartBytes, 11));
        path.take(line);
        if (!withStartBytes) {
            EXPECT_EQ(path.driver().counts().bytesDropped - droppedBefore, kBurst);
            EXPECT_EQ(path.driver().counts().bytesUnframed, 0u);
        }

        for (int k = kBefore + 1; k <= kBefore + kAfter; ++k) {
            advance(1000);
            line.feed(message(charging(k)));
            path.take(line);
        }
        ASSERT_TRUE(test::settle());

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
        recordRows(20, 20);
        EXPECT_TRUE(failures.isEmpty()) << failureText();
    }
}

// --- a message that stops after its start byte ------------------------------------------------

// A message whose last byte comes more than 3 s after its start byte (the
// decoder's tests take the limit itself) leaves the window showing idle and
// keeping what it recorded.
TEST_F(WindowFaultTest, MessageStalledAfterItsStartByteForMoreThanThreeSecondsIsNotRecorded) {
    openConnected(1);
    const QStringList recorded = tableTexts();

    const std::vector<std::uint8_t> bytes = message(charging(2));
    const std::span<const std::uint8_t> all(bytes);
    write(all.first(1));
    const auto unframed = [&] { return w->session().driver().counts().bytesUnframed; };
    ASSERT_TRUE(QTest::qWaitFor([&] { return unframed() == 1; }, kWaitMs));

    // 110 bytes after the start byte: they wait (with the driver, in the
    // port or still in the system's driver), nothing is decoded.
    write(all.subspan(1, kBytesNeededAfterStart - 1));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            QSerialPort& port = (*w->serialPort());
            int inDriver = 0;
            ::ioctl(static_cast<int>(port.handle()), FIONREAD, &inDriver);
            return static_cast<qint64>(unframed()) + port.bytesAvailable() + inDriver ==
                   static_cast<qint64>(kBytesNeededAfterStart);
        },
        kWaitMs));
    ASSERT_TRUE(test::settle());
    EXPECT_EQ(rows(), 1);

    advance(kFreshnessLimitMs + 1);
    write(all.subspan(kBytesNeededAfterStart));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return w->chart().titleLines().value(0) == QLatin1String("Idle"); }, kWaitMs));
    EXPECT_EQ(unframed(), 0u);
    EXPECT_EQ(tableTexts(), recorded);

    // The next message is recorded again, after what was there.
    advance(300);
    record(charging(3));
    EXPECT_EQ(tableTexts(1), recorded);
    EXPECT_EQ(w->table().gridText(rows(), kVoltageColumn), text2(charging(3).voltage));
    EXPECT_TRUE(failures.isEmpty()) << failureText();
}

// --- the adapter pulled and plugged back ------------------------------------------------------

TEST_F(WindowFaultTest, AdapterLostAndBackAHundredTimesLeaksNothingAndKeepsTheRecording) {
    open();
    Tool* status = tool("state", "state_text");
    std::ptrdiff_t descriptors = 0;
    for (int round = 0; round < 100; ++round) {
        SCOPED_TRACE(::testing::Message() << "round " << round);
        pty = std::make_unique<emu::PseudoTerminal>();
        connectTo(slave());
        ASSERT_TRUE(w->linkOpen()) << failureText();
        ASSERT_EQ(rows(), 0);
        advance(1000);
        record(charging(round));
        const QStringList recorded = tableTexts();
        const int messages = status->itemCount();
        int errors = 0;
        QObject counting;  // goes before `errors` does
        QObject::connect(
            w->serialPort(), &QSerialPort::errorOccurred, &counting,
            [&](QSerialPort::SerialPortError e) { errors += e != QSerialPort::NoError; });

        pty.reset();  // the adapter is pulled
        ASSERT_TRUE(QTest::qWaitFor([&] { return !tool("Tools", "Off")->enabled(); }, kWaitMs));
        ASSERT_EQ(state(), disconnectedState(QStringLiteral("Disconnected")));
        ASSERT_EQ(tableTexts(), recorded);
        ASSERT_TRUE(eventLoopAnswers());

        if (round == 0) {
            // Told once in the status list, quietly, and the event loop rests.
            EXPECT_EQ(status->itemCount(), messages + 1);
            EXPECT_TRUE(
                status->text().startsWith(QStringLiteral("The link to the charger was lost")))
                << status->text().toStdString();
            EXPECT_LE(errors, 2);
            EXPECT_LT(loopSleepsWithin(300), 30) << "the event loop spins after the loss";
            descriptors = openDescriptors();
        } else {
            ASSERT_LE(openDescriptors(), descriptors) << "a descriptor leaks per lost link";
        }
    }
    EXPECT_TRUE(failures.isEmpty()) << failureText();
}

// --- a damaged settings file ------------------------------------------------------------------

// Opens in Chinese, as with nothing stored, and English and Chinese can be
// chosen in turn. A directory in place of the file makes every write fail,
// so the choice must hold for the session without being read back.
TEST_F(WindowFaultTest, DamagedSettingsFileOpensInChineseAndALanguageCanBeChosen) {
    const std::vector<std::uint8_t> random = noise(64 * 1024, true, 5);
    const std::pair<const char*, std::optional<QByteArray>> cases[] = {
        {"random bytes", QByteArray(reinterpret_cast<const char*>(random.data()),
                                    static_cast<qsizetype>(random.size()))},
        {"a huge file", QByteArray(64 << 20, 'x')},
        {"a directory", std::nullopt},
    };
    for (const auto& [name, damage] : cases) {
        SCOPED_TRACE(name);
        w.reset();
        QTemporaryDir home;
        const QString path = home.filePath(QStringLiteral("cellwatch/settings.ini"));
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
        if (damage) {
            writeFile(path, *damage);
        } else {
            ASSERT_TRUE(QDir().mkpath(path));
        }
        store = std::make_unique<FileSettingsStore>(path);
        open(std::nullopt);
        EXPECT_EQ(tool("file1", "Export")->caption(), QString::fromUtf8("导出"));

        click("Lang1", "ENG");
        EXPECT_EQ(tool("file1", "Export")->caption(), QStringLiteral("Export"));
        EXPECT_EQ(readLanguageCode(*store), QStringLiteral("ENG"));
        click("Lang1", "CHT");
        EXPECT_EQ(tool("file1", "Export")->caption(), QString::fromUtf8("导出"));
        EXPECT_TRUE(failures.isEmpty()) << failureText();
        w.reset();
    }
}

// --- exports that cannot be written -----------------------------------------------------------

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

// An export to a missing folder, to a read-only file system, or to a full
// device (a limit of 0 bytes is not enforced by every kernel; 1 byte leaves
// room for less than the byte-order mark) shows why, keeps an older file and
// the table, and leaves no scratch file; where writing works, the same table
// then exports.
TEST_F(WindowFaultTest, ExportThatCannotBeWrittenShowsWhyAndChangesNothing) {
    openConnected(5);
    const QStringList recorded = tableTexts();
    const QByteArray older("an older export\r\n");
    const struct {
        const char* name;
        QString target;
        bool olderFileThere;
        rlim_t room;  // 0: no limit
        int why;      // the system's reason the message gives; 0: any
    } cases[] = {
        {"missing folder", dir.filePath(QStringLiteral("gone/table.csv")), false, 0, 0},
        {"read-only file system", QStringLiteral("/proc/cellwatch-table.csv"), false, 0, 0},
        // The size limit fails writes as a full disk does, with its own reason.
        {"1 byte of room", dir.filePath(QStringLiteral("out/table.csv")), true, 1, EFBIG},
        {"256 bytes of room", dir.filePath(QStringLiteral("out/table.csv")), true, 256, EFBIG},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = QFileInfo(c.target).absolutePath();
        const auto entries = [&folder] {
            return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot |
                                          QDir::System);
        };
        QStringList entriesBefore;
        if (c.olderFileThere) {
            ASSERT_TRUE(QDir().mkpath(folder));
            writeFile(c.target, older);
            entriesBefore = entries();
        }
        failures.clear();
        saveAnswer = c.target;
        {
            std::optional<FileSizeLimit> full;
            if (c.room != 0) {
                full.emplace(c.room);
            }
            click("file1", "Export");
        }
        ASSERT_EQ(failures.size(), 1);
        EXPECT_TRUE(failures[0].contains(c.target)) << failures[0].toStdString();
        if (c.why != 0) {
            EXPECT_TRUE(failures[0].endsWith(QString::fromLocal8Bit(std::strerror(c.why))))
                << failures[0].toStdString();
        }
        EXPECT_EQ(tableTexts(), recorded);
        if (c.olderFileThere) {
            EXPECT_EQ(readAll(c.target), older);
            EXPECT_EQ(entries(), entriesBefore) << "a scratch file was left behind";
        } else {
            EXPECT_FALSE(QFileInfo::exists(c.target));
        }

        failures.clear();
        saveAnswer = dir.filePath(QStringLiteral("table.csv"));
        click("file1", "Export");
        EXPECT_TRUE(failures.isEmpty()) << failureText();
        EXPECT_EQ(readAll(saveAnswer).count("\r\n"), rows() + 1);
    }
}

// --- a charger that does not pause between messages ----------------------------------------------

TEST_F(WindowFaultTest, MessagesBackToBackAreAllRecordedInOrder) {
    openConnected();

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
    std::thread charger([&] { writer.play(steps); });
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
    disconnect();
    EXPECT_EQ(state(), disconnectedState(QStringLiteral("Disconnected")));
    EXPECT_EQ(rows(), static_cast<int>(meant));
    EXPECT_TRUE(failures.isEmpty()) << failureText();
}

}  // namespace
}  // namespace cellwatch::windowtest
