#include "tools/emulator/described_player.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>

namespace cellwatch::emulator {

namespace {

double round(double v, int places) {
    const double f = std::pow(10.0, places);
    return std::round(v * f) / f;
}

int cellFields(const ChargerDescription& d) {
    int cells = 0;
    for (const DescribedField& f : d.fields) {
        if (f.part == ReadingPart::Cell) {
            cells = std::max(cells, f.cell + 1);
        }
    }
    return std::min(cells, 6);
}

// The maker's value for a state, or the one of a charge when it has none.
std::string stateValue(const ChargerDescription& d, ChargeState state) {
    for (ChargeState s : {state, ChargeState::Charging}) {
        for (const DescribedMapEntry& e : d.states) {
            if (e.id == static_cast<int>(s)) {
                return e.value;
            }
        }
    }
    return d.states.empty() ? "1" : d.states.front().value;
}

double partValue(const DescribedMoment& m, ReadingPart part, int cell, int channel) {
    switch (part) {
        case ReadingPart::Voltage:
            return m.voltage;
        case ReadingPart::Current:
            return m.current;
        case ReadingPart::Capacity:
            return m.capacity;
        case ReadingPart::Energy:
            return m.energy;
        case ReadingPart::Power:
            return m.power;
        case ReadingPart::InputVoltage:
            return m.inputVoltage;
        case ReadingPart::IntTemperature:
            return m.intTemperature;
        case ReadingPart::ExtTemperature:
            return m.extTemperature;
        case ReadingPart::Resistance:
            return m.resistance;
        case ReadingPart::Cell:
            return m.cell[cell];
        case ReadingPart::Channel:
            return channel;
        default:
            return 0;
    }
}

std::string numberText(double v) {
    if (std::fabs(v - std::round(v)) < 1e-6) {
        return std::to_string(std::llround(v));
    }
    char text[40];
    std::snprintf(text, sizeof text, "%.4f", v);
    std::string s = text;
    while (s.back() == '0') {
        s.pop_back();
    }
    return s;
}

std::string fieldText(const ChargerDescription& d, const DescribedField& f, int channel,
                      const DescribedMoment& m) {
    if (f.part == ReadingPart::State) {
        return stateValue(d, m.state);
    }
    if (f.part == ReadingPart::Skip || f.part == ReadingPart::Chemistry ||
        f.part == ReadingPart::ErrorCode) {
        return "0";
    }
    const double scale = f.part == ReadingPart::Channel ? 1.0 : f.scale;
    return numberText(partValue(m, f.part, f.cell, channel) / scale);
}

std::string_view baseUnit(ReadingPart part) {
    switch (part) {
        case ReadingPart::Voltage:
        case ReadingPart::InputVoltage:
        case ReadingPart::Cell:
            return "V";
        case ReadingPart::Current:
            return "A";
        case ReadingPart::Capacity:
            return "mAh";
        case ReadingPart::Energy:
            return "Wh";
        case ReadingPart::Power:
            return "W";
        case ReadingPart::IntTemperature:
        case ReadingPart::ExtTemperature:
            return "\xC2\xB0"
                   "C";
        case ReadingPart::Resistance:
            return "m\xCE\xA9";
        default:
            return "";
    }
}

void putNumber(std::vector<std::uint8_t>& frame, std::size_t at, FieldType type, bool big,
               double value) {
    const std::size_t size = fieldBytes(type);
    std::uint64_t bits = 0;
    if (type == FieldType::Float) {
        const auto f = static_cast<float>(value);
        std::uint32_t b = 0;
        std::memcpy(&b, &f, sizeof b);
        bits = b;
    } else {
        bits = static_cast<std::uint64_t>(std::llround(value));
    }
    for (std::size_t k = 0; k < size && at + k < frame.size(); ++k) {
        const std::size_t shift = 8 * (big ? size - 1 - k : k);
        frame[at + k] = static_cast<std::uint8_t>(bits >> shift);
    }
}

std::vector<std::uint8_t> binaryMessage(const ChargerDescription& d, int channel,
                                        const DescribedMoment& m) {
    std::vector<std::uint8_t> frame(d.fixedLength > 0 ? d.fixedLength : leastFrameBytes(d), 0);
    std::copy(d.startBytes.begin(), d.startBytes.end(), frame.begin());
    if (d.lengthField) {
        putNumber(frame, d.lengthOffset, d.lengthType, d.lengthBigEndian,
                  static_cast<double>(frame.size()) - d.lengthAdjust);
    }
    for (const DescribedField& f : d.fields) {
        double value = partValue(m, f.part, f.cell, channel) / f.scale;
        if (f.part == ReadingPart::State) {
            value = std::atof(stateValue(d, m.state).c_str());
        } else if (f.part == ReadingPart::Channel) {
            value = channel;
        }
        putNumber(frame, f.position, f.type, f.bigEndian, value);
    }
    const std::size_t ck = frame.size() - d.endBytes.size() - checksumBytes(d.checksum);
    putNumber(
        frame, ck, checksumBytes(d.checksum) == 2 ? FieldType::U16 : FieldType::U8,
        d.checksumBigEndian,
        checksumOf(d.checksum, std::span(frame).subspan(d.checksumFrom, ck - d.checksumFrom)));
    std::copy(d.endBytes.begin(), d.endBytes.end(),
              frame.end() - static_cast<std::ptrdiff_t>(d.endBytes.size()));
    return frame;
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes, int& error) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 50);
        } else if (n < 0 && errno == EINTR) {
            return false;
        } else {
            error = errno;
            return false;
        }
    }
    return true;
}

}  // namespace

DescribedMoment describedMoment(const ChargerDescription& d, int channel, int step) {
    DescribedMoment m;
    const double f = std::min(1.0, step / 60.0);
    const bool charge = channel % 2 == 1;
    m.state = charge ? ChargeState::Charging : ChargeState::Discharging;
    m.cells = cellFields(d);
    const int pack = m.cells > 0 ? m.cells : 3;
    const double cell = charge ? 3.70 + 0.45 * f : 3.95 - 0.30 * f;
    for (int k = 0; k < m.cells; ++k) {
        m.cell[k] = round(cell + 0.001 * k, 3);
    }
    m.voltage = round(cell * pack + 0.001 * (pack - 1) * pack / 2, 3);
    m.current = charge ? (f < 0.8 ? 2.0 : round(2.0 - 6.0 * (f - 0.8), 2)) : 1.0;
    m.capacity = std::round(m.current * 1000.0 * step / 3600.0);
    m.power = round(m.voltage * m.current, 2);
    m.energy = round(m.capacity / 1000.0 * 3.7 * pack, 2);
    m.intTemperature = 30 + step / 20;
    m.extTemperature = 25 + step / 30;
    return m;
}

std::string describedHeader(const ChargerDescription& d) {
    if (d.framing != DescribedFraming::HeaderLines) {
        return {};
    }
    std::string text = d.start + "N$" + d.separator + "Cellwatch charge\r\n" + d.start + "C$";
    for (const DescribedField& f : d.fields) {
        text += d.separator + f.name;
        if (!baseUnit(f.part).empty()) {
            text += " [" + std::string(baseUnit(f.part)) + "]";
        }
    }
    return text + "\r\n";
}

std::vector<std::uint8_t> describedMessage(const ChargerDescription& d, int channel,
                                           const DescribedMoment& m) {
    if (d.framing == DescribedFraming::Binary) {
        return binaryMessage(d, channel, m);
    }
    std::string line = d.start;
    if (d.framing == DescribedFraming::HeaderLines) {
        for (std::size_t k = 0; k < d.fields.size(); ++k) {
            line +=
                (k > 0 ? std::string(1, d.separator) : "") + fieldText(d, d.fields[k], channel, m);
        }
    } else {
        std::vector<std::string> items;
        for (const DescribedField& f : d.fields) {
            items.resize(std::max(items.size(), f.position + 1), "0");
            items[f.position] = fieldText(d, f, channel, m);
        }
        for (std::size_t k = 0; k < items.size(); ++k) {
            line += (k > 0 ? std::string(1, d.separator) : "") + items[k];
        }
        if (d.checksum != ChecksumKind::None) {
            line += d.separator;
            const std::size_t from = d.checksumWithStart ? 0 : d.start.size();
            const std::size_t to = d.checksumWithSeparator ? line.size() : line.size() - 1;
            const auto* p = reinterpret_cast<const std::uint8_t*>(line.data());
            const std::uint32_t sum = checksumOf(d.checksum, {p + from, to - from});
            char text[16];
            std::snprintf(text, sizeof text, d.checksumHex ? "%X" : "%u", sum);
            line += text;
        }
    }
    line += "\r\n";
    return {line.begin(), line.end()};
}

int playDescribed(const ChargerDescription& d, const DescribedPlay& play) {
    using Clock = std::chrono::steady_clock;
    auto stopped = [&play] { return play.stop != nullptr && play.stop->load(); };
    auto listening = [&play] { return !play.listening || play.listening(); };
    int error = 0;
    bool heard = false;
    std::vector<std::uint8_t> asked;
    Clock::time_point next = Clock::now();
    for (int step = 0; (play.steps == 0 || step < play.steps) && !stopped();) {
        if (!d.requests.empty() && play.answerRequests) {
            // Answer what was asked; the run moves on once a period.
            pollfd p{play.fd, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0) {
                std::uint8_t bytes[512];
                const ssize_t n = ::read(play.fd, bytes, sizeof bytes);
                asked.insert(asked.end(), bytes, bytes + std::max<ssize_t>(n, 0));
            }
            for (const DescribedRequest& q : d.requests) {
                const auto at =
                    std::search(asked.begin(), asked.end(), q.bytes.begin(), q.bytes.end());
                if (at != asked.end()) {
                    asked.erase(asked.begin(), at + static_cast<std::ptrdiff_t>(q.bytes.size()));
                    const auto answer =
                        describedMessage(d, q.channel, describedMoment(d, q.channel, step));
                    if (!writeAll(play.fd, answer, error) && error != 0) {
                        return error == EIO || error == EPIPE ? 0 : error;
                    }
                    step += !play.paced && q.channel == d.requests.back().channel ? 1 : 0;
                }
            }
            if (asked.size() > 4096) {
                asked.clear();
            }
            if (play.paced && Clock::now() >= next) {
                next += std::chrono::milliseconds(play.intervalMs);
                ++step;
            }
            continue;
        }
        if (listening()) {
            std::string all = heard ? std::string() : describedHeader(d);
            heard = true;
            for (int channel = 1; channel <= d.channels; ++channel) {
                const auto m = describedMessage(d, channel, describedMoment(d, channel, step));
                all.append(m.begin(), m.end());
            }
            const auto* p = reinterpret_cast<const std::uint8_t*>(all.data());
            if (!writeAll(play.fd, {p, all.size()}, error) && error != 0) {
                return error == EIO || error == EPIPE ? 0 : error;  // the reader went away
            }
        } else {
            heard = false;  // a new listener is sent the header again
        }
        ++step;
        next += std::chrono::milliseconds(play.intervalMs);
        while (play.paced && !stopped() && Clock::now() < next) {
            std::this_thread::sleep_for(
                std::min<Clock::duration>(next - Clock::now(), std::chrono::milliseconds(50)));
        }
    }
    return 0;
}

}  // namespace cellwatch::emulator
