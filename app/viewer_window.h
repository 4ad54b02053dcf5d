// A recording read from a file, in a window of its own: the chart (with the
// curve switches and the cross line) and the table on two pages, the readout
// frames, the recording's summary below, and the commands that take the
// recording out (Save, Copy, Print, Export). Any number can be open beside
// the main window, whose live recording they never touch; closing one
// changes nothing on disk.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <memory>

#include "analysis/recording_summary.h"
#include "app/main_window.h"
#include "app/readout_panels.h"
#include "app/viewer_overlays.h"
#include "readout/pack_file.h"
#include "readout/recording.h"

class QAction;
class QGroupBox;
class QLabel;
class QToolBar;

namespace cellwatch {

class CellPanelWidget;
class ChartView;
class DataTableModel;
class DataTableView;
class PowerGauge;
class RangePanel;
class RangeTool;
class SummaryView;
class TabControl;

class ViewerWindow final : public QWidget, public ReadoutView {
    Q_OBJECT
public:
    // `hooks` answer the dialogs (the main window's, defaults filled in);
    // `ticks` and `wall` are the clocks of the time axis.
    ViewerWindow(SettingsStore& settings, const MainWindow::Hooks& hooks, const TickClock& ticks,
                 const WallClock& wall, QWidget* parent = nullptr);
    ~ViewerWindow() override;

    // Reads the recording and shows it. Throws std::runtime_error with a
    // clear text when the file cannot be read or is no recording; returns
    // false when cancelled. Either way the window then shows nothing.
    // `reading` hears of the reading, which fills table, curves and summary
    // in one pass.
    bool open(const QString& fileName, const LoadProgress& reading = {});

    // Every text in the language stored now.
    void setCaptions();

    // --- the commands -------------------------------------------------------------------------
    void crossLine(bool on);
    void saveChart();
    void copyChart();
    void printChart();
    // "" asks for the file.
    void exportTableTo(const QString& fileName);
    void OnChartMouseMove(int x);
    // Pack… (viewer_window_packs.cpp): asks for the recording's pack and
    // note; setPack writes them to its pack file at once and shows them
    // (throws std::runtime_error with the reason when it cannot write).
    void editPack();
    void setPack(const PackInfo& pack);
    PackInfo pack() const;
    QAction* packCommand() const { return packCommand_; }

    // --- parts, for tests ----------------------------------------------------------------------
    QString fileName() const { return file_; }
    ChartView& chart() const { return *chart_; }
    DataTableModel& table() const { return *table_; }
    TabControl& tabs() const { return *tabs_; }
    SummaryView& summaryView() const { return *summary_; }
    QLabel* readout(int index) const;       // Label3(index)
    QLabel* largeReadout(int index) const;  // Label2(index)
    QCheckBox* curveSwitch(int index) const;
    QAction* command(const QString& name) const;  // "CrossLine", "Save", ..., "RangeCursors"
    RangeTool& range() const { return *range_; }
    RangePanel& rangePanel() const { return *rangePanel_; }
    QString statusText() const;
    Recording& recording() { return *recording_; }

    // --- other recordings laid over the chart (Compare with…) ---------------------------------
    ViewerOverlays& comparison() const { return *overlays_; }
    const std::vector<OverlayRecording>& overlays() const { return overlays_->recordings(); }

    // --- what the recording shows ----------------------------------------------------------------
    bool cursorHold() const override { return cursorHold_; }
    void setReadout(int label3Index, const QString& text) override;
    void setLargeReadout(int label2Index, const QString& text) override;
    void fitReadouts() override;
    PowerGaugeControl& gauge() override;
    CellPanelView& cellPanel() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildWidgets();
    void runCommand(const std::function<void()>& command);
    bool inChinese() const;
    void showStatus();
    // The legend values, large readouts and gauge from a table row.
    void showRowInLargeReadouts(int row);
    void placePages();
    void addPackCommand();
    // The file's name, and " — pack NAME" when it has one.
    void showTitle();

    SettingsStore& settings_;
    MainWindow::Hooks hooks_;
    QString file_;
    std::size_t damagedLines_ = 0;
    bool cutWhileReading_ = false;
    bool cursorHold_ = false;

    QToolBar* toolBar_ = nullptr;
    std::array<QAction*, 5> commands_{};
    TabControl* tabs_ = nullptr;
    ChartView* chart_ = nullptr;
    DataTableModel* table_ = nullptr;
    DataTableView* tableView_ = nullptr;
    std::array<QGroupBox*, 5> frames_{};
    CurveSwitches check1_{};
    Label3Array label3_{};
    Label2Array label2_{};
    PowerGauge* gauge_ = nullptr;
    CellPanelWidget* cellPanel_ = nullptr;
    SummaryView* summary_ = nullptr;
    QLabel* status_ = nullptr;
    std::unique_ptr<Recording> recording_;
    ViewerOverlays* overlays_ = nullptr;
    // The range cursors: View > "Range cursors" and "Export range…".
    std::array<QAction*, 2> rangeCommands_{};
    RangePanel* rangePanel_ = nullptr;
    RangeTool* range_ = nullptr;
    QAction* packCommand_ = nullptr;
};

}  // namespace cellwatch
