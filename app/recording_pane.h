// A recording as every window shows it: the chart and the table on the two
// pages of a tab control, the readout frames (curve switches with their
// legend values, detail readouts, large readouts with the power gauge, the
// cell panel), the range cursors with their panel, zooming and panning, and
// the cross-line cursor that holds the readouts on a recorded row.
//
// The main window, the viewers of recordings read back and the network
// watchers (main windows of their own) all show a recording through this
// pane. The pane makes its widgets as children of its host and places none
// of them: the main window puts them where its design geometry and layout
// engine say, a viewer lays them out with Qt layouts. What the widgets show
// (readouts from a live sample or a stored row, captions, the cross line)
// is the pane's alone.
#pragma once

#include <QObject>
#include <array>
#include <functional>

#include "analysis/cell_curves.h"
#include "app/range_panel.h"
#include "readout/readout_view.h"
#include "readout/recording.h"
#include "readout/recording_file.h"

class QCheckBox;
class QGroupBox;
class QLabel;

namespace cellwatch {

class AlarmMarkers;
class CellPane;
class Settings;
class CellPanelWidget;
class ChartView;
class ChartZoom;
class DataTableModel;
class DataTableView;
class PowerGauge;
class RowStore;
class TabControl;

class RecordingPane final : public QObject, public ReadoutView {
    Q_OBJECT
public:
    // `twipsPerPixelX` sizes the large readouts' type; `askSaveFile` and
    // `tell` are the range export's file dialog and where it says what it did.
    RecordingPane(QWidget& host, double twipsPerPixelX, RangeTool::AskSaveFile askSaveFile,
                  std::function<void(const QString&)> tell);
    ~RecordingPane() override;

    // --- the widgets, for the window that places them --------------------------------------
    TabControl& tabs() const { return *tabs_; }
    ChartView& chart() const { return *chart_; }
    DataTableModel& table() const { return *table_; }
    DataTableView& tableView() const { return *tableView_; }
    RowStore& rows() const;
    // The rows the chart shows, which the cross line, the range cursors,
    // the cells pane, the summary and the exports read: rows() unless
    // another store is shown (a charger's other channel). nullptr: rows().
    void setShownRows(RowStore* shown);
    RowStore& shownRows() const;
    QGroupBox* frame(int number) const;  // Frame1 .. Frame5 (Frame5 lies inside Frame2)
    PowerGauge& powerGauge() const { return *gauge_; }
    CellPanelWidget& cellPanelWidget() const { return *cellPanel_; }
    QLabel* readout(int index) const;         // Label3(index)
    QLabel* largeReadout(int index) const;    // Label2(index)
    QCheckBox* curveSwitch(int index) const;  // Check1(index)
    RangePanel& rangePanel() const { return *rangePanel_; }
    RangeTool& range() const { return *range_; }
    ChartZoom& zoom() const { return *zoom_; }
    // Puts chart and table on their pages, `margin` pixels inside them (for
    // a host that lays the pane out itself rather than by design geometry).
    void fitPagesToTabs(int margin);

    // --- what it shows ------------------------------------------------------------------------
    // The cross-line cursor: on, the chart page shows and the readouts follow
    // the row under the mouse, held there until the mouse leaves the chart
    // for the tab control or a readout frame.
    void setCrossLine(bool on);
    bool crossLine() const { return crossLine_; }
    void setCursorHold(bool hold) { cursorHold_ = hold; }
    // The chart's mouse moved to pixel `x` (the cross line's handler).
    void followMouse(int x);
    // The cross line on (if it is off) at grid row `row`'s point, brought
    // into view, with the readouts held on that row: the moment of an
    // alarm chosen in a list. A row out of range does nothing.
    void showMoment(int row);
    // The range cursors on (the chart page shows) or off.
    void setRangeCursors(bool on);
    // Every readout from a stored row: where a recording read back ended.
    void showRow(int row);
    void retranslate();

    // --- the cells pane -------------------------------------------------------------------------
    // Off (the default): the chart is the four curves alone. On: a pane of
    // every cell in use under the plot, read from the rows so far; the
    // cross line reaches into it and the range panel gives each cell's
    // minimum, maximum and end. On again: read anew (another recording).
    void setCellCurves(bool on);
    // The cells pane's share of the chart's height: the one stored in
    // `settings`, and each one the user drags to stored there.
    void keepCellShare(Settings& settings);
    bool cellCurves() const;
    void setCellMode(CellCurveMode mode);
    CellCurveMode cellMode() const;
    CellPane& cellPane() const { return *cells_; }
    // A live row came into rows() (grid row; any row number will do): the
    // pane, when on, takes in the rows it has not seen.
    void cellRowAppended(int row);

    // The alarms a recording kept (its "# alarm" lines), as markers on the
    // time axis.
    void setAlarms(const std::vector<AlarmNote>& alarms);
    AlarmMarkers& alarmMarkers() const { return *alarms_; }
    // Called after the large readouts were placed, with whether the gauge shows.
    void onReadoutsFitted(std::function<void(bool gaugeShown)> fitted) {
        fitted_ = std::move(fitted);
    }

    // --- ReadoutView ----------------------------------------------------------------------------
    bool cursorHold() const override { return cursorHold_; }
    void setReadout(int label3Index, const QString& text) override;
    void setLargeReadout(int label2Index, const QString& text) override;
    void fitReadouts() override;
    PowerGaugeControl& gauge() override;
    CellPanelView& cellPanel() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchMouseOverFrames();
    void showCellSpans();

    QWidget& host_;
    TabControl* tabs_ = nullptr;
    ChartView* chart_ = nullptr;
    DataTableModel* table_ = nullptr;
    DataTableView* tableView_ = nullptr;
    std::array<QGroupBox*, 5> frames_{};
    std::array<QCheckBox*, 4> check1_{};
    std::array<QLabel*, 25> label3_{};
    std::array<QLabel*, 3> label2_{};
    PowerGauge* gauge_ = nullptr;
    CellPanelWidget* cellPanel_ = nullptr;
    RangePanel* rangePanel_ = nullptr;
    RangeTool* range_ = nullptr;
    ChartZoom* zoom_ = nullptr;
    CellPane* cells_ = nullptr;
    AlarmMarkers* alarms_ = nullptr;
    RowStore* shown_ = nullptr;
    std::function<void(bool)> fitted_;
    bool crossLine_ = false;
    bool cursorHold_ = false;
};

}  // namespace cellwatch
