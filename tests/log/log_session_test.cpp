// The session in-process: the emulator's messages go through a real
// pseudo-terminal and the whole receive chain.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "log_test_support.h"
#include "tools/log/command_line.h"
#include "tools/log/log_session.h"

namespace cellwatch::logger {
namespace {

using namespace logtest;

// A stream that takes a number of writes and then fails as a full disk does.
class FailingStream {
public:
    explicit FailingStream(int acceptedWrites) : left_(acceptedWrites) {
        cookie_io_functions_t io{};
        io.write = &FailingStream::write;
        file_ = ::fopencookie(this, "w", io);
    }
    ~FailingStream() { std::fclose(file_); }
    FailingStream(const FailingStream&) = delete;
    FailingStream& operator=(const FailingStream&) = delete;

    std::FILE* file() const { return file_; }
    const std::string& text() const { return text_; }

private:
    static ssize_t write(void* cookie, const char* data, std::size_t size) {
        auto* self = static_cast<FailingStream*>(cookie);
        if (self->left_-- <= 0) {
            errno = ENOSPC;
            return -1;
        }
        self->text_.append(data, size);
        return static_cast<ssize_t>(size);
    }

    int left_;
    std::string text_;
    std::FILE* file_ = nullptr;
};

class LogSessionTest : public SessionTest {
protected:
    void startInMemory() { ASSERT_TRUE(session.start(out->file())); }

    using SessionTest::sendAt;
    // One message, framed at once whatever its layout.
    void sendAt(std::uint32_t atMs, const emu::ChargerReading& reading,
                FrameLayout layout = FrameLayout::Long112) {
        const std::vector<std::uint8_t> bytes = emu::encodeStatus(reading, layout);
        sendAt(atMs, layout == FrameLayout::Short76 ? framed(bytes) : bytes);
    }
    bool waitForLines(std::size_t count) {
        return waitUntil([&] { return lines().size() >= count; });
    }
};

// A message completed more than 3 s after its start byte shows idle; a row
// more than 4 s after the last one restarts the recording and is dropped,
// and the next row is at one second again.
TEST_F(LogSessionTest, StalledMessageShowsIdleAndAPauseRestarts) {
    startInMemory();
    sendAt(1000, charging(1));
    ASSERT_TRUE(waitForLines(2));
    const std::vector<std::uint8_t> late = emu::encodeStatus(charging(2), FrameLayout::Long112);
    sendAt(1500, {late.begin(), late.begin() + 6});
    ASSERT_TRUE(waitUntil([&] { return session.receivePath().started(); }));
    sendAt(4501, {late.begin() + 6, late.end()});
    ASSERT_TRUE(waitForLines(3));
    // The fourth comes 5.1 s after the last row.
    for (const auto& [atMs, n] : {std::pair{4900u, 3}, {10000u, 4}, {11000u, 5}, {12000u, 6}}) {
        sendAt(atMs, charging(n));
        ASSERT_TRUE(waitForLines(static_cast<std::size_t>(n) + 1)) << n;
    }
    const auto row = [](int n, const char* time) {
        return expectedRow(charging(n), FrameLayout::Long112, time);
    };
    EXPECT_EQ(lines(),
              (std::vector<std::string>{kHeaderLine, row(1, "0:00:01"), "# idle", row(3, "0:00:05"),
                                        "# restart", row(5, "0:00:01"), row(6, "0:00:02")}));
    EXPECT_EQ(finished, -1);
}

TEST_F(LogSessionTest, HeaderThatCannotBeWrittenRefusesToStart) {
    FailingStream full(0);
    EXPECT_FALSE(session.start(full.file()));
    EXPECT_FALSE(session.running());
    EXPECT_TRUE(session.failure().contains(QString::fromLocal8Bit(std::strerror(ENOSPC))))
        << session.failure().toStdString();
    waitUntil([] { return false; }, 50);
    EXPECT_EQ(finished, -1);  // nothing more to announce: the caller was told
}

TEST_F(LogSessionTest, RowThatCannotBeWrittenEndsTheLogWithStatusOne) {
    FailingStream full(2);  // the header and one row
    ASSERT_TRUE(session.start(full.file()));
    sendAt(1000, charging(1));
    sendAt(2000, charging(2));
    ASSERT_TRUE(waitUntil([&] { return finished != -1; }));
    EXPECT_EQ(finished, kExitFailure);
    EXPECT_FALSE(session.running());
    EXPECT_TRUE(session.failure().startsWith(QStringLiteral("cannot write the log")));
    // The port is let go: the charger's side sees nobody listening.
    EXPECT_FALSE(pty->listenerPresent());
    EXPECT_EQ(splitLines(full.text()),
              (std::vector<std::string>{
                  kHeaderLine, expectedRow(charging(1), FrameLayout::Long112, "0:00:01")}));
    EXPECT_EQ(session.rowsWritten(), 1);
}

}  // namespace
}  // namespace cellwatch::logger
