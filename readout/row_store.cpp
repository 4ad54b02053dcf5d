#include "readout/row_store.h"

#include <QByteArray>
#include <algorithm>
#include <cmath>
#include <limits>

#include "protocol/decimal.h"
#include "protocol/sample_text.h"

namespace cellwatch {
namespace {

constexpr int kFirstNumberField = kFieldExtTemperature;

const char* const kHeaders[kTableColumnCount] = {
    "",           "Time",        "Type",    "+CHG/DIS-", "Ext.Temp(℃)", "In.Temp(℃)",
    "In.Volt(V)", "Bat.Volt(V)", "Curr(A)", "Cap(mAh)",  "Power(W)",    "C1",
    "C2",         "C3",          "C4",      "C5",        "C6",          "C7",
    "C8",         "C9",          "C10",     "C11",       "C12"};

// Battery type and state texts the decoders write, interned first.
constexpr std::string_view kKnownTexts[] = {kTypeLithium,    kTypeNiMH,    kTypeNiCd,
                                            kTypeLead,       kTypeUnknown, kStateCharge,
                                            kStateDischarge, kStateIdle};

// The largest elapsed time whose text elapsedText() can give back.
constexpr std::uint32_t kMaxSeconds = std::numeric_limits<std::uint32_t>::max() / 1000;

bool hasTwoDecimalFormat(int field) {
    return field == kFieldInputVoltage || field == kFieldVoltage || field == kFieldCurrent ||
           field == kFieldPower;
}

std::string numberText(int field, std::int32_t hundredths) {
    const Decimal value = Decimal::fromHundredths(hundredths);
    return hasTwoDecimalFormat(field) ? value.format(kFormat2) : value.plainText();
}

// Fields 3 to 21 except the power text, as the sample holds them.
Decimal numberField(const StatusSample& s, int field) {
    switch (field) {
        case kFieldExtTemperature:
            return s.extTemperature;
        case kFieldIntTemperature:
            return s.intTemperature;
        case kFieldInputVoltage:
            return s.inputVoltage;
        case kFieldVoltage:
            return s.voltage;
        case kFieldCurrent:
            return s.current;
        case kFieldCapacity:
            return s.capacity;
        default:
            return s.cells[static_cast<std::size_t>(field - kFieldCell1)];
    }
}

// Whether `text` is the program's own text of a number of the field (the
// form numberText() gives), read without formatting anything: "12.30" for
// the two-decimal fields, the shortest plain form ("4.1", "250", "-1.5")
// for the others. True with the value in hundredths; false when it is not
// that form (then it is no such text, whatever its value).
bool ownNumberText(std::string_view text, bool twoDecimals, std::int32_t& hundredths) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    i += negative ? 1 : 0;
    const std::size_t intStart = i;
    std::int64_t whole = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        whole = whole * 10 + (text[i] - '0');
        if (++i - intStart > 9) {
            return false;
        }
    }
    const std::size_t intDigits = i - intStart;
    if (intDigits == 0 || (intDigits > 1 && text[intStart] == '0')) {
        return false;  // no digits, or a leading zero
    }
    std::int64_t fraction = 0;
    std::size_t fractionDigits = 0;
    if (i < text.size()) {
        if (text[i] != '.') {
            return false;
        }
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && fractionDigits < 3) {
            fraction = fraction * 10 + (text[i] - '0');
            ++fractionDigits;
            ++i;
        }
        if (i != text.size() || fractionDigits == 0) {
            return false;
        }
    }
    if (twoDecimals ? fractionDigits != 2
                    : fractionDigits > 2 || (fractionDigits > 0 && text.back() == '0')) {
        return false;
    }
    const std::int64_t h = whole * 100 + (fractionDigits == 1 ? fraction * 10 : fraction);
    if ((negative && h == 0) || h > std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    hundredths = static_cast<std::int32_t>(negative ? -h : h);
    return true;
}

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

std::size_t numberSlot(int field) {
    return static_cast<std::size_t>(field - kFirstNumberField);
}

}  // namespace

RowStore::RowStore() {
    resetPool();
}

QString RowStore::headerText(int column) {
    if (column < 0 || column >= kTableColumnCount) {
        return {};
    }
    return QString::fromUtf8(kHeaders[column]);
}

void RowStore::resetPool() {
    pool_.clear();
    poolIndex_.clear();
    for (std::string_view text : kKnownTexts) {
        std::uint16_t index = 0;
        intern(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), index);
    }
}

bool RowStore::intern(const QString& given, std::uint16_t& index) {
    // A tab shows as a blank, as in a row kept as texts (where it separates
    // the fields), so a row reads the same whichever way it is kept.
    QString text = given;
    if (text.contains(u'\t')) {
        text.replace(u'\t', u' ');
    }
    const auto found = poolIndex_.constFind(text);
    if (found != poolIndex_.constEnd()) {
        index = found.value();
        return true;
    }
    if (pool_.size() >= kPoolLimit) {
        return false;
    }
    index = static_cast<std::uint16_t>(pool_.size());
    pool_.push_back(text);
    poolIndex_.insert(text, index);
    return true;
}

bool RowStore::intern(std::string_view text, std::uint16_t& index) {
    for (std::size_t i = 0; i < std::size(kKnownTexts); ++i) {
        if (kKnownTexts[i] == text) {
            index = static_cast<std::uint16_t>(i);
            return true;
        }
    }
    return intern(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), index);
}

bool RowStore::storeNumber(std::string_view text, int field, std::int32_t& hundredths) {
    return ownNumberText(text, hasTwoDecimalFormat(field), hundredths);
}

bool RowStore::storeNumberByFormatting(std::string_view text, int field, std::int32_t& hundredths) {
    const std::optional<Decimal> value = Decimal::parse(text);
    return value && toHundredths(*value, hundredths) && numberText(field, hundredths) == text;
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

void RowStore::clear() {
    beginReset();
    rows_.clear();
    rows_.shrink_to_fit();
    textRows_.clear();
    textRows_.shrink_to_fit();
    resetPool();
    endReset();
}

int RowStore::gridRowCount() const {
    return static_cast<int>(rows_.size()) + 1;
}

void RowStore::setGridRowCount(int count) {
    const std::size_t wanted = count > 1 ? static_cast<std::size_t>(count - 1) : 0;
    if (wanted == rows_.size()) {
        return;
    }
    if (wanted == 0) {
        beginReset();
        rows_.clear();
        textRows_.clear();
        resetPool();
        endReset();
    } else if (wanted < rows_.size()) {
        if (listener_ != nullptr) {
            listener_->aboutToRemove(static_cast<int>(wanted), static_cast<int>(rows_.size()) - 1);
        }
        // Text rows are numbered in the order they were added, so the first
        // text row among the removed ones marks where textRows_ ends.
        std::size_t keptTexts = textRows_.size();
        for (std::size_t i = wanted; i < rows_.size(); ++i) {
            if (rows_[i].type == kTextRow) {
                keptTexts = std::min<std::size_t>(keptTexts, rows_[i].seconds);
            }
        }
        textRows_.resize(keptTexts);
        rows_.resize(wanted);
        notify(&RowStoreListener::removed);
    } else {
        if (listener_ != nullptr) {
            listener_->aboutToAppend(static_cast<int>(rows_.size()), static_cast<int>(wanted) - 1);
        }
        rows_.resize(wanted, Row{});
        notify(&RowStoreListener::appended);
    }
}

QString RowStore::fieldText(const Row& row, int field) const {
    if (row.type == kTextRow) {
        const QByteArray& texts = textRows_[row.seconds];
        qsizetype begin = 0;
        for (int skip = 0; skip < field; ++skip) {
            begin = texts.indexOf('\t', begin);
            if (begin < 0) {
                return {};
            }
            ++begin;
        }
        qsizetype end = texts.indexOf('\t', begin);
        if (end < 0) {
            end = texts.size();
        }
        return QString::fromUtf8(texts.constData() + begin, end - begin);
    }
    if (row.type == kEmptyRow) {
        return {};
    }
    switch (field) {
        case kFieldElapsed:
            return QString::fromStdString(elapsedText(row.seconds * 1000));
        case kFieldBatteryType:
            return pool_[row.type];
        case kFieldState:
            return pool_[row.state];
        default:
            return QString::fromStdString(numberText(field, row.hundredths[numberSlot(field)]));
    }
}

QString RowStore::gridText(int row, int column) const {
    if (row == 0) {
        return headerText(column);
    }
    if (row < 0 || static_cast<std::size_t>(row) > rows_.size() || column < 1 ||
        column >= kTableColumnCount) {
        return {};
    }
    return fieldText(rows_[static_cast<std::size_t>(row - 1)], column - 1);
}

bool RowStore::compactNumbers(int row, std::uint32_t& seconds,
                              std::array<std::int32_t, kSampleFieldCount - 3>& hundredths) const {
    if (row < 1 || static_cast<std::size_t>(row) > rows_.size()) {
        return false;
    }
    const Row& r = rows_[static_cast<std::size_t>(row - 1)];
    if (r.type == kTextRow || r.type == kEmptyRow) {
        return false;
    }
    seconds = r.seconds;
    hundredths = r.hundredths;
    return true;
}

void RowStore::appendRow(const Row& row) {
    if (bulk_) {
        rows_.push_back(row);
        return;
    }
    const int at = static_cast<int>(rows_.size());
    if (listener_ != nullptr) {
        listener_->aboutToAppend(at, at);
    }
    rows_.push_back(row);
    notify(&RowStoreListener::appended);
}

void RowStore::appendTextRow(QStringList fields) {
    Row row;
    row.type = kTextRow;
    row.seconds = static_cast<std::uint32_t>(textRows_.size());
    for (QString& text : fields) {
        text.replace(u'\t', u' ');
    }
    QByteArray joined = fields.join(u'\t').toUtf8();
    joined.squeeze();
    textRows_.push_back(std::move(joined));
    appendRow(row);
}

void RowStore::appendSample(const StatusSample& sample) {
    Row row;
    // elapsedText() shows whole seconds, rounded; the largest possible value
    // still fits kMaxSeconds.
    row.seconds =
        static_cast<std::uint32_t>((static_cast<std::uint64_t>(sample.elapsedMs) + 500) / 1000);
    bool compact = intern(sample.batteryType, row.type) && intern(sample.state, row.state);
    for (int field = kFirstNumberField; compact && field <= kFieldCell12; ++field) {
        std::int32_t& slot = row.hundredths[numberSlot(field)];
        if (field == kFieldPower) {
            compact = storeNumber(sample.power, field, slot);
        } else {
            Decimal value = numberField(sample, field);
            if (hasTwoDecimalFormat(field)) {
                value = value.rounded(2);  // the text shows it rounded
            }
            compact = toHundredths(value, slot);
        }
    }
    if (compact) {
        appendRow(row);
        return;
    }
    QStringList fields;
    fields.reserve(kSampleFieldCount);
    for (int field = 0; field < kSampleFieldCount; ++field) {
        fields.append(QString::fromStdString(sampleFieldText(sample, field)));
    }
    appendTextRow(std::move(fields));
}

void RowStore::appendTabText(const QString& text) {
    QStringList fields = text.split(QLatin1Char('\t'));
    if (text.endsWith(QLatin1Char('\t'))) {
        fields.removeLast();
    }
    fields.resize(kSampleFieldCount);

    Row row;
    const std::string time = fields[kFieldElapsed].toStdString();
    const std::optional<std::uint32_t> seconds = parseElapsedText(time);
    bool compact = seconds && *seconds <= kMaxSeconds && elapsedText(*seconds * 1000) == time &&
                   intern(fields[kFieldBatteryType], row.type) &&
                   intern(fields[kFieldState], row.state);
    if (compact) {
        row.seconds = *seconds;
    }
    for (int field = kFirstNumberField; compact && field <= kFieldCell12; ++field) {
        compact =
            storeNumber(fields[field].toStdString(), field, row.hundredths[numberSlot(field)]);
    }
    if (compact) {
        appendRow(row);
    } else {
        appendTextRow(std::move(fields));
    }
}

void RowStore::appendTexts(const std::array<std::string_view, kSampleFieldCount>& texts) {
    Row row;
    const std::string_view time = texts[kFieldElapsed];
    const std::optional<std::uint32_t> seconds = parseElapsedText(time);
    bool compact = seconds && *seconds <= kMaxSeconds && elapsedText(*seconds * 1000) == time &&
                   intern(texts[kFieldBatteryType], row.type) &&
                   intern(texts[kFieldState], row.state);
    if (compact) {
        row.seconds = *seconds;
    }
    for (int field = kFirstNumberField; compact && field <= kFieldCell12; ++field) {
        compact = storeNumber(texts[static_cast<std::size_t>(field)], field,
                              row.hundredths[numberSlot(field)]);
    }
    if (compact) {
        appendRow(row);
        return;
    }
    QStringList fields;
    fields.reserve(kSampleFieldCount);
    for (const std::string_view text : texts) {
        fields.append(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }
    appendTextRow(std::move(fields));
}

void RowStore::notify(void (RowStoreListener::*what)()) {
    if (listener_ != nullptr) {
        (listener_->*what)();
    }
}

std::optional<double> RowStore::number(int row, int field) const {
    if (row < 1 || static_cast<std::size_t>(row) > rows_.size() || field < kFieldElapsed ||
        field > kFieldCell12 || field == kFieldBatteryType || field == kFieldState) {
        return std::nullopt;
    }
    const Row& r = rows_[static_cast<std::size_t>(row - 1)];
    if (r.type == kEmptyRow) {
        return std::nullopt;
    }
    if (r.type != kTextRow) {
        if (field == kFieldElapsed) {
            return static_cast<double>(r.seconds);
        }
        return static_cast<double>(r.hundredths[numberSlot(field)]) / 100.0;
    }
    const QByteArray text = fieldText(r, field).toUtf8();
    const std::string_view view(text.constData(), static_cast<std::size_t>(text.size()));
    if (field == kFieldElapsed) {
        const std::optional<std::uint32_t> seconds = parseElapsedText(view);
        return seconds ? std::optional<double>(*seconds) : std::nullopt;
    }
    const double value = fieldNumber(view);
    return std::isnan(value) ? std::nullopt : std::optional<double>(value);
}

double fieldNumber(std::string_view text) {
    if (const std::optional<double> plain = Decimal::parsePlainDouble(text)) {
        return *plain;  // the program's own texts, quickly
    }
    if (text.empty() || text.front() == ' ' || text.back() == ' ') {
        return std::numeric_limits<double>::quiet_NaN();
    }
    bool ok = false;
    const double value =
        QByteArray::fromRawData(text.data(), static_cast<qsizetype>(text.size())).toDouble(&ok);
    return ok && std::isfinite(value) && std::fabs(value) <= kMostFieldValue
               ? value
               : std::numeric_limits<double>::quiet_NaN();
}

bool fieldIsNoMeasurement(std::string_view text) {
    // The program's own texts are a few digits: only a long text or one with
    // letters (1e308, inf, nan) needs a look.
    if (text.size() <= 12 && std::none_of(text.begin(), text.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        })) {
        return false;
    }
    return std::isnan(fieldNumber(text));
}

}  // namespace cellwatch
