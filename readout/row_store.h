// A recording's rows, stored once, as numbers: one row per recorded sample,
// field n of the sample in column n + 1 (column 0 is empty).
//
// Rows are stored compactly (84 bytes instead of 22 strings): the elapsed
// time as whole seconds, battery type and state as indexes into a pool of
// texts, and fields 3 to 21 as hundredths, the fixed point the decoder
// gives. The texts are made when asked for: "H:mm:ss" for the time, "##0.00"
// for input voltage, battery voltage, current and power, the shortest plain
// form for every other number. A row is stored compactly only when its texts
// come back exactly as they were given; any other row (more decimals, odd
// text, missing fields: a spreadsheet's "15" for "15.00") is kept as its
// texts, so a row always reads back as written.
//
// Rows are addressed as the table shows them: row 0 is the header row, data
// rows count from 1. The window's table model is a view of a store; a
// listener hears of every change before and after it is made.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "protocol/status_sample.h"

namespace cellwatch {

inline constexpr int kTableColumnCount = 23;

// One number of a recording's field text, as every reader of rows reads it:
// the program's own texts quickly, any other plain number a spreadsheet may
// write ("15", "1e3"); NaN for an empty text, one with a blank before or
// after it, and one that is no finite number.
double fieldNumber(std::string_view text);
// Numbers beyond this size read as missing: no charger measures them (a
// damaged or forged file's 1e308, a 300-digit number).
inline constexpr double kMostFieldValue = 1e9;
// Whether a field's text is given but is no measurement (not a number,
// not finite, or beyond kMostFieldValue).
bool fieldIsNoMeasurement(std::string_view text);

// Told of every change of a store (rows in the table's counting less one:
// 0 is the first data row), before and after it is made.
class RowStoreListener {
public:
    virtual ~RowStoreListener() = default;
    virtual void aboutToReset() = 0;
    virtual void reset() = 0;
    virtual void aboutToAppend(int first, int last) = 0;
    virtual void appended() = 0;
    virtual void aboutToRemove(int first, int last) = 0;
    virtual void removed() = 0;
};

class RowStore {
public:
    RowStore();
    RowStore(const RowStore&) = delete;
    RowStore& operator=(const RowStore&) = delete;

    // One listener at most (the table model); nullptr for none.
    void setListener(RowStoreListener* listener) { listener_ = listener; }

    // The header text of a column ("" for column 0 and beyond 22).
    static QString headerText(int column);

    // Back to the header row alone.
    void clear();

    // Rows including the header row.
    int gridRowCount() const;
    // Keeps the header row and the first count - 1 data rows; a larger count
    // adds empty rows.
    void setGridRowCount(int count);
    // Row 0: the headers; column 0 and cells out of range: "".
    QString gridText(int row, int column) const;

    // One row with the texts sampleFieldText(sample, 0..21) in columns 1..22.
    void appendSample(const StatusSample& sample);
    // One row from tab-separated texts, the first in column 1. A trailing
    // tab is allowed; texts beyond column 22 are dropped.
    void appendTabText(const QString& text);
    // One row from its 22 texts in UTF-8 (a recording file's fields), the
    // same as appendTabText without building a string first.
    void appendTexts(const std::array<std::string_view, kSampleFieldCount>& texts);

    // Many rows at once (loading a recording): between the two calls, the
    // listener hears nothing row by row; the end tells it of a reset once.
    void beginBulkAppend();
    void endBulkAppend();

    std::size_t dataRowCount() const { return rows_.size(); }
    // A data row's field as a number: the elapsed time in seconds, the
    // others in their units; nothing for the texts (type, state), an empty
    // or unreadable field and a row out of range. Read from the stored
    // numbers, or through fieldNumber() for a row kept as texts.
    std::optional<double> number(int row, int field) const;
    // A data row's elapsed seconds and the hundredths of its fields 3 to 21
    // as stored, without making a text; false for a row kept as its texts,
    // an empty row or one out of range (read gridText or number).
    bool compactNumbers(int row, std::uint32_t& seconds,
                        std::array<std::int32_t, kSampleFieldCount - 3>& hundredths) const;
    // How many data rows are kept as texts rather than compactly.
    std::size_t textRowCount() const { return textRows_.size(); }

    // Whether a text is the program's own text of a number of `field`, with
    // its value: quickly, and by parsing and formatting again (slow; what the
    // quick one must agree with).
    static bool storeNumberQuickly(std::string_view text, int field, std::int32_t& hundredths) {
        return storeNumber(text, field, hundredths);
    }
    static bool storeNumberByFormatting(std::string_view text, int field, std::int32_t& hundredths);

private:
    static constexpr int kNumberCount = kSampleFieldCount - kFieldExtTemperature;  // 19
    static constexpr std::uint16_t kTextRow = 0xFFFF;   // fields are in textRows_
    static constexpr std::uint16_t kEmptyRow = 0xFFFE;  // every cell ""
    static constexpr std::size_t kPoolLimit = kEmptyRow;

    struct Row {
        std::uint32_t seconds = 0;  // elapsed time; for a text row, its index in textRows_
        std::uint16_t type = kEmptyRow;
        std::uint16_t state = kEmptyRow;
        std::array<std::int32_t, kNumberCount> hundredths{};
    };

    QString fieldText(const Row& row, int field) const;
    bool intern(std::string_view text, std::uint16_t& index);
    bool intern(const QString& text, std::uint16_t& index);
    static bool storeNumber(std::string_view text, int field, std::int32_t& hundredths);

    void appendRow(const Row& row);
    void appendTextRow(QStringList fields);
    void resetPool();
    void notify(void (RowStoreListener::*what)());

    void beginReset();
    void endReset();

    std::vector<Row> rows_;
    // Rows whose texts are not in the program's own forms: the 22 texts in
    // UTF-8, joined by tabs, so such a row costs its bytes and not 22 strings.
    std::vector<QByteArray> textRows_;
    bool bulk_ = false;
    std::vector<QString> pool_;  // battery type and state texts
    QHash<QString, std::uint16_t> poolIndex_;
    RowStoreListener* listener_ = nullptr;
};

}  // namespace cellwatch
