// RowStore's columns: one entry per data row in each, and the texts of the
// rows kept as texts rather than as numbers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "readout/row_fields.h"

namespace cellwatch {

// How a data row is kept.
enum RowKind : std::uint8_t { kOwnRow, kTextRow, kEmptyRow };

struct RowColumns {
    std::vector<std::uint8_t> kind;       // RowKind
    std::vector<std::uint32_t> ms;        // elapsed ms; a text row: its index in textRows
    std::vector<std::uint8_t> state;      // ChargeState
    std::vector<std::uint8_t> chemistry;  // Chemistry
    std::vector<std::uint16_t> stateText;
    std::vector<std::uint16_t> typeText;
    std::vector<std::uint8_t> present;
    std::vector<std::uint8_t> cellCount;
    std::array<std::vector<std::int32_t>, kRowValueCount> values;  // hundredths of fields 3..9
    std::vector<std::vector<std::int32_t>> cells;                  // hundredths, per cell
    std::vector<std::int32_t> resistance;  // mΩ in hundredths; made with the first one
    // Rows whose texts are not in the program's own forms: the 22 texts in
    // UTF-8, joined by tabs, so such a row costs its bytes and not 22 strings.
    std::vector<std::string> textRows;

    // Keeps the first `rows` rows; none: the cell and resistance columns go too.
    void truncate(std::size_t rows);
    // Gives back the memory of rows no longer there.
    void shrink();
    // Room for this many rows, with the first family's twelve cell columns.
    void reserve(std::size_t rows);
    // Cell columns for at least this many cells.
    void ensureCells(int count);

    // A row of numbers, with the state and chemistry its texts stand for.
    void pushOwn(const OwnRow& row, std::uint8_t rowState, std::uint8_t rowChemistry);
    // A row kept as its texts, joined by tabs.
    void pushText(std::string joined);
    // The same, with the state and chemistry as a driver mapped them (its
    // words may be no words of the first family's).
    void pushText(std::string joined, std::uint8_t rowState, std::uint8_t rowChemistry);
    void pushEmpty();

    // A text row's field.
    std::string_view textField(std::size_t index, int field) const;
    // Whether a row of numbers has a field (only the optional ones may lack).
    bool has(std::size_t index, int field) const;
    // A row of numbers' field 3..21 in hundredths; nothing when it lacks it.
    std::optional<std::int32_t> hundredthsOf(std::size_t index, int field) const;
    // A row of numbers' time and fields 3..21 (NaN for those it lacks).
    void ownNumbers(std::size_t index, RowNumbers& out) const;
};

}  // namespace cellwatch
