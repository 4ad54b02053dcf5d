#include "log_test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace cellwatch::logtest {

emu::ChargerReading chargeReading(int n) {
    emu::ChargerReading r;
    r.mode = emu::Mode::Charge;
    r.chemistry = emu::Chemistry::Lithium;
    r.extTemperature = Decimal::fromInt(25);
    r.intTemperature = Decimal::fromInt(31);
    r.inputVoltage = Decimal::fromHundredths(1500);
    r.voltage = Decimal::fromHundredths(1200 + n);
    r.current = Decimal::fromHundredths(150);
    r.capacity = Decimal::fromInt(10 * n);
    for (std::size_t c = 0; c < 3; ++c) {
        r.cells[c] = Decimal::fromHundredths(400 + n + static_cast<int>(c));
    }
    return r;
}

std::string withoutTime(const std::string& line) {
    const auto tab = line.find('\t');
    return tab == std::string::npos ? std::string() : line.substr(tab + 1);
}

std::string expectedRow(const emu::ChargerReading& reading, FrameLayout layout,
                        const std::string& time) {
    // The dump line is the layout followed by the sample's fields 1 to 21.
    return time + '\t' + withoutTime(emu::expectedDumpLine(reading, layout));
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

void writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            throw std::system_error(errno, std::generic_category(), "write to the pty");
        } else if (std::chrono::steady_clock::now() > deadline) {
            throw std::runtime_error("the pty takes no more bytes");
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
}

ToolRun::ToolRun(const std::vector<std::string>& args) {
    std::array<int, 2> out{};
    std::array<int, 2> err{};
    if (::pipe2(out.data(), O_CLOEXEC) != 0 || ::pipe2(err.data(), O_CLOEXEC) != 0) {
        throw std::system_error(errno, std::generic_category(), "pipe");
    }
    std::vector<std::string> command{CELLWATCH_LOG_TOOL};
    command.insert(command.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : command) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    outFd_ = out[0];
    errFd_ = err[0];
    if (pid_ < 0) {
        throw std::system_error(errno, std::generic_category(), "fork");
    }
}

ToolRun::~ToolRun() {
    if (status_ == -2 && pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    for (int fd : {outFd_, errFd_}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

bool ToolRun::collect(int ms) {
    std::array<pollfd, 2> fds{{{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}}};
    if (outFd_ < 0 && errFd_ < 0) {
        return false;
    }
    if (::poll(fds.data(), fds.size(), ms) <= 0) {
        return true;
    }
    std::array<char, 4096> buffer{};
    const std::array<int*, 2> ends{&outFd_, &errFd_};
    const std::array<std::string*, 2> texts{&out_, &err_};
    for (std::size_t i = 0; i < ends.size(); ++i) {
        if (*ends[i] < 0 || (fds[i].revents & (POLLIN | POLLHUP)) == 0) {
            continue;
        }
        const ssize_t n = ::read(*ends[i], buffer.data(), buffer.size());
        if (n > 0) {
            texts[i]->append(buffer.data(), static_cast<std::size_t>(n));
        } else if (n == 0) {
            ::close(*ends[i]);
            *ends[i] = -1;
        }
    }
    return outFd_ >= 0 || errFd_ >= 0;
}

bool ToolRun::waitForLines(std::size_t count, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const auto complete = [&] {
        return static_cast<std::size_t>(std::count(out_.begin(), out_.end(), '\n')) >= count;
    };
    while (!complete() && std::chrono::steady_clock::now() < deadline) {
        if (!collect(20)) {
            break;
        }
    }
    return complete();
}

void ToolRun::signal(int sig) const {
    ::kill(pid_, sig);
}

int ToolRun::wait(int timeoutMs) {
    if (status_ != -2) {
        return status_;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int raw = 0;
    for (;;) {
        collect(20);
        const pid_t done = ::waitpid(pid_, &raw, WNOHANG);
        if (done == pid_) {
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &raw, 0);
            status_ = -1;
            return status_;
        }
    }
    while (collect(100)) {
    }
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return status_;
}

}  // namespace cellwatch::logtest
