// The range cursors' panel and what drives it.
//
// RangePanel: a thin strip under the chart, shown while the cursors are on,
// with the statistics between them in a compact grid: per recording (one
// column block each, side by side) Δt, ΔmAh and Wh (across phases the
// charged and discharged mAh and Wh instead), and for voltage,
// current, the two temperatures and the cell spread the value at A and at
// B, the minimum, maximum and mean; and the "Export range…" button.
//
// RangeTool: joins the cursors on a chart, the recording's table and the
// panel. It works out the statistics when a cursor moves and, throttled to
// one reckoning per kLiveThrottleMs, when rows arrive inside the span (a
// live recording); while the cursors are off it computes nothing. A long
// span is reckoned at most every kLongSpanThrottleMs while a cursor moves. Export
// range writes the header row and the rows of the span in the table's
// export format.
#pragma once

#include <QFrame>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/cell_curves.h"
#include "analysis/range_stats.h"

class QLabel;
class QPushButton;

namespace cellwatch {

class ChartView;
class DataTableModel;
class RangeCursors;
class RowStore;

struct RangeColumn {
    QString name;  // "" for a recording shown alone
    std::optional<RangeStatistics> statistics;
};

// Which figure of a quantity.
enum class RangeFigure { AtA, AtB, Min, Max, Mean };

class RangePanel : public QFrame {
    Q_OBJECT

public:
    explicit RangePanel(QWidget* parent = nullptr);

    void setColumns(std::vector<RangeColumn> columns);
    const std::vector<RangeColumn>& columns() const { return columns_; }
    void retranslate();

    // The texts shown, for a column: "Δt", "ΔmAh" and "Wh" by their index
    // 0, 1, 2, the charged mAh and Wh 3, 4, the discharged mAh and Wh 5, 6,
    // and a quantity's figure.
    QString headText(std::size_t column, int which) const;
    // A column's line of heads: Δt, ΔmAh and Wh; across phases Δt and the
    // charged and discharged mAh and Wh instead.
    QString headLine(std::size_t column) const;
    QString valueText(std::size_t column, RangeQuantity quantity, RangeFigure figure) const;
    QPushButton* exportButton() const { return export_; }

    // Each cell's minimum, maximum and end value between the cursors (cells
    // pane on; empty: none shown), in V or, `millivolts`, as the difference
    // from the mean in mV. A row per cell in use under the quantities.
    void setCellSpans(std::vector<CellSpanValues> spans, bool millivolts);
    const std::vector<CellSpanValues>& cellSpans() const { return cellSpans_; }
    // A cell's figure (0-based cell): RangeFigure::Min, Max or AtB (its end).
    QString cellText(int cell, RangeFigure figure) const;

signals:
    void exportRequested();

private:
    void refresh();

    std::vector<RangeColumn> columns_;
    std::vector<CellSpanValues> cellSpans_;
    bool cellMillivolts_ = false;
    QLabel* grid_ = nullptr;
    QPushButton* export_ = nullptr;
};

// A recording compared with the one on the chart (an overlay): read at the
// same elapsed times as the cursors stand at.
struct ComparedRows {
    QString name;
    std::shared_ptr<const DataTableModel> table;
    std::vector<double> seconds;  // rowSeconds of its rows
};

class RangeTool : public QObject {
    Q_OBJECT

public:
    static constexpr int kLiveThrottleMs = 500;
    // A span of more rows than this (some 10 ms of reckoning) is worked out
    // at most every kLongSpanThrottleMs while a cursor moves, so dragging
    // over a long recording stays smooth; a shorter one at once.
    static constexpr std::size_t kLongSpanRows = 50'000;
    static constexpr int kLongSpanThrottleMs = 100;

    using AskSaveFile = std::function<QString(QWidget* parent, const QString& title,
                                              const QString& proposed, const QStringList& filters)>;

    // `name`: the recording's file name, proposed for exports ("" for the
    // live one); `status` shows what an export did.
    RangeTool(ChartView& chart, DataTableModel& table, RangePanel& panel, AskSaveFile askSaveFile,
              std::function<void(const QString&)> status, QObject* parent = nullptr);
    ~RangeTool() override;

    void setActive(bool on);
    bool active() const;
    void retranslate();
    void setRecordingName(const QString& name) { name_ = name; }
    // The rows the chart shows now (the table's own at first); the cursors
    // stay where they stand and read them, worked out anew when on.
    void setRows(const RowStore* rows);
    // The recordings read beside this one, each in a column of its own
    // (`ownName` names this recording's column then); recomputes when on.
    void setCompared(const QString& ownName, std::vector<ComparedRows> compared);

    RangeCursors& cursors() const { return *cursors_; }
    const std::optional<RangeStatistics>& statistics() const { return statistics_; }
    // How many times the statistics were worked out.
    std::size_t reckonings() const { return reckonings_; }
    // A live row came into the table (grid row).
    void rowAdded(int gridRow);
    // Works the statistics out now (a pending throttled one is dropped).
    void recompute();
    // "" asks for the file. Throws std::runtime_error with the failure's text.
    void exportRange(const QString& fileName);

signals:
    void statisticsChanged();

private:
    void cursorsMoved();

    ChartView& chart_;
    DataTableModel& table_;
    const RowStore* rows_;
    RangePanel& panel_;
    AskSaveFile askSaveFile_;
    std::function<void(const QString&)> status_;
    RangeCursors* cursors_ = nullptr;
    std::optional<RangeStatistics> statistics_;
    QTimer throttle_;
    QTimer moveThrottle_;
    QString name_;
    QString ownName_;
    std::vector<ComparedRows> compared_;
    std::size_t reckonings_ = 0;
};

}  // namespace cellwatch
