// A recording's rows, stored once, as numbers and by column: one row per
// recorded reading, field n of the first family's row (protocol/
// reading_format.h) in column n + 1 (column 0 is empty).
//
// Each field is a column of its own: the elapsed milliseconds; the state and
// the chemistry as their enums, each with an index into a pool of the
// charger's words (kept for display); voltage, current, capacity and the
// optional values (temperatures, input voltage, power, the pack's
// resistance) in hundredths, the optional ones with a presence bit; cells
// 1 to 16 (a column is made when the first reading with that many cells
// comes). Readers ask for numbers (number(), numbers(), reading()) and get
// them without a text being made; the texts (gridText) are made when asked
// for, by ReadingFormat.
//
// A row is stored as numbers only when its texts come back exactly as they
// were given; any other row (more decimals, odd text, missing fields: a
// spreadsheet's "15" for "15.00") is kept as its texts, so a row always
// reads back as written; its numbers are then read from those texts.
//
// Rows are addressed as the table shows them: row 0 is the header row, data
// rows count from 1. The window's table model is a view of a store; a
// listener hears of every change before and after it is made.
#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/reading.h"
#include "protocol/reading_format.h"
#include "protocol/table_fields.h"
#include "readout/row_columns.h"
#include "readout/row_text_pool.h"

namespace cellwatch {

inline constexpr int kTableColumnCount = 23;

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

// A row's numbers: NaN for an absent or unreadable value; `timed` false
// (and seconds 0) for a row without an elapsed time (an empty row).
struct RowNumbers {
    bool timed = false;
    ChargeState state = ChargeState::Idle;
    Chemistry chemistry = Chemistry::Unknown;
    double seconds = 0;
    std::array<double, kRowFieldCount> field{};  // by field number; 0..2 unused
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
    // Room for this many data rows.
    void reserve(std::size_t rows);

    // Rows including the header row.
    int gridRowCount() const;
    // Keeps the header row and the first count - 1 data rows; a larger count
    // adds empty rows.
    void setGridRowCount(int count);
    // Row 0: the headers; column 0 and cells out of range: "".
    QString gridText(int row, int column) const;
    // A data row's field text (field = column - 1), in UTF-8; "" out of range.
    std::string fieldText(int row, int field) const;
    void appendFieldText(std::string& out, int row, int field) const;

    // One row of a reading: its texts are ReadingFormat's.
    void append(const Reading& reading);
    // One row from tab-separated texts, the first in column 1. A trailing
    // tab is allowed; texts beyond column 22 are dropped.
    void appendTabText(const QString& text);
    // One row from its 22 texts in UTF-8 (a recording file's fields), the
    // same as appendTabText without building a string first. True when the
    // row is stored as numbers (its texts are the program's own). With
    // `numbers`, the row's numbers go there too (what numbers() would give).
    bool appendTexts(const std::array<std::string_view, kRowFieldCount>& texts,
                     RowNumbers* numbers = nullptr);

    // A copy of another store's data row, its texts as they are there.
    void appendFrom(const RowStore& other, int row);

    // One line of a recording file (without its line break) when it holds
    // exactly 22 fields parted by `separator`, none quoted, all in the
    // program's own forms: stored as numbers, its fields (as RecordCursor
    // gives them) in `fields` and its numbers in `numbers`. False, and
    // nothing stored, for any other line.
    bool appendOwnLine(std::string_view line, char separator,
                       std::array<std::string_view, kRowFieldCount>& fields, RowNumbers& numbers);

    // Many rows at once (loading a recording): between the two calls, the
    // listener hears nothing row by row; the end tells it of a reset once.
    void beginBulkAppend();
    void endBulkAppend();

    std::size_t dataRowCount() const { return columns_.kind.size(); }
    // A data row's field as a number: the elapsed time in whole seconds, the
    // others in their units; nothing for the texts (type, state), an absent,
    // empty or unreadable field and a row out of range.
    std::optional<double> number(int row, int field) const;
    // All of a data row's numbers at once; false for a row out of range.
    bool numbers(int row, RowNumbers& out) const;
    // The numbers of a row's 22 texts, read as a row kept as texts is read.
    static void numbersOfTexts(const std::array<std::string_view, kRowFieldCount>& texts,
                               RowNumbers& out);
    // A data row's field as the fixed point it was stored in (a row kept as
    // texts: its text, when it is a plain decimal).
    std::optional<Decimal> value(int row, int field) const;
    // A data row's elapsed time in whole seconds, as its text shows it.
    std::optional<std::uint32_t> seconds(int row) const;
    ChargeState state(int row) const;
    Chemistry chemistry(int row) const;
    // A data row as a reading of the first family (empty out of range).
    Reading reading(int row) const;

    // A data row's elapsed seconds and the hundredths of its fields 3 to 21
    // as stored, without making a text; false for a row kept as its texts,
    // an empty row or one out of range (read number()).
    bool compactNumbers(int row, std::uint32_t& seconds,
                        std::array<std::int32_t, kRowFieldCount - 3>& hundredths) const;
    // How many data rows are kept as texts rather than as numbers.
    std::size_t textRowCount() const { return columns_.textRows.size(); }

    // Whether a text is the program's own text of a number of `field`, with
    // its value: quickly, and by parsing and formatting again (slow; what the
    // quick one must agree with).
    static bool storeNumberQuickly(std::string_view text, int field, std::int32_t& hundredths) {
        return ReadingFormat::readOwnNumber(text, field, hundredths);
    }
    static bool storeNumberByFormatting(std::string_view text, int field, std::int32_t& hundredths);

private:
    using Staged = OwnRow;

    bool intern(RowTextPool& pool, std::string_view text, bool isState, std::uint16_t& index);
    void pushOwn(const Staged& row);
    void pushOwn(const Staged& row, ChargeState state, Chemistry chemistry);
    void pushText(std::string joined);
    void announce();  // before a row is pushed
    void grew();      // after
    void truncate(std::size_t rows);
    void resetPools();
    void notify(void (RowStoreListener::*what)());

    void beginReset();
    void endReset();

    RowColumns columns_;
    bool bulk_ = false;
    RowTextPool types_;
    RowTextPool states_;
    RowStoreListener* listener_ = nullptr;
};

}  // namespace cellwatch
