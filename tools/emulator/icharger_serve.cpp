#include "tools/emulator/icharger_serve.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <iostream>
#include <memory>
#include <system_error>
#include <vector>

#include "tools/emulator/pseudo_terminal.h"

namespace cellwatch::emulator {

namespace {

// A request begun and then left this long is dropped (the line's silence
// between frames, generous for a pseudo-terminal's scheduling).
constexpr auto kSilence = std::chrono::milliseconds(200);

std::optional<double> seconds(std::string_view text) {
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !(v >= 0)) {
        return std::nullopt;
    }
    return v;
}

}  // namespace

bool asksForIcharger(std::span<const std::string_view> args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--charger=icharger" ||
            (args[i] == "--charger" && i + 1 < args.size() && args[i + 1] == "icharger")) {
            return true;
        }
    }
    return false;
}

ParsedIchargerCommandLine parseIchargerCommandLine(std::span<const std::string_view> args) {
    IchargerCommandLine cl;
    auto error = [](std::string text) { return ParsedIchargerCommandLine{std::nullopt, text}; };
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view name = args[i];
        std::optional<std::string_view> inlineValue;
        if (const std::size_t eq = name.find('='); name.starts_with("--") && eq != name.npos) {
            inlineValue = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (name == "--help" || name == "-h") {
            cl.help = true;
            continue;
        }
        if (name != "--charger" && name != "--model" && name != "--scenario" &&
            name != "--stop-after" && name != "--error-after" && name != "--unit") {
            return error("unknown option '" + std::string(args[i]) + "' for the icharger");
        }
        if (!inlineValue && i + 1 >= args.size()) {
            return error(std::string(name) + " needs a value");
        }
        const std::string_view v = inlineValue ? *inlineValue : args[++i];
        const std::string text(v);
        if (name == "--model") {
            bool known = false;
            for (const std::string_view m : ichargerModels()) {
                known = known || m == v;
            }
            if (!known) {
                std::string list;
                for (const std::string_view m : ichargerModels()) {
                    list += (list.empty() ? "" : ", ") + std::string(m);
                }
                return error("unknown model '" + text + "'; the models are: " + list);
            }
            cl.play.model = text;
        } else if (name == "--scenario") {
            if (v == "error") {
                cl.play.errorAfterSeconds = cl.play.errorAfterSeconds.value_or(5.0);
            } else if (v != "normal") {
                return error("unknown scenario '" + text + "' for the icharger (normal, error)");
            }
        } else if (name == "--stop-after" || name == "--error-after") {
            const std::optional<double> s = seconds(v);
            if (!s) {
                return error("bad value '" + text + "' for " + std::string(name) + " (seconds)");
            }
            (name == "--stop-after" ? cl.play.stopAfterSeconds : cl.play.errorAfterSeconds) = s;
        } else if (name == "--unit") {
            int unit = 0;
            const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), unit);
            if (ec != std::errc() || end != v.data() + v.size() || unit < 1 || unit > 247) {
                return error("bad value '" + text + "' for --unit (1 to 247)");
            }
            cl.play.unit = static_cast<std::uint8_t>(unit);
        }
    }
    return {cl, {}};
}

std::string ichargerHelpText() {
    return "Usage: cellwatch-emulator --charger icharger [--model MODEL] [--scenario "
           "normal|error]\n"
           "                          [--error-after SECONDS] [--stop-after SECONDS] [--unit N]\n"
           "\n"
           "Plays a Junsi iCharger on a pseudo-terminal (its path is printed first): it answers\n"
           "Modbus RTU reads of the device info and the channels' status blocks. Channel 1\n"
           "charges a 6S LiPo whose fourth cell is weak; a DUO's channel 2 discharges a 4S pack.\n"
           "\n"
           "  --model MODEL        4010 DUO (the default), 308 DUO, 406 DUO, 456 DUO (two\n"
           "                       channels), X6, X8, X12, S6, DX6, DX8, DX12 (one channel)\n"
           "  --scenario error     channel 1 stops with error 11 (temperature over) after 5 s\n"
           "  --error-after S      ... after S seconds\n"
           "  --stop-after S       answer nothing from S seconds on\n"
           "  --unit N             the Modbus address (1)\n";
}

int serveIcharger(const IchargerPlay& play, const std::atomic<bool>& stop) {
    const IchargerModel model(play);
    std::unique_ptr<PseudoTerminal> pty;
    try {
        pty = std::make_unique<PseudoTerminal>();
    } catch (const std::system_error& e) {
        std::cerr << "cellwatch-emulator: " << e.what() << "\n";
        return 1;
    }
    std::cout << pty->slavePath() << std::endl;  // flushes: the caller waits for it

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    Clock::time_point lastByte = start;
    std::vector<std::uint8_t> pending;
    std::vector<std::uint8_t> buffer(512);
    while (!stop.load()) {
        pollfd p{pty->masterFd(), POLLIN, 0};
        const int ready = ::poll(&p, 1, 100);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            std::cerr << "cellwatch-emulator: poll: " << std::strerror(errno) << "\n";
            return 1;
        }
        if (ready == 0) {
            continue;
        }
        if ((p.revents & POLLIN) == 0) {
            // No program has the port open: wait for one.
            pending.clear();
            ::usleep(50'000);
            continue;
        }
        const ssize_t n = ::read(pty->masterFd(), buffer.data(), buffer.size());
        if (n <= 0) {
            continue;
        }
        const Clock::time_point now = Clock::now();
        if (now - lastByte > kSilence) {
            pending.clear();
        }
        lastByte = now;
        pending.insert(pending.end(), buffer.begin(), buffer.begin() + n);
        const double at = std::chrono::duration<double>(now - start).count();
        // Requests are 8 bytes; a byte that begins none is skipped.
        while (pending.size() >= 8) {
            const std::optional<modbus::ReadRequest> request = modbus::parseRead(pending);
            if (!request) {
                pending.erase(pending.begin());
                continue;
            }
            pending.erase(pending.begin(), pending.begin() + 8);
            const std::vector<std::uint8_t> reply = model.answer(*request, at);
            std::size_t done = 0;
            while (done < reply.size()) {
                const ssize_t w =
                    ::write(pty->masterFd(), reply.data() + done, reply.size() - done);
                if (w > 0) {
                    done += static_cast<std::size_t>(w);
                } else if (w < 0 && errno != EAGAIN && errno != EINTR) {
                    break;  // the listener went away
                } else {
                    ::usleep(1000);
                }
            }
        }
    }
    return 0;
}

}  // namespace cellwatch::emulator
