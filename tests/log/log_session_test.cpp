// The session in-process on a real pseudo-terminal: what it does when the
// log cannot be written.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
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
    using SessionTest::sendAt;
    // One message, framed at once whatever its layout.
    void sendAt(std::uint32_t atMs, const emu::ChargerReading& reading,
                FrameLayout layout = FrameLayout::Long112) {
        const std::vector<std::uint8_t> bytes = emu::encodeStatus(reading, layout);
        sendAt(atMs, layout == FrameLayout::Short76 ? framed(bytes) : bytes);
    }
};

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
