// "Compare with…" in a recording's window: other recordings laid over its
// chart (see chart/chart_overlays.h), at most ChartOverlays::kMaxOverlays,
// each aligned at its own start (elapsed time 0).
//
// The command asks for one or more files, reads each with progress as
// opening a recording does, and lays it over the chart; a file that cannot
// be read, or more files than there is room for, give a message in the
// window's status line and leave the others as they are. The arrow beside
// the command opens its menu: "Remove …" for each overlay, and "Remove all".
// After every change the axes take in the recording and all overlays (the
// vertical axes as the recording's own scaling would for the data of all
// of them, the time axis in the live steps over the longest).
//
// Each overlay's rows stay readable (recordings()): its table, file, start
// and legend text, for reading every overlaid recording at the same
// elapsed time.
//
// With the window's cells pane and alarm markers attached (attachCells()),
// each overlay brings its cells into the pane (in its dash pattern, aligned
// as its four curves) and its alarms as fainter markers named after it;
// removing the overlay removes them.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "analysis/recording_summary.h"

class QAction;
class QMenu;
class QWidget;

namespace cellwatch {

class AlarmMarkers;
struct AlarmNote;
class CellPane;
class ChartOverlays;
class ChartView;
class DataTableModel;

struct OverlayRecording {
    QString file;
    QDateTime start;                        // invalid when the recording does not tell
    QString name;                           // its legend text
    std::shared_ptr<DataTableModel> table;  // its rows, as a recording's window holds them
    RecordingSummaryValues summary;
};

// The legend text of an overlaid recording: the date and time it started
// ("2026-12-05 14:30"), or its file's name when it does not tell, and its
// pack when it has one ("2026-12-05 14:30 · Pack 3").
QString overlayLegendText(const QString& file, const QDateTime& start, const QString& pack = {});

class ViewerOverlays : public QObject {
    Q_OBJECT
public:
    // The file dialog: the files chosen, none when cancelled.
    using AskFiles = std::function<QStringList(QWidget* parent, const QString& title,
                                               const QString& folder, const QStringList& filters)>;
    using Say = std::function<void(const QString& text)>;

    // `owner` parents the dialogs; `say` shows a message in its status line.
    ViewerOverlays(ChartView& chart, QWidget& owner, AskFiles askFiles, Say say);
    ~ViewerOverlays() override;

    // The command, with the removal menu.
    QAction* command() const { return command_; }
    QMenu* menu() const { return menu_; }

    // Asks for files (starting in `folder`) and adds them.
    void compareWith(const QString& folder);
    // Reads the files and lays them over the chart; returns how many were
    // added. A progress dialog shows for long readings; cancelling it stops.
    int add(const QStringList& files);
    void remove(int index);
    void clear();

    const std::vector<OverlayRecording>& recordings() const { return recordings_; }
    ChartOverlays& chartOverlays() const { return *overlays_; }

    void setCaptions();

    // The window's cells pane and alarm markers, for overlaying the compared
    // recordings' cells and alarms too.
    void attachCells(CellPane& cells, AlarmMarkers& markers);

signals:
    void changed();

private:
    bool addOne(const QString& file, bool& cancelled);
    // An overlay's cells and alarms, in the cells pane and the markers.
    void addCells(const OverlayRecording& overlay, int index, const std::vector<AlarmNote>& alarms);
    void fitAxes();
    void rebuildMenu();

    ChartView& chart_;
    QWidget& owner_;
    AskFiles askFiles_;
    Say say_;
    ChartOverlays* overlays_ = nullptr;
    CellPane* cells_ = nullptr;
    AlarmMarkers* markers_ = nullptr;
    QAction* command_ = nullptr;
    QMenu* menu_ = nullptr;
    std::vector<OverlayRecording> recordings_;
};

}  // namespace cellwatch
