// cellwatch-emulator: the charger's side of the serial line, for tests,
// benchmarks and demonstrations. See --help.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "drivers/described_chargers.h"
#include "protocol/driver_registry.h"
#include "protocol/version.h"
#include "tools/emulator/answering_charger.h"
#include "tools/emulator/command_line.h"
#include "tools/emulator/icharger_serve.h"
#include "tools/emulator/described_player.h"
#include "tools/emulator/paced_writer.h"
#include "tools/emulator/pseudo_terminal.h"
#include "tools/emulator/scenario.h"
#include "tools/emulator/step_capture.h"

namespace {

using namespace cellwatch::emulator;

constexpr const char* kProgram = "cellwatch-emulator";

std::atomic<bool> gStop{false};

extern "C" void onStopSignal(int) {
    gStop.store(true);
}

void installSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: sleeps and writes return early
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);  // a vanished reader shows up as EPIPE
}

int fail(const std::string& message) {
    std::cerr << kProgram << ": " << message << "\n";
    return 1;
}

// A symbolic link to the pty slave that goes away with the program, but only
// if it still points where this program made it point.
class SlaveLink {
public:
    SlaveLink(std::string path, std::string target)
        : path_(std::move(path)), target_(std::move(target)) {}
    ~SlaveLink() {
        if (made_ && pointsToTarget()) {
            ::unlink(path_.c_str());
        }
    }
    SlaveLink(const SlaveLink&) = delete;
    SlaveLink& operator=(const SlaveLink&) = delete;

    // Replaces a stale link left by an earlier run; never a file or directory.
    bool make(std::string& error) {
        struct stat st {};
        if (::lstat(path_.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) {
                error = path_ + " exists and is not a symbolic link";
                return false;
            }
            ::unlink(path_.c_str());
        }
        if (::symlink(target_.c_str(), path_.c_str()) != 0) {
            error = "cannot create link " + path_ + ": " + std::strerror(errno);
            return false;
        }
        made_ = true;
        return true;
    }

private:
    bool pointsToTarget() const {
        std::vector<char> buf(target_.size() + 2);
        const ssize_t n = ::readlink(path_.c_str(), buf.data(), buf.size());
        return n >= 0 && std::string_view(buf.data(), static_cast<std::size_t>(n)) == target_;
    }

    std::string path_;
    std::string target_;
    bool made_ = false;
};

bool writeExpectations(const std::string& path, const std::vector<Step>& steps) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const std::string& line : expectedDumpLines(steps, StreamEnd::Ends)) {
        out << line << '\n';
    }
    out.flush();
    return static_cast<bool>(out);
}

int play(PacedWriter& writer, const std::vector<Step>& steps, bool loop) {
    PacedWriter::Outcome outcome;
    do {
        outcome = writer.play(steps);
    } while (loop && outcome == PacedWriter::Outcome::Finished);
    if (outcome == PacedWriter::Outcome::Failed) {
        return fail(std::string("write failed: ") + std::strerror(writer.error()));
    }
    return 0;  // finished, interrupted, or the reader went away
}

// The capture's start: the one given, or now; with the local time's offset then.
CaptureTimes captureTimes(std::optional<std::int64_t> epochSeconds) {
    const std::time_t t =
        epochSeconds ? static_cast<std::time_t>(*epochSeconds) : std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return {static_cast<std::int64_t>(t) * 1000, static_cast<std::int32_t>(local.tm_gmtoff)};
}

// A charger told by a description, on a file, standard output or a pty.
int runDescribed(const cellwatch::ChargerDescription& d, const CommandLine& cl) {
    if (cl.capture || cl.expect) {
        std::cerr << kProgram << ": --capture and --expect play only the tkrx chargers\n";
        return 2;
    }
    installSignalHandlers();
    DescribedPlay play;
    play.steps = cl.loop ? 0 : 60;
    play.intervalMs = cl.pacing.intervalMs;
    play.paced = cl.pacing.paced;
    play.stop = &gStop;
    std::unique_ptr<PseudoTerminal> pty;
    int fd = STDOUT_FILENO;
    if (cl.output && *cl.output != "-") {
        fd = ::open(cl.output->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
            return fail("cannot open " + *cl.output + ": " + std::strerror(errno));
        }
    } else if (!cl.output) {
        pty = std::make_unique<PseudoTerminal>();
        fd = pty->masterFd();
        // A polled charger hears its listener's requests and answers them.
        play.answerRequests = !d.requests.empty();
        if (!play.answerRequests) {
            play.listening = [&pty] { return pty->listenerPresent(); };
        }
        std::cout << pty->slavePath() << std::endl;
    }
    play.fd = fd;
    const int error = playDescribed(d, play);
    return error != 0 ? fail(std::string("write failed: ") + std::strerror(error)) : 0;
}

int run(const CommandLine& cl) {
    if (const auto described = cellwatch::describedCharger(cl.charger)) {
        return runDescribed(*described, cl);
    }
    std::vector<Step> steps;
    try {
        steps = buildScenario(cl.scenario);
    } catch (const std::invalid_argument& e) {
        std::cerr << kProgram << ": " << e.what() << "\n";
        return 2;
    }
    if (cl.expect && !writeExpectations(*cl.expect, steps)) {
        return fail("cannot write " + *cl.expect);
    }
    if (cl.capture) {
        writeCaptureOfSteps(steps, cl.pacing, captureTimes(cl.startEpochSeconds), *cl.capture);
        return 0;
    }
    installSignalHandlers();

    if (cl.output) {
        int fd = STDOUT_FILENO;
        if (*cl.output != "-") {
            fd = ::open(cl.output->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0) {
                return fail("cannot open " + *cl.output + ": " + std::strerror(errno));
            }
        }
        PacedWriter writer(fd, cl.pacing);
        writer.setStopFlag(&gStop);
        const int status = play(writer, steps, cl.loop);
        if (fd != STDOUT_FILENO && ::close(fd) != 0 && status == 0) {
            return fail("cannot write " + *cl.output + ": " + std::strerror(errno));
        }
        return status;
    }

    std::unique_ptr<PseudoTerminal> pty;
    try {
        pty = std::make_unique<PseudoTerminal>();
    } catch (const std::system_error& e) {
        return fail(e.what());
    }
    std::unique_ptr<SlaveLink> link;
    if (cl.link) {
        link = std::make_unique<SlaveLink>(*cl.link, pty->slavePath());
        std::string error;
        if (!link->make(error)) {
            return fail(error);
        }
    }
    std::cout << pty->slavePath() << std::endl;  // flushes: the caller waits for it

    PacedWriter writer(pty->masterFd(), cl.pacing);
    writer.setStopFlag(&gStop);
    writer.setDropWhenFull(true);
    writer.setListenerCheck([&pty] { return pty->listenerPresent(); });
    return play(writer, steps, cl.loop);
}

}  // namespace

// A charger that answers requests: hex lines in on standard input, its
// replies out on standard output, on a clock started now.
int answerRequests(const CommandLine& cl) {
    const std::unique_ptr<AnsweringCharger> charger = makeAnsweringCharger(cl.charger, cl.model);
    static const auto start = std::chrono::steady_clock::now();
    runHexLines(*charger, std::cin, std::cout, [] {
        return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              std::chrono::steady_clock::now() - start)
                                              .count());
    });
    return 0;
}

int main(int argc, char** argv) {
    if (!cellwatch::prepareDescribedChargers(argc, argv, kProgram)) {
        return 2;
    }
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--version") {
        std::cout << kProgram << ' ' << cellwatch::kProgramVersion << '\n';
        return 0;
    }
    if (asksForIcharger(args)) {
        const ParsedIchargerCommandLine icharger = parseIchargerCommandLine(args);
        if (!icharger.commandLine) {
            std::cerr << kProgram << ": " << icharger.error << " (see --help)\n";
            return 2;
        }
        if (icharger.commandLine->help) {
            std::cout << ichargerHelpText();
            return 0;
        }
        installSignalHandlers();
        return serveIcharger(icharger.commandLine->play, gStop);
    }
    const ParsedCommandLine parsed = parseCommandLine(args);
    if (!parsed.commandLine) {
        std::cerr << kProgram << ": " << parsed.error << " (see --help)\n";
        return 2;
    }
    const CommandLine& cl = *parsed.commandLine;
    if (cl.help) {
        std::cout << helpText();
        return 0;
    }
    if (cl.listChargers) {
        std::cout << cellwatch::driverListText();
        return 0;
    }
    if (cl.listScenarios) {
        for (const std::string& name : scenarioNames()) {
            std::cout << name << '\n';
        }
        return 0;
    }
    try {
        if (answersRequests(cl.charger)) {
            return answerRequests(cl);
        }
        return run(cl);
    } catch (const std::exception& e) {
        return fail(e.what());
    }
}
