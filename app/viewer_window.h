// A recording read from a file, in a window of its own: the recording pane
// (chart with the curve switches and the cross line, table, readout frames,
// range cursors) laid out with Qt layouts, the recording's summary below
// (with its phases, efficiency and resistance) beside the list of the
// alarms it kept (choosing one moves the cross line there). A window too
// low for all of them at once (150 % on a laptop) keeps the curve switches
// beside the chart and puts the summary, the other readout frames and the
// cell panel on pages under it ("Summary", "Readouts", "Cells"). And the commands that take the
// recording out (Save, Copy, Print, Export). Any number can be open beside the main window, whose
// live recording they never touch; closing one changes nothing on disk but for its pack file, which
// Pack… writes at once.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

#include "analysis/recording_summary.h"
#include "app/chart_commands.h"
#include "app/commands.h"
#include "app/recording_pane.h"
#include "app/settings.h"
#include "app/viewer_overlays.h"
#include "app/window_hooks.h"
#include "readout/pack_file.h"
#include "readout/recording.h"

class QAction;
class QBoxLayout;
class QLabel;
class QScrollArea;
class QTabWidget;
class QToolBar;

namespace cellwatch {

class AlarmList;
class SummaryView;

class ViewerWindow final : public QWidget {
    Q_OBJECT
public:
    // `hooks` answer the dialogs (the main window's, defaults filled in);
    // `ticks` and `wall` are the clocks of the time axis.
    ViewerWindow(Settings& settings, const WindowHooks& hooks, const TickClock& ticks,
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
    // Places the window over `owner`'s middle, but whole on the screen's
    // room (a window manager centring it on a small main window would put
    // its bottom off the screen). Before show().
    void placeOver(const QWidget& owner);

    // --- the commands -------------------------------------------------------------------------
    void crossLine(bool on);
    // The cross line (on) at the moment of alarm `index` of the list.
    void showAlarm(int index);
    // "" asks for the file.
    void exportTableTo(const QString& fileName) { commands_->exportTable(fileName); }
    void OnChartMouseMove(int x) { pane_->followMouse(x); }
    // Pack…: asks for the recording's pack and note; setPack writes them to
    // its pack file at once and shows them (throws std::runtime_error with
    // the reason when it cannot write).
    void editPack();
    void setPack(const PackInfo& pack);
    PackInfo pack() const;
    QAction* packCommand() const { return command(QStringLiteral("Pack")); }

    // --- parts, for tests ----------------------------------------------------------------------
    QString fileName() const { return file_; }
    RecordingPane& pane() const { return *pane_; }
    ChartCommands& chartCommands() const { return *commands_; }
    ChartView& chart() const { return pane_->chart(); }
    DataTableModel& table() const { return pane_->table(); }
    TabControl& tabs() const { return pane_->tabs(); }
    SummaryView& summaryView() const { return *summary_; }
    AlarmList& alarmList() const { return *alarmList_; }
    // The pages under the chart in a low window (hidden in a high one).
    QTabWidget& sheets() const { return *sheets_; }
    QLabel* readout(int index) const { return pane_->readout(index); }
    QLabel* largeReadout(int index) const { return pane_->largeReadout(index); }
    QCheckBox* curveSwitch(int index) const { return pane_->curveSwitch(index); }
    // The tool bar's actions by their tool names: "CrossLine", "Save", "Copy",
    // "Print", "Export", "RangeCursors", "ExportRange", "Pack".
    QAction* command(const QString& name) const;
    RangeTool& range() const { return pane_->range(); }
    RangePanel& rangePanel() const { return pane_->rangePanel(); }
    QString statusText() const;
    Recording& recording() { return *recording_; }
    bool cursorHold() const { return pane_->cursorHold(); }

    // --- other recordings laid over the chart (Compare with…) ---------------------------------
    ViewerOverlays& comparison() const { return *overlays_; }
    const std::vector<OverlayRecording>& overlays() const { return overlays_->recordings(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The language changed: every caption again.
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildWidgets();
    // The height the chart, the readout frames and the summary need at once.
    int wholeHeight() const;
    int chromeHeight() const;
    QSize summaryRowMinimum() const;
    void fitSize();
    void arrange();
    void addCommands();
    QAction* addCommand(Command command, const std::function<void(bool)>& run);
    void runCommand(const std::function<void()>& command);
    void tell(const QString& text);
    void showStatus();
    // The file's name, and " — pack NAME" when it has one.
    void showTitle();
    QString proposedFile(const QString& suffix) const;

    Settings& settings_;
    WindowHooks hooks_;
    QString file_;
    std::size_t damagedLines_ = 0;
    std::size_t missingValues_ = 0;
    bool cutWhileReading_ = false;

    QToolBar* toolBar_ = nullptr;
    std::vector<std::pair<Command, QAction*>> commandActions_;
    QAction* cellDifference_ = nullptr;  // the cells pane in mV from the mean
    RecordingPane* pane_ = nullptr;
    std::unique_ptr<ChartCommands> commands_;
    SummaryView* summary_ = nullptr;
    AlarmList* alarmList_ = nullptr;
    QLabel* status_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QBoxLayout* body_ = nullptr;
    QBoxLayout* left_ = nullptr;
    QBoxLayout* bottom_ = nullptr;
    QWidget* summaryRow_ = nullptr;
    QTabWidget* sheets_ = nullptr;
    std::array<QBoxLayout*, 3> sheetPages_{};  // summary, readouts, cells
    QSize designSize_;
    bool arranged_ = false;
    bool low_ = false;
    std::unique_ptr<Recording> recording_;
    ViewerOverlays* overlays_ = nullptr;
};

}  // namespace cellwatch
