#include "protocol/reading_format.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace cellwatch {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

void appendDigits(std::string& out, std::uint64_t v) {
    char digits[20];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    while (n > 0) {
        out += digits[--n];
    }
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<Decimal> ReadingFormat::fieldValue(const Reading& r, int field) {
    switch (field) {
        case kFieldExtTemperature:
            return r.extTemperature;
        case kFieldIntTemperature:
            return r.intTemperature;
        case kFieldInputVoltage:
            return r.inputVoltage;
        case kFieldVoltage:
            return r.voltage;
        case kFieldCurrent:
            return r.current;
        case kFieldCapacity:
            return r.capacity;
        case kFieldPower:
            return r.power;
        default:
            break;
    }
    if (field >= kFieldCell1 && field <= kFieldCell12) {
        // The family's table has twelve cell slots; an absent cell is 0 V.
        const int cell = field - kFieldCell1;
        return cell < r.cellCount ? r.cells[static_cast<std::size_t>(cell)] : Decimal();
    }
    return std::nullopt;
}

void ReadingFormat::appendElapsed(std::string& out, std::uint32_t ms) {
    const std::uint64_t seconds = (static_cast<std::uint64_t>(ms) + 500) / 1000;
    const std::uint64_t m = seconds / 60 % 60;
    const std::uint64_t s = seconds % 60;
    appendDigits(out, seconds / 3600);
    out += ':';
    out += static_cast<char>('0' + m / 10);
    out += static_cast<char>('0' + m % 10);
    out += ':';
    out += static_cast<char>('0' + s / 10);
    out += static_cast<char>('0' + s % 10);
}

std::string ReadingFormat::elapsedText(std::uint32_t ms) {
    std::string text;
    appendElapsed(text, ms);
    return text;
}

std::optional<std::uint32_t> ReadingFormat::parseElapsed(std::string_view text) {
    std::uint64_t parts[3] = {0, 0, 0};
    int count = 0;
    std::size_t digits = 0;
    for (char c : text) {
        if (c == ':') {
            if (digits == 0 || ++count > 2) {
                return std::nullopt;
            }
            digits = 0;
        } else if (isDigit(c)) {
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
    const std::uint64_t h = count == 2 ? parts[0] : 0;
    const std::uint64_t m = count == 2 ? parts[1] : parts[0];
    const std::uint64_t s = count == 2 ? parts[2] : parts[1];
    if (m > 59 || s > 59) {
        return std::nullopt;
    }
    const std::uint64_t total = h * 3600 + m * 60 + s;
    if (total > UINT32_MAX) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(total);
}

bool ReadingFormat::readOwnElapsed(std::string_view text, std::uint32_t& seconds) {
    // H...:mm:ss, the hours without a leading zero.
    const std::size_t n = text.size();
    if (n < 7 || text[n - 3] != ':' || text[n - 6] != ':' || !isDigit(text[n - 1]) ||
        !isDigit(text[n - 2]) || !isDigit(text[n - 4]) || !isDigit(text[n - 5]) ||
        text[n - 5] > '5' || text[n - 2] > '5' || n - 6 > 7 || (n - 6 > 1 && text[0] == '0')) {
        return false;
    }
    std::uint64_t hours = 0;
    for (std::size_t i = 0; i + 6 < n; ++i) {
        if (!isDigit(text[i])) {
            return false;
        }
        hours = hours * 10 + static_cast<std::uint64_t>(text[i] - '0');
    }
    const std::uint64_t total =
        hours * 3600 +
        static_cast<std::uint64_t>((text[n - 5] - '0') * 600 + (text[n - 4] - '0') * 60 +
                                   (text[n - 2] - '0') * 10 + (text[n - 1] - '0'));
    if (total > kMostSeconds) {
        return false;
    }
    seconds = static_cast<std::uint32_t>(total);
    return true;
}

void ReadingFormat::appendNumber(std::string& out, int field, std::int64_t hundredths) {
    if (hundredths < 0) {
        out += '-';
    }
    const std::uint64_t size = hundredths < 0 ? static_cast<std::uint64_t>(-(hundredths + 1)) + 1
                                              : static_cast<std::uint64_t>(hundredths);
    appendDigits(out, size / 100);
    const auto fraction = static_cast<unsigned>(size % 100);
    if (twoDecimals(field)) {
        out += '.';
        out += static_cast<char>('0' + fraction / 10);
        out += static_cast<char>('0' + fraction % 10);
    } else if (fraction != 0) {
        out += '.';
        out += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0) {
            out += static_cast<char>('0' + fraction % 10);
        }
    }
}

std::string ReadingFormat::numberText(int field, std::int64_t hundredths) {
    std::string text;
    appendNumber(text, field, hundredths);
    return text;
}

bool ReadingFormat::readOwnNumber(std::string_view text, int field, std::int32_t& hundredths) {
    const char* const end = text.data() + text.size();
    std::int32_t h = 0;
    if (readOwnNumberAt(text.data(), end, field, h) != end) {
        return false;
    }
    hundredths = h;
    return true;
}

double ReadingFormat::number(std::string_view text) {
    if (const std::optional<double> plain = Decimal::parsePlainDouble(text)) {
        return *plain;  // the program's own texts, quickly
    }
    if (text.empty() || text.front() == ' ' || text.back() == ' ') {
        return kNaN;
    }
    // Other white space around a number is let be, as spreadsheets do.
    const auto white = [](char c) {
        return c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    while (!text.empty() && white(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && white(text.back())) {
        text.remove_suffix(1);
    }
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') {
        text.remove_prefix(1);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value) || std::fabs(value) > kMostValue) {
        return kNaN;
    }
    return value;
}

bool ReadingFormat::isNoMeasurement(std::string_view text) {
    // The program's own texts are a few digits: only a long text or one with
    // letters (1e308, inf, nan) needs a look.
    if (text.size() <= 12) {
        bool letters = false;
        for (const char c : text) {
            letters = letters || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        }
        if (!letters) {
            return false;
        }
    }
    return std::isnan(number(text));
}

ChargeState ReadingFormat::stateOf(std::string_view text) {
    if (text == kStateCharge) {
        return ChargeState::Charging;
    }
    if (text == kStateDischarge) {
        return ChargeState::Discharging;
    }
    return ChargeState::Idle;
}

Chemistry ReadingFormat::chemistryOf(std::string_view text) {
    if (text == kTypeLithium) {
        return Chemistry::Lithium;
    }
    if (text == kTypeNiMH) {
        return Chemistry::NiMH;
    }
    if (text == kTypeNiCd) {
        return Chemistry::NiCd;
    }
    if (text == kTypeLead) {
        return Chemistry::Pb;
    }
    return Chemistry::Unknown;
}

void ReadingFormat::appendFieldText(std::string& out, const Reading& r, int field) {
    switch (field) {
        case kFieldElapsed:
            appendElapsed(out, r.elapsedMs);
            return;
        case kFieldBatteryType:
            out += r.chemistryText;
            return;
        case kFieldState:
            out += r.stateText;
            return;
        default:
            break;
    }
    if (const std::optional<Decimal> value = fieldValue(r, field)) {
        out += twoDecimals(field) ? value->format(kFormat2) : value->plainText();
    }
}

std::string ReadingFormat::fieldText(const Reading& r, int field) {
    std::string text;
    appendFieldText(text, r, field);
    return text;
}

std::string ReadingFormat::dumpLine(const Reading& r, std::string_view layoutName) {
    std::string line(layoutName);
    for (int field = kFieldBatteryType; field <= kFieldCell12; ++field) {
        line += '\t';
        appendFieldText(line, r, field);
    }
    return line;
}

void ReadingFormat::appendJsonNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char text[32];
    // Below a thousandth, as JSON writers do: "5e-04".
    if (value != 0 && std::fabs(value) < 1e-3) {
        const auto [end, error] =
            std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
        out.append(text, error == std::errc() ? end : text);
        return;
    }
    // Below 2^53 / 10^4 every ten-thousandth is a whole double.
    if (std::fabs(value) < 9e11) {
        const Decimal d =
            Decimal::fromRaw(std::llround(value * static_cast<double>(Decimal::kScale)));
        if (d.toDouble() == value) {
            out += d.plainText();
            return;
        }
    }
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    out.append(text, error == std::errc() ? end : text);
}

void ReadingFormat::appendWhole(std::string& out, std::int64_t value) {
    if (value < 0) {
        out += '-';
    }
    appendDigits(out, value < 0 ? static_cast<std::uint64_t>(-(value + 1)) + 1
                                : static_cast<std::uint64_t>(value));
}

}  // namespace cellwatch
