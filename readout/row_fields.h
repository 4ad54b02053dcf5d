// The parts of a RowStore row that need no store: a row in the program's own
// forms as numbers (OwnRow), read from its texts or from a recording file's
// line; the fields of a row kept as its texts (joined by tabs); and a row's
// numbers (RowNumbers) from either.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/decimal.h"
#include "protocol/reading.h"
#include "protocol/reading_format.h"
#include "protocol/table_fields.h"
#include "readout/row_text_pool.h"

namespace cellwatch {

struct RowNumbers;

using RowTexts = std::array<std::string_view, kRowFieldCount>;

inline constexpr int kFirstRowValueField = kFieldExtTemperature;
inline constexpr int kRowValueCount = kFieldCell1 - kFieldExtTemperature;  // fields 3..9

// Presence bits of the optional values.
enum RowPresent : std::uint8_t {
    kHasExt = 1,
    kHasInt = 2,
    kHasInput = 4,
    kHasPower = 8,
    kHasResistance = 16,
};

// One row's numbers before they go into the columns.
struct OwnRow {
    std::uint32_t ms = 0;
    std::uint16_t typeText = 0;
    std::uint16_t stateText = 0;
    std::uint8_t present = 0;
    std::uint8_t cellCount = 0;
    std::array<std::int32_t, kRowValueCount> values{};
    std::array<std::int32_t, kMostCells> cells{};
    std::int32_t resistance = 0;
};

// A value in whole hundredths; false when it has more decimals or is too large.
bool toHundredths(Decimal value, std::int32_t& hundredths);
// Where field 3..9 is in OwnRow::values.
inline std::size_t valueSlot(int field) {
    return static_cast<std::size_t>(field - kFirstRowValueField);
}
// The presence bit of an optional field; 0 for the fields every row has.
std::uint8_t presenceBit(int field);
// A reading's value of field 3..9 (nothing for the others).
std::optional<Decimal> readingValue(const Reading& r, int field);
// A reading's optional value of field 3..9, or `scratch` for the others.
std::optional<Decimal>& readingSlot(Reading& r, int field, std::optional<Decimal>& scratch);

// A row's 22 texts as numbers, when they are all in the program's own forms
// (the battery type and the state go into the pools).
bool stageOwnTexts(const RowTexts& texts, RowTextPool& types, RowTextPool& states, OwnRow& row);
// RowStore::appendOwnLine's reading of a line (without storing it).
bool readOwnLine(std::string_view line, char separator, RowTexts& fields, RowTextPool& types,
                 RowTextPool& states, OwnRow& row);
// The numbers of a row in the program's own forms.
void ownRowNumbers(const OwnRow& row, const RowTextPool& types, const RowTextPool& states,
                   RowNumbers& out);
// The numbers of a row's 22 texts, read as a row kept as texts is read.
void textRowNumbers(const RowTexts& texts, RowNumbers& out);

// Field `field` of a row kept as its texts joined by tabs ("" beyond them).
std::string_view tabField(std::string_view texts, int field);
// A plain decimal's value, blanks and tabs around it allowed.
std::optional<Decimal> textDecimal(std::string_view text);

// The header of table column 0..22 in UTF-8.
const char* rowHeader(int column);

// A row's texts joined by tabs, a tab in a text shown as a blank.
std::string joinTexts(const RowTexts& texts);

}  // namespace cellwatch
