// The data table: its model, a view of a recording's rows, and the view that
// shows it (column 0 hidden, field n of a row in column n + 1).
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QTableView>
#include <cstddef>

#include "chart/rows_model.h"
#include "readout/row_store.h"

namespace cellwatch {

// The data table's model: a view of a recording's rows (readout/row_store.h)
// that makes their texts for display; it owns the store and tells views of
// every change the store makes.
class DataTableModel : public RowsModel {
    Q_OBJECT

public:
    explicit DataTableModel(QObject* parent = nullptr);
    ~DataTableModel() override;

    RowStore& store() { return store_; }
    const RowStore& store() const { return store_; }

    // The store's, for the window's code that reads the grid.
    static QString headerText(int column) { return RowStore::headerText(column); }
    void setUpTable() { store_.clear(); }
    int gridRowCount() const { return store_.gridRowCount(); }
    void setGridRowCount(int count) { store_.setGridRowCount(count); }
    QString gridText(int row, int column) const { return store_.gridText(row, column); }
    void appendTabText(const QString& text) { store_.appendTabText(text); }
    std::size_t dataRowCount() const { return store_.dataRowCount(); }

private:
    RowStore store_;
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

    // The selected rows (every row when none is) as a spreadsheet pastes
    // them: the header line, then a line per row, the shown columns'
    // texts between tabs. `rows` is set to the number of rows in it.
    QString copiedText(int* rows = nullptr) const;
    // Puts copiedText() on the clipboard; the number of rows it holds.
    int copyRows() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
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
