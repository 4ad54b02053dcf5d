#include "protocol/sample_text.h"

namespace cellwatch {

std::string elapsedText(std::uint32_t ms) {
    const std::uint64_t seconds = (static_cast<std::uint64_t>(ms) + 500) / 1000;
    const std::uint64_t h = seconds / 3600;
    const std::uint64_t m = seconds / 60 % 60;
    const std::uint64_t sec = seconds % 60;
    std::string text = std::to_string(h);
    text += ':';
    text += static_cast<char>('0' + m / 10);
    text += static_cast<char>('0' + m % 10);
    text += ':';
    text += static_cast<char>('0' + sec / 10);
    text += static_cast<char>('0' + sec % 10);
    return text;
}

std::optional<std::uint32_t> parseElapsedText(std::string_view text) {
    std::uint64_t parts[3] = {0, 0, 0};
    int count = 0;
    std::size_t digits = 0;
    for (char c : text) {
        if (c == ':') {
            if (digits == 0 || ++count > 2) {
                return std::nullopt;
            }
            digits = 0;
        } else if (c >= '0' && c <= '9') {
            parts[count] = parts[count] * 10 + static_cast<std::uint64_t>(c - '0');
            if (++digits > 9) {
                return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || count == 0) {
        return std::nullopt;
    }
    std::uint64_t h = 0, m = 0, s = 0;
    if (count == 2) {
        h = parts[0];
        m = parts[1];
        s = parts[2];
    } else {
        m = parts[0];
        s = parts[1];
    }
    if (m > 59 || s > 59) {
        return std::nullopt;
    }
    const std::uint64_t total = h * 3600 + m * 60 + s;
    if (total > UINT32_MAX) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(total);
}

std::string sampleFieldText(const StatusSample& s, int field) {
    switch (field) {
        case kFieldElapsed: return elapsedText(s.elapsedMs);
        case kFieldBatteryType:
            return s.batteryType;
        case kFieldState:
            return s.state;
        case kFieldExtTemperature:
            return s.extTemperature.plainText();
        case kFieldIntTemperature:
            return s.intTemperature.plainText();
        case kFieldInputVoltage:
            return s.inputVoltage.format(kFormat2);
        case kFieldVoltage:
            return s.voltage.format(kFormat2);
        case kFieldCurrent:
            return s.current.format(kFormat2);
        case kFieldCapacity:
            return s.capacity.plainText();
        case kFieldPower:
            return s.power;
        default:
            if (field >= kFieldCell1 && field <= kFieldCell12) {
                return s.cells[static_cast<std::size_t>(field - kFieldCell1)].plainText();
            }
            return {};
    }
}

const char* layoutName(FrameLayout layout) {
    return layout == FrameLayout::Short76 ? "76" : "112";
}

std::string dumpLine(const StatusSample& s, FrameLayout layout) {
    std::string line = layoutName(layout);
    for (int field = kFieldBatteryType; field <= kFieldCell12; ++field) {
        line += '\t';
        line += sampleFieldText(s, field);
    }
    return line;
}

}  // namespace cellwatch
