#include "protocol/described_values.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace cellwatch::described {

namespace {

constexpr std::size_t kMostItems = kDescribedMostFields + 2;

}  // namespace

// Items of a text line split at the separator; false when there are too many.
bool splitItems(std::string_view body, char separator, std::vector<std::string_view>& items) {
    items.clear();
    const char* from = body.data();
    const char* const end = from + body.size();
    for (const char* p = from; p != end; ++p) {
        if (*p == separator) {
            if (items.size() + 1 == kMostItems) {
                return false;
            }
            items.emplace_back(from, static_cast<std::size_t>(p - from));
            from = p + 1;
        }
    }
    items.emplace_back(from, static_cast<std::size_t>(end - from));
    return true;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

// A number written in decimal, with '.' or ',' as its decimal point.
std::optional<double> decimalNumber(std::string_view item) {
    if (const std::optional<double> plain = Decimal::parsePlainDouble(item)) {
        return plain;  // the common case, at once
    }
    item = trimmed(item);
    if (item.empty() || item.size() > 40) {
        return std::nullopt;
    }
    char text[41];
    std::memcpy(text, item.data(), item.size());
    std::replace(text, text + item.size(), ',', '.');
    const char* first = text[0] == '+' ? text + 1 : text;
    double value = 0;
    const auto [end, ec] = std::from_chars(first, text + item.size(), value);
    if (ec != std::errc() || end != text + item.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int64_t> integerNumber(std::string_view item, int base) {
    item = trimmed(item);
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), value, base);
    if (item.empty() || ec != std::errc() || end != item.data() + item.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<Decimal> toDecimal(double value) {
    const double raw = value * static_cast<double>(Decimal::kScale);
    if (!std::isfinite(raw) || std::fabs(raw) > 1e15) {
        return std::nullopt;
    }
    return Decimal::fromRaw(std::llround(raw));
}

std::uint64_t readUnsigned(const std::uint8_t* p, std::size_t size, bool bigEndian) {
    std::uint64_t v = 0;
    for (std::size_t k = 0; k < size; ++k) {
        const std::uint8_t b = bigEndian ? p[k] : p[size - 1 - k];
        v = (v << 8) | b;
    }
    return v;
}

double readField(const std::uint8_t* p, FieldType type, bool bigEndian) {
    const std::uint64_t u = readUnsigned(p, fieldBytes(type), bigEndian);
    switch (type) {
        case FieldType::U8:
        case FieldType::U16:
        case FieldType::U32:
            return static_cast<double>(u);
        case FieldType::I8:
            return static_cast<std::int8_t>(u);
        case FieldType::I16:
            return static_cast<std::int16_t>(u);
        case FieldType::I32:
            return static_cast<std::int32_t>(u);
        case FieldType::Float: {
            const auto bits = static_cast<std::uint32_t>(u);
            float f = 0;
            std::memcpy(&f, &bits, sizeof f);
            return f;
        }
    }
    return 0;
}

const DescribedMapEntry* findValue(const std::vector<DescribedMapEntry>& map,
                                   std::string_view value) {
    for (const DescribedMapEntry& e : map) {
        if (e.value == value) {
            return &e;
        }
    }
    return nullptr;
}

// Puts a number into the values; false when it cannot be kept.
bool store(ReadingPart part, int cell, double number, DescribedValues& v) {
    switch (part) {
        case ReadingPart::Skip:
            return true;
        case ReadingPart::Channel:
        case ReadingPart::ErrorCode:
        case ReadingPart::State:
        case ReadingPart::Chemistry: {
            if (std::fabs(number) > 1e9 || number != std::floor(number)) {
                return false;
            }
            const auto whole = static_cast<std::int64_t>(number);
            if (part == ReadingPart::Channel) {
                v.channel = static_cast<int>(whole);
            } else if (part == ReadingPart::ErrorCode) {
                v.parts[static_cast<int>(part)] = Decimal::fromInt(whole);
            } else if (part == ReadingPart::State) {
                v.stateValue = std::to_string(whole);
                v.hasState = true;
            } else {
                v.chemistryValue = std::to_string(whole);
                v.hasChemistry = true;
            }
            return true;
        }
        default:
            break;
    }
    const std::optional<Decimal> d = toDecimal(number);
    if (!d) {
        return false;
    }
    if (part == ReadingPart::Cell) {
        v.cells[cell] = *d;
    } else {
        v.parts[static_cast<int>(part)] = *d;
    }
    return true;
}

}  // namespace cellwatch::described
