#include "protocol/frames_text.h"

#include <array>

namespace cellwatch {

namespace {

constexpr std::size_t kBadLinesNamed = 5;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isSpace(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isSpace(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// `count` digits at `at` as a number; nothing when any is no digit.
std::optional<int> digits(std::string_view s, std::size_t at, std::size_t count) {
    if (at + count > s.size()) {
        return std::nullopt;
    }
    int value = 0;
    for (std::size_t k = at; k < at + count; ++k) {
        if (s[k] < '0' || s[k] > '9') {
            return std::nullopt;
        }
        value = value * 10 + (s[k] - '0');
    }
    return value;
}

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool leapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// "YYYY-MM-DD_HH-MM-SS" or "YYYY-MM-DDTHH:MM:SS[.fff]", the whole of `s`.
std::optional<std::int64_t> parseTime(std::string_view s) {
    if (s.size() < 19 || s[4] != '-' || s[7] != '-') {
        return std::nullopt;
    }
    const bool iso = s[10] == 'T';
    if (!(iso || s[10] == '_')) {
        return std::nullopt;
    }
    const char sep = iso ? ':' : '-';
    if (s[13] != sep || s[16] != sep) {
        return std::nullopt;
    }
    const auto year = digits(s, 0, 4), month = digits(s, 5, 2), day = digits(s, 8, 2),
               hour = digits(s, 11, 2), minute = digits(s, 14, 2), second = digits(s, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second) {
        return std::nullopt;
    }
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (*month < 1 || *month > 12 || *day < 1 ||
        *day > kDays[static_cast<std::size_t>(*month - 1)] +
                   (*month == 2 && leapYear(*year) ? 1 : 0) ||
        *hour > 23 || *minute > 59 || *second > 59) {
        return std::nullopt;
    }
    int millis = 0;
    if (s.size() > 19) {
        // Only the ISO form has a fraction: '.' and one to three digits.
        if (!iso || s[19] != '.' || s.size() < 21 || s.size() > 23) {
            return std::nullopt;
        }
        const auto fraction = digits(s, 20, s.size() - 20);
        if (!fraction) {
            return std::nullopt;
        }
        millis = *fraction * (s.size() == 21 ? 100 : s.size() == 22 ? 10 : 1);
    }
    const std::int64_t days = daysFromCivil(*year, *month, *day);
    return ((days * 24 + *hour) * 60 + *minute) * 60'000 + std::int64_t{*second} * 1000 + millis;
}

}  // namespace

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

FramesLine parseFramesLine(std::string_view line) {
    FramesLine result;
    line = trimmed(line);
    if (line.empty() || line.front() == '#') {
        return result;
    }
    result.kind = FramesLine::Kind::Bad;
    if (const std::size_t colon = line.find(": "); colon != std::string_view::npos) {
        result.timeMs = parseTime(trimmed(line.substr(0, colon)));
        if (!result.timeMs) {
            return result;
        }
        line = trimmed(line.substr(colon + 2));
    }
    // The bytes are kept only when the whole line is good.
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (char c : line) {
        if (isSpace(c)) {
            if (high >= 0) {
                return result;  // a space inside a digit pair
            }
            continue;
        }
        const int digit = hexDigit(c);
        if (digit < 0) {
            return result;
        }
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + digit));
            high = -1;
        }
    }
    if (high >= 0 || bytes.empty()) {
        return result;
    }
    result.bytes = std::move(bytes);
    result.kind = FramesLine::Kind::Frame;
    return result;
}

FramesText readFramesText(std::string_view text) {
    FramesText out;
    std::size_t number = 0;
    std::optional<std::int64_t> last;
    std::vector<std::size_t> untimedHead;  // frames before the first timed one
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        FramesLine parsed = parseFramesLine(line);
        if (parsed.kind == FramesLine::Kind::Bad) {
            ++out.badLines;
            if (out.badLineNumbers.size() < kBadLinesNamed) {
                out.badLineNumbers.push_back(number);
            }
            continue;
        }
        if (parsed.kind == FramesLine::Kind::Skipped) {
            continue;
        }
        FramesEntry entry;
        entry.bytes = std::move(parsed.bytes);
        if (parsed.timeMs) {
            out.timed = true;
            entry.timeMs = *parsed.timeMs;
        } else if (last) {
            entry.timeMs = *last + 1000;
        } else {
            untimedHead.push_back(out.frames.size());
        }
        if (parsed.timeMs || last) {
            last = entry.timeMs;
        }
        out.frames.push_back(std::move(entry));
    }
    // Untimed frames before the first timed one: a second apart, ending a
    // second before it (or from 0 when no line gives a time).
    if (!untimedHead.empty()) {
        const std::int64_t first = out.timed
                                       ? out.frames[untimedHead.size()].timeMs -
                                             1000 * static_cast<std::int64_t>(untimedHead.size())
                                       : 0;
        for (std::size_t k = 0; k < untimedHead.size(); ++k) {
            out.frames[untimedHead[k]].timeMs = first + 1000 * static_cast<std::int64_t>(k);
        }
    }
    return out;
}

std::string badFramesLinesText(const FramesText& frames, std::string_view file) {
    if (frames.badLines == 0) {
        return {};
    }
    std::string text = std::to_string(frames.badLines) +
                       (frames.badLines == 1 ? " bad line in " : " bad lines in ") +
                       std::string(file) + " (line";
    text += frames.badLineNumbers.size() > 1 ? "s " : " ";
    for (std::size_t k = 0; k < frames.badLineNumbers.size(); ++k) {
        text += (k > 0 ? ", " : "") + std::to_string(frames.badLineNumbers[k]);
    }
    text += frames.badLines > frames.badLineNumbers.size() ? ", ...)" : ")";
    text += frames.badLines == 1 ? " was skipped" : " were skipped";
    return text;
}

}  // namespace cellwatch
