// The data table: one row per recorded sample, 23 columns (column 0 hidden,
// field n of the sample in column n + 1).
//
// Rows are stored compactly (84 bytes instead of 22 strings): the elapsed
// time as whole seconds, battery type and state as indexes into a pool of
// texts, and fields 3 to 21 as hundredths. The texts are rendered when
// asked for: "H:mm:ss" for the time, "##0.00" for input voltage, battery
// voltage, current and power, the shortest plain form for every other
// number. A row is stored compactly only when rendering gives back exactly
// the texts it came with; any other row (more decimals, odd text, missing
// fields) is kept as its texts, so a row always reads back as written.
//
// Rows are addressed as the grid shows them: row 0 is the header row, data
// rows count from 1. The Qt model view of it has the data rows only (model
// row r is grid row r + 1).
#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTableView>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "protocol/status_sample.h"

namespace cellwatch {

inline constexpr int kTableColumnCount = 23;

class DataTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit DataTableModel(QObject* parent = nullptr);

    // The header text of a column ("" for column 0 and beyond 22).
    static QString headerText(int column);

    // Back to the header row alone.
    void setUpTable();

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

    // Many rows at once (loading a recording): between the two calls,
    // appends tell views nothing row by row; the end resets them once.
    void beginBulkAppend();
    void endBulkAppend();

    std::size_t dataRowCount() const { return rows_.size(); }
    // A data row's elapsed seconds and the hundredths of its fields 3 to 21
    // as the table keeps them, without rendering a text; false for a row
    // kept as its texts, an empty row or one out of range (read gridText).
    bool compactNumbers(int row, std::uint32_t& seconds,
                        std::array<std::int32_t, kSampleFieldCount - 3>& hundredths) const;
    // How many data rows are kept as texts rather than compactly.
    std::size_t textRowCount() const { return textRows_.size(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

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

public:
    // Whether a text is the program's own text of a number of `field`, with
    // its value: quickly, and by parsing and formatting again (slow; what the
    // quick one must agree with).
    static bool storeNumberQuickly(std::string_view text, int field, std::int32_t& hundredths) {
        return storeNumber(text, field, hundredths);
    }
    static bool storeNumberByFormatting(std::string_view text, int field, std::int32_t& hundredths);

private:
    void appendRow(const Row& row);
    void appendTextRow(QStringList fields);
    void resetPool();

    void beginReset();
    void endReset();

    std::vector<Row> rows_;
    // Rows whose texts are not in the program's own forms (a spreadsheet's
    // "15" for "15.00"): the 22 texts in UTF-8, joined by tabs, so such a row
    // costs its bytes and not 22 strings.
    std::vector<QByteArray> textRows_;
    bool bulk_ = false;
    std::vector<QString> pool_;  // battery type and state texts
    QHash<QString, std::uint16_t> poolIndex_;
};

// The table as the window shows it: column 0 hidden, columns 1 to 10 75
// width units wide and 11 to 22 35 units, where a unit is sized from the
// font so that the quantity columns show their headers and values and the
// cell columns a voltage with three decimals. Grid lines are light cyan
// RGB(160, 220, 220). Rows have one fixed height (a height per row would be
// measured row by row); whole rows are selected; nothing is editable. While
// the view shows the last row, it keeps showing the last row as rows arrive.
class DataTableView : public QTableView {
    Q_OBJECT

public:
    static constexpr int kQuantityColumnUnits = 75;
    static constexpr int kCellColumnUnits = 35;

    explicit DataTableView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;

    // Pixels per width unit for the present font.
    double widthUnit() const;
    // Whether the last row is in view (also true for an empty table).
    bool isAtBottom() const;

protected:
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void showEvent(QShowEvent* event) override;

private:
    void applyColumnLayout();

    bool followBottom_ = true;
    bool scrollPending_ = false;
    bool bottomOwed_ = false;  // rows came while hidden, following the bottom
    QList<QMetaObject::Connection> modelConnections_;
};

}  // namespace cellwatch
