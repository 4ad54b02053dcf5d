// cellwatch-dump: prints the status messages of a captured serial stream.
#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "drivers/described_chargers.h"
#include "protocol/driver_registry.h"
#include "protocol/frames_text.h"
#include "protocol/version.h"
#include "tools/dump/dump_session.h"

namespace {

constexpr const char* kUsage =
    "Usage: cellwatch-dump [--charger NAME] [FILE|-]\n"
    "       cellwatch-dump [--charger NAME] --frames FILE\n"
    "       cellwatch-dump --list-chargers\n"
    "\n"
    "Reads the raw bytes a charger sent on its serial line (a capture file, or\n"
    "standard input when FILE is '-' or missing), cuts them into status messages\n"
    "and prints one line per message, fields separated by tabs:\n"
    "\n"
    "  layout (76 or 112; for another charger, the channel), battery type,\n"
    "  state, external temperature, internal temperature, input voltage,\n"
    "  battery voltage, current, capacity, power, cell 1 ... cell 12\n"
    "\n"
    "Voltages and current have two decimals; other numbers are shown in their\n"
    "shortest form. Idle messages are printed too; a charging or discharging\n"
    "message no charger can have sent (over 100 degrees, over 50 V, a battery at\n"
    "0 V) is left out, as the program leaves it out, and counted in the summary.\n"
    "At the end of the input the last message is printed when it is whole (a\n"
    "76-byte message does not wait for the next one, as it must on a live\n"
    "line); a message cut off is not.\n"
    "A summary goes to standard error.\n"
    "Input is read as it arrives, so a live stream can be piped in, and FILE may\n"
    "be a serial port (it is set to 9600 baud, 8N1, raw).\n"
    "\n"
    "Ctrl+C ends a live stream; the summary is still printed.\n"
    "\n"
    "  --charger NAME   the charger's driver (default tkrx; --list-chargers)\n"
    "  --frames FILE    read received messages written as text instead: one per\n"
    "                   line, in hex (spaces allowed), each optionally preceded\n"
    "                   by its time and ': ' (2025-02-27_12-44-47: 7b 81 ... or\n"
    "                   2025-02-27T12:44:47.123: 7b81...); a line without a time\n"
    "                   comes one second after the one before. Bad lines are\n"
    "                   counted on standard error and skipped.\n"
    "  --list-chargers  print the chargers' drivers (id, maker, models), one a\n"
    "                   line, and exit\n"
    "\n"
    "--version prints the program's name and version.\n"
    "\n"
    "Exit status: 0 on success, 1 if the input cannot be read, 2 on bad usage.\n";

volatile sig_atomic_t interrupted = 0;

void onInterrupt(int) {
    interrupted = 1;
}

// Ctrl+C or SIGTERM ends the reading; what was framed so far and the summary
// are still printed. No SA_RESTART, so a blocked read returns at once.
void catchInterrupts() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// A serial port given as the input is read as the charger talks: raw bytes,
// 9600 baud, 8 data bits, no parity, one stop bit, no flow control.
void setChargerLine(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        return;
    }
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | CS8;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    ::tcsetattr(fd, TCSANOW, &tio);
}

// Decodes a frames file; its bad lines are told on standard error.
int dumpFrames(const std::string& path, const std::string& charger) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cellwatch-dump: cannot open %s: %s\n", path.c_str(),
                     std::strerror(errno));
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();
    const cellwatch::FramesText frames = cellwatch::readFramesText(text.str());
    cellwatch::DumpSession session(stdout, charger);
    const std::int64_t first = frames.frames.empty() ? 0 : frames.frames.front().timeMs;
    for (const cellwatch::FramesEntry& f : frames.frames) {
        session.feedMessage(f.bytes, static_cast<std::uint32_t>(f.timeMs - first));
    }
    session.finish();
    std::fflush(stdout);
    if (frames.badLines > 0) {
        std::fprintf(stderr, "cellwatch-dump: %s\n",
                     cellwatch::badFramesLinesText(frames, path).c_str());
    }
    std::fprintf(stderr, "%s\n", cellwatch::summaryText(session.summary()).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (!cellwatch::prepareDescribedChargers(argc, argv, "cellwatch-dump")) {
        return 2;
    }
    std::string path = "-";
    std::string charger(cellwatch::kFirstDriverId);
    std::string frames;
    int operands = 0;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--list-chargers") {
            std::fputs(cellwatch::driverListText().c_str(), stdout);
            return 0;
        }
        if (arg == "--charger" || arg == "--frames") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "cellwatch-dump: %s needs a value (try --help)\n", argv[i]);
                return 2;
            }
            (arg == "--charger" ? charger : frames) = argv[++i];
            continue;
        }
        if (arg == "--version") {
            std::printf("cellwatch-dump %s\n", cellwatch::kProgramVersion);
            return 0;
        }
        if (arg.size() > 1 && arg[0] == '-' && arg != "--") {
            std::fprintf(stderr, "cellwatch-dump: unknown option %s (try --help)\n", argv[i]);
            return 2;
        }
        if (arg == "--") {
            continue;
        }
        path = arg;
        ++operands;
    }
    if (operands > 1 || (operands > 0 && !frames.empty())) {
        std::fprintf(stderr, "cellwatch-dump: give at most one input file (try --help)\n");
        return 2;
    }
    if (cellwatch::findDriver(charger) == nullptr) {
        std::fprintf(stderr, "cellwatch-dump: no charger %s; the chargers are: %s\n",
                     charger.c_str(), cellwatch::driverIdsText().c_str());
        return 2;
    }
    if (!frames.empty()) {
        return dumpFrames(frames, charger);
    }

    int fd = STDIN_FILENO;
    if (path != "-") {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            std::fprintf(stderr, "cellwatch-dump: cannot open %s: %s\n", path.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }
    const std::string name = path == "-" ? std::string("standard input") : path;
    if (fd != STDIN_FILENO && ::isatty(fd)) {
        setChargerLine(fd);
    }

    static std::array<char, 1 << 16> outBuffer;
    std::setvbuf(stdout, outBuffer.data(), _IOFBF, outBuffer.size());

    catchInterrupts();
    cellwatch::DumpSession session(stdout, charger);
    std::array<std::uint8_t, 1 << 16> chunk;
    int status = 0;
    for (;;) {
        ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n > 0) {
            session.feed({chunk.data(), static_cast<std::size_t>(n)});
            std::fflush(stdout);  // a live stream shows each message as it is framed
        }
        if (n == 0) {
            session.finish();  // the last message is not waiting for a next one
            break;
        }
        if (interrupted) {
            break;
        }
        if (n < 0 && errno != EINTR) {
            std::fflush(stdout);
            std::fprintf(stderr, "cellwatch-dump: cannot read %s: %s\n", name.c_str(),
                         std::strerror(errno));
            status = 1;
            break;
        }
    }
    if (fd != STDIN_FILENO) {
        ::close(fd);
    }
    std::fflush(stdout);
    if (std::ferror(stdout) && status == 0) {
        std::fprintf(stderr, "cellwatch-dump: cannot write the output: %s\n", std::strerror(errno));
        return 1;
    }
    std::fprintf(stderr, "%s\n", cellwatch::summaryText(session.summary()).c_str());
    return status;
}
