// Reading the files the program reads: only regular files, whole and within a
// bound, and never waiting: FIFOs, devices (also behind a symbolic link),
// directories, sockets and oversized files are refused at once, saying why.
#include "serial/file_open.h"
#include "tests/support/fifo_watchdog.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

namespace cellwatch {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBound = 4096;

class FileOpenTest : public ::testing::Test {
protected:
    std::string path(const char* name) const { return (dir / name).string(); }
    std::string write(const char* name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name);
    }

    QTemporaryDir tmp;
    const fs::path dir = tmp.path().toStdString();
};

TEST_F(FileOpenTest, OnlyRegularFilesWithinTheBoundAreRead) {
    const std::string text = "{\"pack\": \"A\"}\n";
    const std::string regular = write("regular", text);
    write("empty", "");
    write("bound", std::string(kBound, 'b'));
    write("over", std::string(kBound + 1, 'o'));
    {
        std::ofstream big(path("sparse"), std::ios::binary);  // 100 MB, none of it on the drive
    }
    fs::resize_file(path("sparse"), 100'000'000);
    ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", path("zero-link"));
    fs::create_symlink(regular, path("regular-link"));
    fs::create_symlink(path("nowhere"), path("dangling"));
    fs::create_directory(path("folder"));
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = path("socket");
    ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);

    const struct Case {
        const char* name;
        std::string path;
        const char* says;  // nullptr: read, giving `bytes`
        std::string bytes;
        bool missing = false;
    } cases[] = {
        {"a regular file", regular, nullptr, text},
        {"an empty file", path("empty"), nullptr, ""},
        {"a file of the bound's size", path("bound"), nullptr, std::string(kBound, 'b')},
        {"a link to a regular file", path("regular-link"), nullptr, text},
        {"a file one byte over", path("over"), "it is larger than 4 KiB", {}},
        {"a 100 MB file", path("sparse"), "it is larger than 4 KiB", {}},
        {"a FIFO", path("fifo"), "it is a FIFO, not a regular file", {}},
        {"a link to /dev/zero", path("zero-link"), "it is a device, not a regular file", {}},
        {"/dev/zero", "/dev/zero", "it is a device, not a regular file", {}},
        {"a directory", path("folder"), "it is a directory", {}},
        {"a socket", socketPath, "it is a socket, not a regular file", {}},
        {"a missing file", path("nowhere"), "No such file or directory", {}, true},
        {"a dangling link", path("dangling"), "No such file or directory", {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testing::FifoWatchdog watchdog(path("fifo"));
        const FileContents got = readRegularFile(c.path, kBound);
        EXPECT_EQ(got.missing, c.missing);
        EXPECT_FALSE(got.shrank);
        if (c.says == nullptr) {
            EXPECT_TRUE(got.ok()) << got.why;
            EXPECT_EQ(got.bytes, c.bytes);
        } else {
            EXPECT_FALSE(got.ok());
            EXPECT_EQ(got.why, c.says);
            EXPECT_TRUE(got.bytes.empty());
        }

        // The descriptor and the stream are refused alike (size aside: they
        // are for readers that stream).
        std::string why;
        const int fd = openRegularFile(c.path, why);
        std::FILE* file = openFileForReading(c.path, why);
        const bool refused = c.says != nullptr && std::strstr(c.says, "larger") == nullptr;
        EXPECT_EQ(fd < 0, refused);
        EXPECT_EQ(file == nullptr, refused);
        if (refused) {
            EXPECT_EQ(why, c.says);
        } else {
            // Reads wait as usual once the file is known to be a regular file.
            EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
            EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
        }
        if (fd >= 0) {
            ::close(fd);
        }
        if (file != nullptr) {
            std::fclose(file);
        }
    }
    ::close(sock);
}

// A file whose size says nothing (the kernel's files under /proc read as
// empty) is read to its end all the same, and refused once it passes the bound.
TEST_F(FileOpenTest, FilesWithoutATrueSizeAreReadToTheirEndWithinTheBound) {
    const FileContents status = readRegularFile("/proc/self/status", 1 << 20);
    ASSERT_TRUE(status.ok()) << status.why;
    EXPECT_NE(status.bytes.find("Name:"), std::string::npos);
    const FileContents small = readRegularFile("/proc/self/status", 16);
    EXPECT_EQ(small.why, "it is larger than 16 bytes");
    EXPECT_TRUE(small.bytes.empty());
}

TEST(ByteCountText, SaysTheBoundInItsLargestWholeUnit) {
    const struct {
        std::size_t bytes;
        const char* says;
    } cases[] = {{1, "1 byte"},         {100, "100 bytes"},
                 {1024, "1 KiB"},       {1536, "1536 bytes"},
                 {64 * 1024, "64 KiB"}, {1 << 20, "1 MiB"},
                 {1 << 30, "1024 MiB"}, {(1 << 20) + 1024, "1025 KiB"}};
    for (const auto& c : cases) {
        EXPECT_EQ(byteCountText(c.bytes), c.says) << c.bytes;
    }
}

}  // namespace
}  // namespace cellwatch
