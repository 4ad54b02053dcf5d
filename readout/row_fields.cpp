#include "readout/row_fields.h"

#include <algorithm>
#include <limits>

#include "protocol/reading_format.h"
#include "readout/row_store.h"

namespace cellwatch {
namespace {

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

const char* const kRowHeaders[kTableColumnCount] = {
    "",           "Time",        "Type",    "+CHG/DIS-", "Ext.Temp(℃)", "In.Temp(℃)",
    "In.Volt(V)", "Bat.Volt(V)", "Curr(A)", "Cap(mAh)",  "Power(W)",    "C1",
    "C2",         "C3",          "C4",      "C5",        "C6",          "C7",
    "C8",         "C9",          "C10",     "C11",       "C12"};

}  // namespace

bool toHundredths(Decimal value, std::int32_t& hundredths) {
    if (value.raw() % 100 != 0) {
        return false;
    }
    const std::int64_t h = value.raw() / 100;
    if (h < std::numeric_limits<std::int32_t>::min() ||
        h > std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    hundredths = static_cast<std::int32_t>(h);
    return true;
}

std::uint8_t presenceBit(int field) {
    switch (field) {
        case kFieldExtTemperature:
            return kHasExt;
        case kFieldIntTemperature:
            return kHasInt;
        case kFieldInputVoltage:
            return kHasInput;
        case kFieldPower:
            return kHasPower;
        default:
            return 0;
    }
}

std::optional<Decimal> readingValue(const Reading& r, int field) {
    return field < kFieldCell1 ? ReadingFormat::fieldValue(r, field) : std::nullopt;
}

std::optional<Decimal>& readingSlot(Reading& r, int field, std::optional<Decimal>& scratch) {
    switch (field) {
        case kFieldExtTemperature:
            return r.extTemperature;
        case kFieldIntTemperature:
            return r.intTemperature;
        case kFieldInputVoltage:
            return r.inputVoltage;
        case kFieldPower:
            return r.power;
        default:
            return scratch;
    }
}

bool stageOwnTexts(const RowTexts& texts, RowTextPool& types, RowTextPool& states, OwnRow& row) {
    std::uint32_t seconds = 0;
    if (!ReadingFormat::readOwnElapsed(texts[kFieldElapsed], seconds) ||
        !types.intern(texts[kFieldBatteryType], false, row.typeText) ||
        !states.intern(texts[kFieldState], true, row.stateText)) {
        return false;
    }
    row.ms = seconds * 1000;
    for (int field = kFirstRowValueField; field < kFieldCell1; ++field) {
        if (!ReadingFormat::readOwnNumber(texts[static_cast<std::size_t>(field)], field,
                                          row.values[valueSlot(field)])) {
            return false;
        }
    }
    for (int cell = 0; cell < kCellCount; ++cell) {
        if (!ReadingFormat::readOwnNumber(texts[static_cast<std::size_t>(kFieldCell1 + cell)],
                                          kFieldCell1 + cell,
                                          row.cells[static_cast<std::size_t>(cell)])) {
            return false;
        }
    }
    row.present = kHasExt | kHasInt | kHasInput | kHasPower;
    row.cellCount = kCellCount;
    return true;
}

bool readOwnLine(std::string_view line, char separator, RowTexts& fields, RowTextPool& types,
                 RowTextPool& states, OwnRow& row) {
    const char* p = line.data();
    const char* end = p + line.size();
    if (p != end && end[-1] == '\r') {
        --end;  // a CR before the line break belongs to no field
    }
    // The time, the type and the state: texts up to the next separator.
    for (std::size_t f = 0; f < static_cast<std::size_t>(kFirstRowValueField); ++f) {
        const char* q = p;
        while (q != end && *q != separator) {
            ++q;
        }
        if (q == end || (q != p && *p == '"')) {
            return false;  // too few fields, or a quoted one
        }
        std::string_view text(p, static_cast<std::size_t>(q - p));
        // A text written so that a spreadsheet takes it as text ('+CHG+):
        // the quote mark is the writer's, as RecordCursor::field() has it.
        if (text.size() >= 2 && text[0] == '\'' &&
            std::string_view("=+-@\t\r").find(text[1]) != std::string_view::npos) {
            text.remove_prefix(1);
        }
        fields[f] = text;
        p = q + 1;
    }
    std::uint32_t seconds = 0;
    if (!ReadingFormat::readOwnElapsed(fields[kFieldElapsed], seconds) ||
        !types.intern(fields[kFieldBatteryType], false, row.typeText) ||
        !states.intern(fields[kFieldState], true, row.stateText)) {
        return false;
    }
    // The numbers, read as they are passed over.
    for (int f = kFirstRowValueField; f < kRowFieldCount; ++f) {
        std::int32_t& slot = f < kFieldCell1 ? row.values[valueSlot(f)]
                                             : row.cells[static_cast<std::size_t>(f - kFieldCell1)];
        const char* q = ReadingFormat::readOwnNumberAt(p, end, f, slot);
        if (q == nullptr || (f + 1 < kRowFieldCount ? q == end || *q != separator : q != end)) {
            return false;  // no number of its own form, or more fields
        }
        fields[static_cast<std::size_t>(f)] = std::string_view(p, static_cast<std::size_t>(q - p));
        p = q + 1;
    }
    row.ms = seconds * 1000;
    row.present = kHasExt | kHasInt | kHasInput | kHasPower;
    row.cellCount = kCellCount;
    return true;
}

void ownRowNumbers(const OwnRow& row, const RowTextPool& types, const RowTextPool& states,
                   RowNumbers& out) {
    out.timed = true;
    out.seconds = static_cast<double>((row.ms + 500U) / 1000U);
    out.state = static_cast<ChargeState>(states.code(row.stateText));
    out.chemistry = static_cast<Chemistry>(types.code(row.typeText));
    out.field[kFieldElapsed] = kNotANumber;
    out.field[kFieldBatteryType] = kNotANumber;
    out.field[kFieldState] = kNotANumber;
    for (int field = kFirstRowValueField; field < kFieldCell1; ++field) {
        const std::uint8_t bit = presenceBit(field);
        out.field[static_cast<std::size_t>(field)] =
            bit == 0 || (row.present & bit) != 0
                ? ReadingFormat::value(row.values[valueSlot(field)])
                : kNotANumber;
    }
    for (std::size_t cell = 0; cell < static_cast<std::size_t>(kCellCount); ++cell) {
        out.field[kFieldCell1 + cell] =
            cell < row.cellCount ? ReadingFormat::value(row.cells[cell]) : 0.0;
    }
}

void textRowNumbers(const RowTexts& texts, RowNumbers& out) {
    out.state = ReadingFormat::stateOf(texts[kFieldState]);
    out.chemistry = ReadingFormat::chemistryOf(texts[kFieldBatteryType]);
    const std::optional<std::uint32_t> s = ReadingFormat::parseElapsed(texts[kFieldElapsed]);
    out.timed = s.has_value();
    out.seconds = s ? static_cast<double>(*s) : 0.0;
    out.field[kFieldElapsed] = kNotANumber;
    out.field[kFieldBatteryType] = kNotANumber;
    out.field[kFieldState] = kNotANumber;
    for (std::size_t field = kFirstRowValueField; field < texts.size(); ++field) {
        out.field[field] = ReadingFormat::number(texts[field]);
    }
}

std::string_view tabField(std::string_view texts, int field) {
    std::size_t begin = 0;
    for (int skip = 0; skip < field; ++skip) {
        begin = texts.find('\t', begin);
        if (begin == std::string_view::npos) {
            return {};
        }
        ++begin;
    }
    const std::size_t end = texts.find('\t', begin);
    return texts.substr(begin,
                        end == std::string_view::npos ? std::string_view::npos : end - begin);
}

std::string joinTexts(const RowTexts& texts) {
    std::string joined;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) {
            joined += '\t';
        }
        const std::size_t from = joined.size();
        joined += texts[i];
        std::replace(joined.begin() + static_cast<std::ptrdiff_t>(from), joined.end(), '\t', ' ');
    }
    return joined;
}

std::optional<Decimal> textDecimal(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return Decimal::parse(text);
}

const char* rowHeader(int column) {
    return kRowHeaders[column];
}

}  // namespace cellwatch
