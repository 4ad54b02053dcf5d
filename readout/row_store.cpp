#include "readout/row_store.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>

#include "protocol/decimal.h"
#include "protocol/sample_bridge.h"
#include "protocol/sample_text.h"

namespace cellwatch {
namespace {

constexpr int kFirstValueField = kFieldExtTemperature;

const char* const kHeaders[kTableColumnCount] = {
    "",           "Time",        "Type",    "+CHG/DIS-", "Ext.Temp(℃)", "In.Temp(℃)",
    "In.Volt(V)", "Bat.Volt(V)", "Curr(A)", "Cap(mAh)",  "Power(W)",    "C1",
    "C2",         "C3",          "C4",      "C5",        "C6",          "C7",
    "C8",         "C9",          "C10",     "C11",       "C12"};

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

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

std::size_t valueSlot(int field) {
    return static_cast<std::size_t>(field - kFirstValueField);
}

// The presence bit of an optional field; 0 for the fields every row has.
std::uint8_t presenceBit(int field) {
    switch (field) {
        case kFieldExtTemperature:
            return 1;
        case kFieldIntTemperature:
            return 2;
        case kFieldInputVoltage:
            return 4;
        case kFieldPower:
            return 8;
        default:
            return 0;
    }
}

std::optional<Decimal> readingValue(const Reading& r, int field) {
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
            return std::nullopt;
    }
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

}  // namespace

RowStore::RowStore() {
    resetPools();
}

QString RowStore::headerText(int column) {
    if (column < 0 || column >= kTableColumnCount) {
        return {};
    }
    return QString::fromUtf8(kHeaders[column]);
}

void RowStore::resetPools() {
    types_ = Pool{};
    states_ = Pool{};
}

bool RowStore::intern(Pool& pool, std::string_view given, bool isState, std::uint16_t& index) {
    // The last text found comes again, row after row.
    if (pool.last < pool.texts.size() && pool.texts[pool.last].text == given) {
        index = pool.last;
        return true;
    }
    // A tab shows as a blank, as in a row kept as texts (where it separates
    // the fields), so a row reads the same whichever way it is kept.
    std::string text(given);
    std::replace(text.begin(), text.end(), '\t', ' ');
    const auto found = pool.index.find(text);
    if (found != pool.index.end()) {
        index = found->second;
        pool.last = index;
        return true;
    }
    if (pool.texts.size() >= kPoolLimit) {
        return false;
    }
    index = static_cast<std::uint16_t>(pool.texts.size());
    const std::uint8_t code = isState ? static_cast<std::uint8_t>(ReadingFormat::stateOf(text))
                                      : static_cast<std::uint8_t>(ReadingFormat::chemistryOf(text));
    pool.index.emplace(text, index);
    pool.texts.push_back({std::move(text), code});
    pool.last = index;
    return true;
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
    // Text rows are numbered in the order they were added, so the first
    // text row among the removed ones marks where textRows_ ends.
    std::size_t keptTexts = textRows_.size();
    for (std::size_t i = rows; i < kind_.size(); ++i) {
        if (kind_[i] == kText) {
            keptTexts = std::min<std::size_t>(keptTexts, ms_[i]);
        }
    }
    textRows_.resize(keptTexts);
    kind_.resize(rows);
    ms_.resize(rows);
    state_.resize(rows);
    chemistry_.resize(rows);
    stateText_.resize(rows);
    typeText_.resize(rows);
    present_.resize(rows);
    cellCount_.resize(rows);
    for (auto& column : values_) {
        column.resize(rows);
    }
    for (auto& column : cells_) {
        column.resize(rows);
    }
    if (!resistance_.empty()) {
        resistance_.resize(rows);
    }
    if (rows == 0) {
        cells_.clear();
        resistance_.clear();
        textRows_.clear();
        resetPools();
    }
}

void RowStore::clear() {
    beginReset();
    truncate(0);
    for (auto* column : {&kind_, &state_, &chemistry_, &present_, &cellCount_}) {
        column->shrink_to_fit();
    }
    ms_.shrink_to_fit();
    stateText_.shrink_to_fit();
    typeText_.shrink_to_fit();
    for (auto& column : values_) {
        column.shrink_to_fit();
    }
    cells_.shrink_to_fit();
    resistance_.shrink_to_fit();
    textRows_.shrink_to_fit();
    endReset();
}

void RowStore::reserve(std::size_t rows) {
    kind_.reserve(rows);
    ms_.reserve(rows);
    state_.reserve(rows);
    chemistry_.reserve(rows);
    stateText_.reserve(rows);
    typeText_.reserve(rows);
    present_.reserve(rows);
    cellCount_.reserve(rows);
    for (auto& column : values_) {
        column.reserve(rows);
    }
    for (auto& column : cells_) {
        column.reserve(rows);
    }
    if (cells_.size() < static_cast<std::size_t>(kCellCount)) {
        ensureCells(kCellCount);  // the first family's rows have twelve
        for (auto& column : cells_) {
            column.reserve(rows);
        }
    }
}

int RowStore::gridRowCount() const {
    return static_cast<int>(kind_.size()) + 1;
}

void RowStore::setGridRowCount(int count) {
    const std::size_t wanted = count > 1 ? static_cast<std::size_t>(count - 1) : 0;
    const std::size_t rows = kind_.size();
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
        while (kind_.size() < wanted) {
            pushEmpty();
        }
        notify(&RowStoreListener::appended);
    }
}

void RowStore::ensureCells(int count) {
    while (cells_.size() < static_cast<std::size_t>(count)) {
        cells_.emplace_back(kind_.size(), 0);
    }
}

std::string_view RowStore::textField(std::size_t index, int field) const {
    const std::string_view texts = textRows_[ms_[index]];
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

bool RowStore::has(std::size_t index, int field) const {
    const std::uint8_t bit = presenceBit(field);
    return bit == 0 || (present_[index] & bit) != 0;
}

std::optional<std::int32_t> RowStore::hundredthsOf(std::size_t i, int field) const {
    if (field < kFieldCell1) {
        if (!has(i, field)) {
            return std::nullopt;
        }
        return values_[valueSlot(field)][i];
    }
    const auto cell = static_cast<std::size_t>(field - kFieldCell1);
    return cell < cells_.size() ? cells_[cell][i] : 0;
}

void RowStore::appendFieldText(std::string& out, int row, int field) const {
    if (row < 1 || static_cast<std::size_t>(row) > kind_.size() || field < kFieldElapsed ||
        field > kFieldCell12) {
        return;
    }
    const auto i = static_cast<std::size_t>(row - 1);
    switch (kind_[i]) {
        case kEmpty:
            return;
        case kText:
            out += textField(i, field);
            return;
        default:
            break;
    }
    switch (field) {
        case kFieldElapsed:
            ReadingFormat::appendElapsed(out, ms_[i]);
            return;
        case kFieldBatteryType:
            out += types_.texts[typeText_[i]].text;
            return;
        case kFieldState:
            out += states_.texts[stateText_[i]].text;
            return;
        default:
            if (const std::optional<std::int32_t> h = hundredthsOf(i, field)) {
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
                              std::array<std::int32_t, kSampleFieldCount - 3>& hundredths) const {
    if (row < 1 || static_cast<std::size_t>(row) > kind_.size() ||
        kind_[static_cast<std::size_t>(row - 1)] != kOwn) {
        return false;
    }
    const auto i = static_cast<std::size_t>(row - 1);
    seconds = (ms_[i] + 500U) / 1000U;
    for (int field = kFirstValueField; field <= kFieldCell12; ++field) {
        hundredths[static_cast<std::size_t>(field - kFirstValueField)] =
            hundredthsOf(i, field).value_or(0);
    }
    return true;
}

void RowStore::announce() {
    if (!bulk_ && listener_ != nullptr) {
        const int at = static_cast<int>(kind_.size());
        listener_->aboutToAppend(at, at);
    }
}

void RowStore::grew() {
    if (!bulk_) {
        notify(&RowStoreListener::appended);
    }
}

void RowStore::pushOwn(const Staged& row) {
    const ChargeState state = static_cast<ChargeState>(states_.texts[row.stateText].code);
    const Chemistry chemistry = static_cast<Chemistry>(types_.texts[row.typeText].code);
    ensureCells(row.cellCount);
    kind_.push_back(kOwn);
    ms_.push_back(row.ms);
    state_.push_back(static_cast<std::uint8_t>(state));
    chemistry_.push_back(static_cast<std::uint8_t>(chemistry));
    stateText_.push_back(row.stateText);
    typeText_.push_back(row.typeText);
    present_.push_back(row.present);
    cellCount_.push_back(row.cellCount);
    for (std::size_t k = 0; k < values_.size(); ++k) {
        values_[k].push_back(row.values[k]);
    }
    for (std::size_t k = 0; k < cells_.size(); ++k) {
        cells_[k].push_back(k < row.cellCount ? row.cells[k] : 0);
    }
    if ((row.present & kHasResistance) != 0 && resistance_.empty()) {
        resistance_.resize(kind_.size() - 1, 0);
    }
    if (!resistance_.empty()) {
        resistance_.push_back(row.resistance);
    }
}

void RowStore::pushText(std::string joined) {
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
    const auto state = static_cast<std::uint8_t>(ReadingFormat::stateOf(first[kFieldState]));
    const auto chemistry =
        static_cast<std::uint8_t>(ReadingFormat::chemistryOf(first[kFieldBatteryType]));
    kind_.push_back(kText);
    ms_.push_back(static_cast<std::uint32_t>(textRows_.size()));
    joined.shrink_to_fit();
    textRows_.push_back(std::move(joined));
    state_.push_back(state);
    chemistry_.push_back(chemistry);
    stateText_.push_back(0);
    typeText_.push_back(0);
    present_.push_back(0);
    cellCount_.push_back(0);
    for (auto& column : values_) {
        column.push_back(0);
    }
    for (auto& column : cells_) {
        column.push_back(0);
    }
    if (!resistance_.empty()) {
        resistance_.push_back(0);
    }
}

void RowStore::pushEmpty() {
    pushText({});
    // An empty row holds no texts at all: no entry in textRows_.
    textRows_.pop_back();
    kind_.back() = kEmpty;
    ms_.back() = 0;
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
    if (own) {
        pushOwn(row);
        grew();
        return;
    }
    std::string joined;
    for (int field = 0; field < kSampleFieldCount; ++field) {
        if (field > 0) {
            joined += '\t';
        }
        std::string text = ReadingFormat::fieldText(r, field);
        std::replace(text.begin(), text.end(), '\t', ' ');
        joined += text;
    }
    pushText(std::move(joined));
    grew();
}

void RowStore::appendSample(const StatusSample& sample) {
    std::int32_t power = 0;
    if (ReadingFormat::readOwnNumber(sample.power, kFieldPower, power)) {
        append(readingFromSample(sample));
        return;
    }
    // A power text not in its own form stays as it was made.
    std::array<std::string, kSampleFieldCount> texts;
    std::array<std::string_view, kSampleFieldCount> views;
    for (int field = 0; field < kSampleFieldCount; ++field) {
        texts[static_cast<std::size_t>(field)] = sampleFieldText(sample, field);
        views[static_cast<std::size_t>(field)] = texts[static_cast<std::size_t>(field)];
    }
    appendTexts(views);
}

void RowStore::appendFrom(const RowStore& other, int row) {
    if (row >= 1 && static_cast<std::size_t>(row) <= other.kind_.size() &&
        other.kind_[static_cast<std::size_t>(row - 1)] == kOwn) {
        append(other.reading(row));  // its numbers give its texts again
        return;
    }
    std::array<std::string, kSampleFieldCount> texts;
    std::array<std::string_view, kSampleFieldCount> views;
    for (int field = 0; field < kSampleFieldCount; ++field) {
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
    fields.resize(kSampleFieldCount);
    std::array<QByteArray, kSampleFieldCount> bytes;
    std::array<std::string_view, kSampleFieldCount> views;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = fields[static_cast<qsizetype>(i)].toUtf8();
        views[i] =
            std::string_view(bytes[i].constData(), static_cast<std::size_t>(bytes[i].size()));
    }
    appendTexts(views);
}

bool RowStore::stageTexts(const std::array<std::string_view, kSampleFieldCount>& texts,
                          Staged& row) {
    std::uint32_t seconds = 0;
    if (!ReadingFormat::readOwnElapsed(texts[kFieldElapsed], seconds) ||
        !intern(types_, texts[kFieldBatteryType], false, row.typeText) ||
        !intern(states_, texts[kFieldState], true, row.stateText)) {
        return false;
    }
    row.ms = seconds * 1000;
    for (int field = kFirstValueField; field < kFieldCell1; ++field) {
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

void RowStore::numbersOfStaged(const Staged& row, RowNumbers& out) const {
    out.timed = true;
    out.seconds = static_cast<double>((row.ms + 500U) / 1000U);
    out.state = static_cast<ChargeState>(states_.texts[row.stateText].code);
    out.chemistry = static_cast<Chemistry>(types_.texts[row.typeText].code);
    out.field[kFieldElapsed] = kNaN;
    out.field[kFieldBatteryType] = kNaN;
    out.field[kFieldState] = kNaN;
    for (int field = kFirstValueField; field < kFieldCell1; ++field) {
        const std::uint8_t bit = presenceBit(field);
        out.field[static_cast<std::size_t>(field)] =
            bit == 0 || (row.present & bit) != 0
                ? ReadingFormat::value(row.values[valueSlot(field)])
                : kNaN;
    }
    for (std::size_t cell = 0; cell < static_cast<std::size_t>(kCellCount); ++cell) {
        out.field[kFieldCell1 + cell] =
            cell < row.cellCount ? ReadingFormat::value(row.cells[cell]) : 0.0;
    }
}

bool RowStore::appendTexts(const std::array<std::string_view, kSampleFieldCount>& texts,
                           RowNumbers* numbers) {
    Staged row;
    announce();
    if (stageTexts(texts, row)) {
        pushOwn(row);
        grew();
        if (numbers != nullptr) {
            numbersOfStaged(row, *numbers);
        }
        return true;
    }
    if (numbers != nullptr) {
        numbersOfTexts(texts, *numbers);
    }
    std::string joined;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) {
            joined += '\t';
        }
        const std::size_t from = joined.size();
        joined += texts[i];
        std::replace(joined.begin() + static_cast<std::ptrdiff_t>(from), joined.end(), '\t', ' ');
    }
    pushText(std::move(joined));
    grew();
    return false;
}

bool RowStore::appendOwnLine(std::string_view line, char separator,
                             std::array<std::string_view, kSampleFieldCount>& fields,
                             RowNumbers& numbers) {
    const char* p = line.data();
    const char* end = p + line.size();
    if (p != end && end[-1] == '\r') {
        --end;  // a CR before the line break belongs to no field
    }
    // The time, the type and the state: texts up to the next separator.
    for (std::size_t f = 0; f < static_cast<std::size_t>(kFirstValueField); ++f) {
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
    Staged row;
    std::uint32_t seconds = 0;
    if (!ReadingFormat::readOwnElapsed(fields[kFieldElapsed], seconds) ||
        !intern(types_, fields[kFieldBatteryType], false, row.typeText) ||
        !intern(states_, fields[kFieldState], true, row.stateText)) {
        return false;
    }
    // The numbers, read as they are passed over.
    for (int f = kFirstValueField; f < kSampleFieldCount; ++f) {
        std::int32_t& slot = f < kFieldCell1 ? row.values[valueSlot(f)]
                                             : row.cells[static_cast<std::size_t>(f - kFieldCell1)];
        const char* q = ReadingFormat::readOwnNumberAt(p, end, f, slot);
        if (q == nullptr || (f + 1 < kSampleFieldCount ? q == end || *q != separator : q != end)) {
            return false;  // no number of its own form, or more fields
        }
        fields[static_cast<std::size_t>(f)] = std::string_view(p, static_cast<std::size_t>(q - p));
        p = q + 1;
    }
    row.ms = seconds * 1000;
    row.present = kHasExt | kHasInt | kHasInput | kHasPower;
    row.cellCount = kCellCount;
    announce();
    pushOwn(row);
    grew();
    numbersOfStaged(row, numbers);
    return true;
}

void RowStore::notify(void (RowStoreListener::*what)()) {
    if (listener_ != nullptr) {
        (listener_->*what)();
    }
}

std::optional<std::uint32_t> RowStore::seconds(int row) const {
    if (row < 1 || static_cast<std::size_t>(row) > kind_.size()) {
        return std::nullopt;
    }
    const auto i = static_cast<std::size_t>(row - 1);
    switch (kind_[i]) {
        case kOwn:
            return (ms_[i] + 500U) / 1000U;
        case kText:
            return ReadingFormat::parseElapsed(textField(i, kFieldElapsed));
        default:
            return std::nullopt;
    }
}

ChargeState RowStore::state(int row) const {
    if (row < 1 || static_cast<std::size_t>(row) > kind_.size()) {
        return ChargeState::Idle;
    }
    return static_cast<ChargeState>(state_[static_cast<std::size_t>(row - 1)]);
}

Chemistry RowStore::chemistry(int row) const {
    if (row < 1 || static_cast<std::size_t>(row) > kind_.size()) {
        return Chemistry::Unknown;
    }
    return static_cast<Chemistry>(chemistry_[static_cast<std::size_t>(row - 1)]);
}

std::optional<double> RowStore::number(int row, int field) const {
    if (row < 1 || static_cast<std::size_t>(row) > kind_.size() || field < kFieldElapsed ||
        field > kFieldCell12 || field == kFieldBatteryType || field == kFieldState) {
        return std::nullopt;
    }
    const auto i = static_cast<std::size_t>(row - 1);
    if (field == kFieldElapsed) {
        const std::optional<std::uint32_t> s = seconds(row);
        return s ? std::optional<double>(*s) : std::nullopt;
    }
    switch (kind_[i]) {
        case kOwn: {
            const std::optional<std::int32_t> h = hundredthsOf(i, field);
            return h ? std::optional<double>(ReadingFormat::value(*h)) : std::nullopt;
        }
        case kText: {
            // A row kept as its texts: what is written is all there is.
            const double value = ReadingFormat::number(textField(i, field));
            return std::isnan(value) ? std::nullopt : std::optional<double>(value);
        }
        default:
            return std::nullopt;
    }
}

bool RowStore::numbers(int row, RowNumbers& out) const {
    if (row < 1 || static_cast<std::size_t>(row) > kind_.size()) {
        return false;
    }
    const auto i = static_cast<std::size_t>(row - 1);
    out.state = static_cast<ChargeState>(state_[i]);
    out.chemistry = static_cast<Chemistry>(chemistry_[i]);
    out.field[kFieldElapsed] = kNaN;
    out.field[kFieldBatteryType] = kNaN;
    out.field[kFieldState] = kNaN;
    switch (kind_[i]) {
        case kOwn: {
            out.timed = true;
            out.seconds = static_cast<double>((ms_[i] + 500U) / 1000U);
            const std::uint8_t present = present_[i];
            for (int field = kFirstValueField; field < kFieldCell1; ++field) {
                const std::uint8_t bit = presenceBit(field);
                out.field[static_cast<std::size_t>(field)] =
                    bit == 0 || (present & bit) != 0
                        ? ReadingFormat::value(values_[valueSlot(field)][i])
                        : kNaN;
            }
            const std::size_t made = std::min<std::size_t>(cells_.size(), kCellCount);
            for (std::size_t cell = 0; cell < made; ++cell) {
                out.field[kFieldCell1 + cell] = ReadingFormat::value(cells_[cell][i]);
            }
            for (std::size_t cell = made; cell < static_cast<std::size_t>(kCellCount); ++cell) {
                out.field[kFieldCell1 + cell] = 0.0;
            }
            return true;
        }
        case kText: {
            std::array<std::string_view, kSampleFieldCount> texts;
            for (int field = 0; field < kSampleFieldCount; ++field) {
                texts[static_cast<std::size_t>(field)] = textField(i, field);
            }
            numbersOfTexts(texts, out);
            return true;
        }
        default:
            out.timed = false;
            out.seconds = 0;
            out.field.fill(kNaN);
            return true;
    }
}

void RowStore::numbersOfTexts(const std::array<std::string_view, kSampleFieldCount>& texts,
                              RowNumbers& out) {
    out.state = ReadingFormat::stateOf(texts[kFieldState]);
    out.chemistry = ReadingFormat::chemistryOf(texts[kFieldBatteryType]);
    const std::optional<std::uint32_t> s = ReadingFormat::parseElapsed(texts[kFieldElapsed]);
    out.timed = s.has_value();
    out.seconds = s ? static_cast<double>(*s) : 0.0;
    out.field[kFieldElapsed] = kNaN;
    out.field[kFieldBatteryType] = kNaN;
    out.field[kFieldState] = kNaN;
    for (std::size_t field = kFirstValueField; field < texts.size(); ++field) {
        out.field[field] = ReadingFormat::number(texts[field]);
    }
}

std::optional<Decimal> RowStore::value(int row, int field) const {
    if (row < 1 || static_cast<std::size_t>(row) > kind_.size() || field < kFirstValueField ||
        field > kFieldCell12) {
        return std::nullopt;
    }
    const auto i = static_cast<std::size_t>(row - 1);
    switch (kind_[i]) {
        case kOwn: {
            const std::optional<std::int32_t> h = hundredthsOf(i, field);
            return h ? std::optional<Decimal>(Decimal::fromHundredths(*h)) : std::nullopt;
        }
        case kText: {
            std::string_view text = textField(i, field);
            while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
                text.remove_prefix(1);
            }
            while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
                text.remove_suffix(1);
            }
            return Decimal::parse(text);
        }
        default:
            return std::nullopt;
    }
}

Reading RowStore::reading(int row) const {
    Reading r;
    r.charger = std::string(ReadingFormat::kDriverId);
    if (row < 1 || static_cast<std::size_t>(row) > kind_.size()) {
        return r;
    }
    const auto i = static_cast<std::size_t>(row - 1);
    r.state = state(row);
    r.chemistry = chemistry(row);
    if (kind_[i] == kOwn) {
        r.elapsedMs = ms_[i];
        r.stateText = states_.texts[stateText_[i]].text;
        r.chemistryText = types_.texts[typeText_[i]].text;
        r.cellCount = cellCount_[i];
    } else if (kind_[i] == kText) {
        r.elapsedMs = seconds(row).value_or(0) * 1000;
        r.stateText = textField(i, kFieldState);
        r.chemistryText = textField(i, kFieldBatteryType);
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
        if (kind_[i] == kOwn) {
            r.cells[static_cast<std::size_t>(cell)] =
                Decimal::fromHundredths(static_cast<std::size_t>(cell) < cells_.size()
                                            ? cells_[static_cast<std::size_t>(cell)][i]
                                            : 0);
        } else if (cell < kCellCount) {
            r.cells[static_cast<std::size_t>(cell)] =
                value(row, kFieldCell1 + cell).value_or(Decimal());
        }
    }
    if (kind_[i] == kOwn && (present_[i] & kHasResistance) != 0 && !resistance_.empty()) {
        r.packResistance = Decimal::fromHundredths(resistance_[i]);
    }
    return r;
}

}  // namespace cellwatch
