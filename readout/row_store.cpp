#include "readout/row_store.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>

#include "protocol/decimal.h"
#include "protocol/reading_format.h"
#include "readout/row_fields.h"

namespace cellwatch {
namespace {

constexpr int kFirstValueField = kFieldExtTemperature;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

RowStore::RowStore() {
    resetPools();
}

QString RowStore::headerText(int column) {
    if (column < 0 || column >= kTableColumnCount) {
        return {};
    }
    return QString::fromUtf8(rowHeader(column));
}

void RowStore::resetPools() {
    types_ = RowTextPool{};
    states_ = RowTextPool{};
}

bool RowStore::intern(RowTextPool& pool, std::string_view text, bool isState,
                      std::uint16_t& index) {
    return pool.intern(text, isState, index);
}

bool RowStore::storeNumberByFormatting(std::string_view text, int field, std::int32_t& hundredths) {
    const std::optional<Decimal> value = Decimal::parse(text);
    return value && toHundredths(*value, hundredths) &&
           ReadingFormat::numberText(field, hundredths) == text;
}

void RowStore::beginReset() {
    if (!bulk_) {
        notify(&RowStoreListener::aboutToReset);
    }
}

void RowStore::endReset() {
    if (!bulk_) {
        notify(&RowStoreListener::reset);
    }
}

void RowStore::beginBulkAppend() {
    if (!bulk_) {
        notify(&RowStoreListener::aboutToReset);
        bulk_ = true;
    }
}

void RowStore::endBulkAppend() {
    if (bulk_) {
        bulk_ = false;
        notify(&RowStoreListener::reset);
    }
}

void RowStore::truncate(std::size_t rows) {
    columns_.truncate(rows);
    if (rows == 0) {
        resetPools();
    }
}

void RowStore::clear() {
    beginReset();
    truncate(0);
    columns_.shrink();
    endReset();
}

void RowStore::reserve(std::size_t rows) {
    columns_.reserve(rows);
}

int RowStore::gridRowCount() const {
    return static_cast<int>(columns_.kind.size()) + 1;
}

void RowStore::setGridRowCount(int count) {
    const std::size_t wanted = count > 1 ? static_cast<std::size_t>(count - 1) : 0;
    const std::size_t rows = columns_.kind.size();
    if (wanted == rows) {
        return;
    }
    if (wanted == 0) {
        beginReset();
        truncate(0);
        endReset();
    } else if (wanted < rows) {
        if (listener_ != nullptr) {
            listener_->aboutToRemove(static_cast<int>(wanted), static_cast<int>(rows) - 1);
        }
        truncate(wanted);
        notify(&RowStoreListener::removed);
    } else {
        if (listener_ != nullptr) {
            listener_->aboutToAppend(static_cast<int>(rows), static_cast<int>(wanted) - 1);
        }
        while (columns_.kind.size() < wanted) {
            columns_.pushEmpty();
        }
        notify(&RowStoreListener::appended);
    }
}

void RowStore::appendFieldText(std::string& out, int row, int field) const {
    if (row < 1 || static_cast<std::size_t>(row) > columns_.kind.size() || field < kFieldElapsed ||
        field > kFieldCell12) {
        return;
    }
    const auto i = static_cast<std::size_t>(row - 1);
    switch (columns_.kind[i]) {
        case kEmptyRow:
            return;
        case kTextRow:
            out += columns_.textField(i, field);
            return;
        default:
            break;
    }
    switch (field) {
        case kFieldElapsed:
            ReadingFormat::appendElapsed(out, columns_.ms[i]);
            return;
        case kFieldBatteryType:
            out += types_.text(columns_.typeText[i]);
            return;
        case kFieldState:
            out += states_.text(columns_.stateText[i]);
            return;
        default:
            if (const std::optional<std::int32_t> h = columns_.hundredthsOf(i, field)) {
                ReadingFormat::appendNumber(out, field, *h);
            }
    }
}

std::string RowStore::fieldText(int row, int field) const {
    std::string text;
    appendFieldText(text, row, field);
    return text;
}

QString RowStore::gridText(int row, int column) const {
    if (row == 0) {
        return headerText(column);
    }
    if (column < 1 || column >= kTableColumnCount) {
        return {};
    }
    const std::string text = fieldText(row, column - 1);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool RowStore::compactNumbers(int row, std::uint32_t& seconds,
                              std::array<std::int32_t, kRowFieldCount - 3>& hundredths) const {
    if (row < 1 || static_cast<std::size_t>(row) > columns_.kind.size() ||
        columns_.kind[static_cast<std::size_t>(row - 1)] != kOwnRow) {
        return false;
    }
    const auto i = static_cast<std::size_t>(row - 1);
    seconds = (columns_.ms[i] + 500U) / 1000U;
    for (int field = kFirstValueField; field <= kFieldCell12; ++field) {
        hundredths[static_cast<std::size_t>(field - kFirstValueField)] =
            columns_.hundredthsOf(i, field).value_or(0);
    }
    return true;
}

void RowStore::announce() {
    if (!bulk_ && listener_ != nullptr) {
        const int at = static_cast<int>(columns_.kind.size());
        listener_->aboutToAppend(at, at);
    }
}

void RowStore::grew() {
    if (!bulk_) {
        notify(&RowStoreListener::appended);
    }
}

void RowStore::pushOwn(const Staged& row) {
    columns_.pushOwn(row, states_.code(row.stateText), types_.code(row.typeText));
}

void RowStore::pushOwn(const Staged& row, ChargeState state, Chemistry chemistry) {
    columns_.pushOwn(row, static_cast<std::uint8_t>(state), static_cast<std::uint8_t>(chemistry));
}

void RowStore::pushText(std::string joined) {
    columns_.pushText(std::move(joined));
}

void RowStore::append(const Reading& r) {
    Staged row;
    row.ms = r.elapsedMs;
    bool own = intern(types_, r.chemistryText, false, row.typeText) &&
               intern(states_, r.stateText, true, row.stateText);
    for (int field = kFirstValueField; own && field < kFieldCell1; ++field) {
        std::optional<Decimal> value = readingValue(r, field);
        if (!value) {
            own = presenceBit(field) != 0;  // voltage, current and capacity are always there
            continue;
        }
        if (ReadingFormat::twoDecimals(field)) {
            value = value->rounded(2);  // the text shows it rounded
        }
        own = toHundredths(*value, row.values[valueSlot(field)]);
        row.present |= presenceBit(field);
    }
    row.cellCount = static_cast<std::uint8_t>(std::clamp(r.cellCount, 0, kMostCells));
    for (std::size_t k = 0; own && k < row.cellCount; ++k) {
        own = toHundredths(r.cells[k], row.cells[k]);
    }
    if (own && r.packResistance) {
        own = toHundredths(r.packResistance->rounded(2), row.resistance);
        row.present |= kHasResistance;
    }
    announce();
    // The state and chemistry as the driver mapped them, whatever its words.
    if (own) {
        pushOwn(row, r.state, r.chemistry);
        grew();
        return;
    }
    std::string joined;
    for (int field = 0; field < kRowFieldCount; ++field) {
        if (field > 0) {
            joined += '\t';
        }
        std::string text = ReadingFormat::fieldText(r, field);
        std::replace(text.begin(), text.end(), '\t', ' ');
        joined += text;
    }
    columns_.pushText(std::move(joined), static_cast<std::uint8_t>(r.state),
                      static_cast<std::uint8_t>(r.chemistry));
    grew();
}

void RowStore::appendFrom(const RowStore& other, int row) {
    if (row >= 1 && static_cast<std::size_t>(row) <= other.columns_.kind.size() &&
        other.columns_.kind[static_cast<std::size_t>(row - 1)] == kOwnRow) {
        append(other.reading(row));  // its numbers give its texts again
        return;
    }
    std::array<std::string, kRowFieldCount> texts;
    std::array<std::string_view, kRowFieldCount> views;
    for (int field = 0; field < kRowFieldCount; ++field) {
        texts[static_cast<std::size_t>(field)] = other.fieldText(row, field);
        views[static_cast<std::size_t>(field)] = texts[static_cast<std::size_t>(field)];
    }
    appendTexts(views);
}

void RowStore::appendTabText(const QString& text) {
    QStringList fields = text.split(QLatin1Char('\t'));
    if (text.endsWith(QLatin1Char('\t'))) {
        fields.removeLast();
    }
    fields.resize(kRowFieldCount);
    std::array<QByteArray, kRowFieldCount> bytes;
    std::array<std::string_view, kRowFieldCount> views;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = fields[static_cast<qsizetype>(i)].toUtf8();
        views[i] =
            std::string_view(bytes[i].constData(), static_cast<std::size_t>(bytes[i].size()));
    }
    appendTexts(views);
}

bool RowStore::appendTexts(const std::array<std::string_view, kRowFieldCount>& texts,
                           RowNumbers* numbers) {
    Staged row;
    announce();
    if (stageOwnTexts(texts, types_, states_, row)) {
        pushOwn(row);
        grew();
        if (numbers != nullptr) {
            ownRowNumbers(row, types_, states_, *numbers);
        }
        return true;
    }
    if (numbers != nullptr) {
        numbersOfTexts(texts, *numbers);
    }
    pushText(joinTexts(texts));
    grew();
    return false;
}

bool RowStore::appendOwnLine(std::string_view line, char separator,
                             std::array<std::string_view, kRowFieldCount>& fields,
                             RowNumbers& numbers) {
    Staged row;
    if (!readOwnLine(line, separator, fields, types_, states_, row)) {
        return false;
    }
    announce();
    pushOwn(row);
    grew();
    ownRowNumbers(row, types_, states_, numbers);
    return true;
}

void RowStore::notify(void (RowStoreListener::*what)()) {
    if (listener_ != nullptr) {
        (listener_->*what)();
    }
}

std::optional<std::uint32_t> RowStore::seconds(int row) const {
    if (row < 1 || static_cast<std::size_t>(row) > columns_.kind.size()) {
        return std::nullopt;
    }
    const auto i = static_cast<std::size_t>(row - 1);
    switch (columns_.kind[i]) {
        case kOwnRow:
            return (columns_.ms[i] + 500U) / 1000U;
        case kTextRow:
            return ReadingFormat::parseElapsed(columns_.textField(i, kFieldElapsed));
        default:
            return std::nullopt;
    }
}

ChargeState RowStore::state(int row) const {
    if (row < 1 || static_cast<std::size_t>(row) > columns_.kind.size()) {
        return ChargeState::Idle;
    }
    return static_cast<ChargeState>(columns_.state[static_cast<std::size_t>(row - 1)]);
}

Chemistry RowStore::chemistry(int row) const {
    if (row < 1 || static_cast<std::size_t>(row) > columns_.kind.size()) {
        return Chemistry::Unknown;
    }
    return static_cast<Chemistry>(columns_.chemistry[static_cast<std::size_t>(row - 1)]);
}

std::optional<double> RowStore::number(int row, int field) const {
    if (row < 1 || static_cast<std::size_t>(row) > columns_.kind.size() || field < kFieldElapsed ||
        field > kFieldCell12 || field == kFieldBatteryType || field == kFieldState) {
        return std::nullopt;
    }
    const auto i = static_cast<std::size_t>(row - 1);
    if (field == kFieldElapsed) {
        const std::optional<std::uint32_t> s = seconds(row);
        return s ? std::optional<double>(*s) : std::nullopt;
    }
    switch (columns_.kind[i]) {
        case kOwnRow: {
            const std::optional<std::int32_t> h = columns_.hundredthsOf(i, field);
            return h ? std::optional<double>(ReadingFormat::value(*h)) : std::nullopt;
        }
        case kTextRow: {
            // A row kept as its texts: what is written is all there is.
            const double value = ReadingFormat::number(columns_.textField(i, field));
            return std::isnan(value) ? std::nullopt : std::optional<double>(value);
        }
        default:
            return std::nullopt;
    }
}

bool RowStore::numbers(int row, RowNumbers& out) const {
    if (row < 1 || static_cast<std::size_t>(row) > columns_.kind.size()) {
        return false;
    }
    const auto i = static_cast<std::size_t>(row - 1);
    out.state = static_cast<ChargeState>(columns_.state[i]);
    out.chemistry = static_cast<Chemistry>(columns_.chemistry[i]);
    out.field[kFieldElapsed] = kNaN;
    out.field[kFieldBatteryType] = kNaN;
    out.field[kFieldState] = kNaN;
    switch (columns_.kind[i]) {
        case kOwnRow:
            columns_.ownNumbers(i, out);
            return true;
        case kTextRow: {
            std::array<std::string_view, kRowFieldCount> texts;
            for (int field = 0; field < kRowFieldCount; ++field) {
                texts[static_cast<std::size_t>(field)] = columns_.textField(i, field);
            }
            numbersOfTexts(texts, out);
            // The state and chemistry as the driver mapped them, whatever its words.
            out.state = static_cast<ChargeState>(columns_.state[i]);
            out.chemistry = static_cast<Chemistry>(columns_.chemistry[i]);
            return true;
        }
        default:
            out.timed = false;
            out.seconds = 0;
            out.field.fill(kNaN);
            return true;
    }
}

void RowStore::numbersOfTexts(const std::array<std::string_view, kRowFieldCount>& texts,
                              RowNumbers& out) {
    textRowNumbers(texts, out);
}

std::optional<Decimal> RowStore::value(int row, int field) const {
    if (row < 1 || static_cast<std::size_t>(row) > columns_.kind.size() ||
        field < kFirstValueField || field > kFieldCell12) {
        return std::nullopt;
    }
    const auto i = static_cast<std::size_t>(row - 1);
    switch (columns_.kind[i]) {
        case kOwnRow: {
            const std::optional<std::int32_t> h = columns_.hundredthsOf(i, field);
            return h ? std::optional<Decimal>(Decimal::fromHundredths(*h)) : std::nullopt;
        }
        case kTextRow: {
            return textDecimal(columns_.textField(i, field));
        }
        default:
            return std::nullopt;
    }
}

Reading RowStore::reading(int row) const {
    Reading r;
    r.charger = std::string(ReadingFormat::kDriverId);
    if (row < 1 || static_cast<std::size_t>(row) > columns_.kind.size()) {
        return r;
    }
    const auto i = static_cast<std::size_t>(row - 1);
    r.state = state(row);
    r.chemistry = chemistry(row);
    if (columns_.kind[i] == kOwnRow) {
        r.elapsedMs = columns_.ms[i];
        r.stateText = states_.text(columns_.stateText[i]);
        r.chemistryText = types_.text(columns_.typeText[i]);
        r.cellCount = columns_.cellCount[i];
    } else if (columns_.kind[i] == kTextRow) {
        r.elapsedMs = seconds(row).value_or(0) * 1000;
        r.stateText = columns_.textField(i, kFieldState);
        r.chemistryText = columns_.textField(i, kFieldBatteryType);
        r.cellCount = kCellCount;
    }
    for (int field = kFirstValueField; field < kFieldCell1; ++field) {
        std::optional<Decimal> scratch;
        std::optional<Decimal>& slot = readingSlot(r, field, scratch);
        slot = value(row, field);
        if (field == kFieldVoltage) {
            r.voltage = slot.value_or(Decimal());
        } else if (field == kFieldCurrent) {
            r.current = slot.value_or(Decimal());
        } else if (field == kFieldCapacity) {
            r.capacity = slot.value_or(Decimal());
        }
    }
    for (int cell = 0; cell < r.cellCount; ++cell) {
        if (columns_.kind[i] == kOwnRow) {
            r.cells[static_cast<std::size_t>(cell)] =
                Decimal::fromHundredths(static_cast<std::size_t>(cell) < columns_.cells.size()
                                            ? columns_.cells[static_cast<std::size_t>(cell)][i]
                                            : 0);
        } else if (cell < kCellCount) {
            r.cells[static_cast<std::size_t>(cell)] =
                value(row, kFieldCell1 + cell).value_or(Decimal());
        }
    }
    if (columns_.kind[i] == kOwnRow && (columns_.present[i] & kHasResistance) != 0 &&
        !columns_.resistance.empty()) {
        r.packResistance = Decimal::fromHundredths(columns_.resistance[i]);
    }
    return r;
}

}  // namespace cellwatch
