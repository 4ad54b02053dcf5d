#include "readout/row_columns.h"

#include <algorithm>
#include <limits>

#include "readout/row_store.h"

namespace cellwatch {

void RowColumns::truncate(std::size_t rows) {
    // Text rows are numbered in the order they were added, so the first
    // text row among the removed ones marks where textRows ends.
    std::size_t keptTexts = textRows.size();
    for (std::size_t i = rows; i < kind.size(); ++i) {
        if (kind[i] == kTextRow) {
            keptTexts = std::min<std::size_t>(keptTexts, ms[i]);
        }
    }
    textRows.resize(keptTexts);
    kind.resize(rows);
    ms.resize(rows);
    state.resize(rows);
    chemistry.resize(rows);
    stateText.resize(rows);
    typeText.resize(rows);
    present.resize(rows);
    cellCount.resize(rows);
    for (auto& column : values) {
        column.resize(rows);
    }
    for (auto& column : cells) {
        column.resize(rows);
    }
    if (!resistance.empty()) {
        resistance.resize(rows);
    }
    if (rows == 0) {
        cells.clear();
        resistance.clear();
        textRows.clear();
    }
}

void RowColumns::shrink() {
    for (auto* column : {&kind, &state, &chemistry, &present, &cellCount}) {
        column->shrink_to_fit();
    }
    ms.shrink_to_fit();
    stateText.shrink_to_fit();
    typeText.shrink_to_fit();
    for (auto& column : values) {
        column.shrink_to_fit();
    }
    cells.shrink_to_fit();
    resistance.shrink_to_fit();
    textRows.shrink_to_fit();
}

void RowColumns::reserve(std::size_t rows) {
    kind.reserve(rows);
    ms.reserve(rows);
    state.reserve(rows);
    chemistry.reserve(rows);
    stateText.reserve(rows);
    typeText.reserve(rows);
    present.reserve(rows);
    cellCount.reserve(rows);
    for (auto& column : values) {
        column.reserve(rows);
    }
    for (auto& column : cells) {
        column.reserve(rows);
    }
    if (cells.size() < static_cast<std::size_t>(kCellCount)) {
        ensureCells(kCellCount);  // the first family's rows have twelve
        for (auto& column : cells) {
            column.reserve(rows);
        }
    }
}

void RowColumns::ensureCells(int count) {
    while (cells.size() < static_cast<std::size_t>(count)) {
        cells.emplace_back(kind.size(), 0);
    }
}

void RowColumns::pushOwn(const OwnRow& row, std::uint8_t rowState, std::uint8_t rowChemistry) {
    ensureCells(row.cellCount);
    kind.push_back(kOwnRow);
    ms.push_back(row.ms);
    state.push_back(rowState);
    chemistry.push_back(rowChemistry);
    stateText.push_back(row.stateText);
    typeText.push_back(row.typeText);
    present.push_back(row.present);
    cellCount.push_back(row.cellCount);
    for (std::size_t k = 0; k < values.size(); ++k) {
        values[k].push_back(row.values[k]);
    }
    for (std::size_t k = 0; k < cells.size(); ++k) {
        cells[k].push_back(k < row.cellCount ? row.cells[k] : 0);
    }
    if ((row.present & kHasResistance) != 0 && resistance.empty()) {
        resistance.resize(kind.size() - 1, 0);
    }
    if (!resistance.empty()) {
        resistance.push_back(row.resistance);
    }
}

void RowColumns::pushText(std::string joined) {
    std::array<std::string_view, 3> first{};
    {
        std::size_t begin = 0;
        for (std::size_t f = 0; f < first.size(); ++f) {
            const std::size_t end = joined.find('\t', begin);
            first[f] = std::string_view(joined).substr(
                begin, end == std::string::npos ? std::string::npos : end - begin);
            begin = end == std::string::npos ? joined.size() : end + 1;
        }
    }
    const auto rowState = static_cast<std::uint8_t>(ReadingFormat::stateOf(first[kFieldState]));
    const auto rowChemistry =
        static_cast<std::uint8_t>(ReadingFormat::chemistryOf(first[kFieldBatteryType]));
    pushText(std::move(joined), rowState, rowChemistry);
}

void RowColumns::pushText(std::string joined, std::uint8_t rowState, std::uint8_t rowChemistry) {
    kind.push_back(kTextRow);
    ms.push_back(static_cast<std::uint32_t>(textRows.size()));
    joined.shrink_to_fit();
    textRows.push_back(std::move(joined));
    state.push_back(rowState);
    chemistry.push_back(rowChemistry);
    stateText.push_back(0);
    typeText.push_back(0);
    present.push_back(0);
    cellCount.push_back(0);
    for (auto& column : values) {
        column.push_back(0);
    }
    for (auto& column : cells) {
        column.push_back(0);
    }
    if (!resistance.empty()) {
        resistance.push_back(0);
    }
}

void RowColumns::pushEmpty() {
    pushText({});
    // An empty row holds no texts at all: no entry in textRows.
    textRows.pop_back();
    kind.back() = kEmptyRow;
    ms.back() = 0;
}

std::string_view RowColumns::textField(std::size_t index, int field) const {
    return tabField(textRows[ms[index]], field);
}

bool RowColumns::has(std::size_t index, int field) const {
    const std::uint8_t bit = presenceBit(field);
    return bit == 0 || (present[index] & bit) != 0;
}

std::optional<std::int32_t> RowColumns::hundredthsOf(std::size_t i, int field) const {
    if (field < kFieldCell1) {
        if (!has(i, field)) {
            return std::nullopt;
        }
        return values[valueSlot(field)][i];
    }
    const auto cell = static_cast<std::size_t>(field - kFieldCell1);
    return cell < cells.size() ? cells[cell][i] : 0;
}

void RowColumns::ownNumbers(std::size_t i, RowNumbers& out) const {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    out.timed = true;
    out.seconds = static_cast<double>((ms[i] + 500U) / 1000U);
    const std::uint8_t rowPresent = present[i];
    for (int field = kFirstRowValueField; field < kFieldCell1; ++field) {
        const std::uint8_t bit = presenceBit(field);
        out.field[static_cast<std::size_t>(field)] =
            bit == 0 || (rowPresent & bit) != 0 ? ReadingFormat::value(values[valueSlot(field)][i])
                                                : nan;
    }
    const std::size_t made = std::min<std::size_t>(cells.size(), kCellCount);
    for (std::size_t cell = 0; cell < made; ++cell) {
        out.field[kFieldCell1 + cell] = ReadingFormat::value(cells[cell][i]);
    }
    for (std::size_t cell = made; cell < static_cast<std::size_t>(kCellCount); ++cell) {
        out.field[kFieldCell1 + cell] = 0.0;
    }
}

}  // namespace cellwatch
