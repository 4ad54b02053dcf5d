#include "tools/emulator/pseudo_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>

namespace cellwatch::emulator {
namespace {

[[noreturn]] void fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

PseudoTerminal::PseudoTerminal() {
    int slave = -1;
    if (::openpty(&master_, &slave, nullptr, nullptr, nullptr) != 0) {
        fail("openpty");
    }
    std::array<char, 256> name{};
    termios mode{};
    const bool ok =
        ::ttyname_r(slave, name.data(), name.size()) == 0 && ::tcgetattr(slave, &mode) == 0;
    if (ok) {
        ::cfmakeraw(&mode);
        ::cfsetspeed(&mode, B9600);
    }
    if (!ok || ::tcsetattr(slave, TCSANOW, &mode) != 0) {
        const int saved = errno;
        ::close(slave);
        ::close(master_);
        errno = saved;
        fail("pseudo-terminal set-up");
    }
    slavePath_ = name.data();
    // Raw mode stays with the terminal after this descriptor closes.
    ::close(slave);
    const int flags = ::fcntl(master_, F_GETFL);
    ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
}

PseudoTerminal::~PseudoTerminal() {
    if (master_ >= 0) {
        ::close(master_);
    }
}

bool PseudoTerminal::listenerPresent() {
    pollfd p{master_, POLLIN | POLLOUT, 0};
    if (::poll(&p, 1, 0) < 0) {
        return hadListener_;
    }
    const bool present = (p.revents & POLLHUP) == 0;
    if (present && (p.revents & POLLIN) != 0) {
        std::array<char, 256> sink{};
        while (::read(master_, sink.data(), sink.size()) > 0) {
        }
    }
    if (!present && hadListener_) {
        dropLeftovers();
    }
    hadListener_ = present;
    return present;
}

// Bytes a listener left unread stay in the slave's input queue and would
// greet the next listener. A flush on the master does not reach them, so
// the slave is opened for a moment and flushed there.
void PseudoTerminal::dropLeftovers() const {
    const int fd = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::tcflush(fd, TCIFLUSH);
        ::close(fd);
    }
}

}  // namespace cellwatch::emulator
