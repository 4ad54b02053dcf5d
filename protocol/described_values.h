// The pieces a described driver reads messages with: text items and
// numbers, binary fields, and the values of one message before they become
// a Reading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/charger_description.h"

namespace cellwatch {

// Values of one message, before they become a Reading.
struct DescribedValues {
    int channel = 0;  // 0: not in the message
    std::optional<Decimal> parts[16];
    std::optional<Decimal> cells[kMostCells];
    std::string stateValue, chemistryValue;
    bool hasState = false, hasChemistry = false;
};

namespace described {

// Items of a text line split at the separator; false when there are too many.
bool splitItems(std::string_view body, char separator, std::vector<std::string_view>& items);
std::string_view trimmed(std::string_view s);
// A number written in decimal, with '.' or ',' as its decimal point.
std::optional<double> decimalNumber(std::string_view item);
std::optional<std::int64_t> integerNumber(std::string_view item, int base);
std::optional<Decimal> toDecimal(double value);
std::uint64_t readUnsigned(const std::uint8_t* p, std::size_t size, bool bigEndian);
double readField(const std::uint8_t* p, FieldType type, bool bigEndian);
const DescribedMapEntry* findValue(const std::vector<DescribedMapEntry>& map,
                                   std::string_view value);
// Puts a number into the values; false when it cannot be kept.
bool store(ReadingPart part, int cell, double number, DescribedValues& v);

}  // namespace described
}  // namespace cellwatch
