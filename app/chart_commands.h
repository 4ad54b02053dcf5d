// The commands that take a shown recording out of its window: Save (the
// chart as a picture), Copy (to the clipboard: the chart, or the table's
// rows while the table is shown), Print, Export (the table as a CSV file,
// with its progress) and Export range (the rows between the range cursors).
// Every window has them through this one component, and runs every command
// under the one failure handler (runCommand).
#pragma once

#include <QString>
#include <functional>

#include "analysis/recording_summary.h"
#include "app/window_hooks.h"

class QAction;
class QMenu;
class QWidget;

namespace cellwatch {

class RecordingPane;
class Settings;
struct PictureLook;

// Whether Save and Print draw the chart on white paper (the default) or in
// the screen's dark colours: View > "Save and print on white paper", kept
// in the settings.
bool whitePaper(const Settings& settings);
// Carries out View > Save and print on white paper (the tool bar control's
// action): checked as stored, stored as checked.
void usePaperChoice(QAction* choice, Settings& settings);

// Runs `command`; a failure stops it and shows its own text in the hooks'
// message box (OK only), over `owner`.
void runCommand(QWidget* owner, const WindowHooks& hooks, const std::function<void()>& command);

class ChartCommands {
public:
    struct Parts {
        QWidget& owner;  // over which the dialogs open
        RecordingPane& pane;
        const WindowHooks& hooks;
        std::function<void(const QString&)> tell;  // what a command did
        // The file names proposed for a picture and for an exported table.
        std::function<QString()> proposedPicture;
        std::function<QString()> proposedTable;
        // A file an export must never write over (the recording's own); "" for none.
        std::function<QString()> ownFile;
        // What the recording shown is (its start, pack, capacity), for the
        // caption under a saved or printed chart; none: no caption.
        std::function<RecordingSummaryValues()> summary;
        // Whether to draw on white paper; none: always.
        std::function<bool()> whitePaper;
    };
    explicit ChartCommands(Parts parts);

    void save();
    void copy();
    void print();
    // "" asks for the file. A long table shows its progress and can be
    // cancelled (nothing is then written).
    void exportTable(const QString& file);
    void exportRange(const QString& file);
    // True while an export runs the event loop itself.
    bool busy() const { return busy_; }

    // How Save and Print draw the chart: on white paper (unless the choice
    // is off), with the caption and the cells' key of the recording shown.
    PictureLook pictureLook() const;

private:
    Parts parts_;
    bool busy_ = false;
};

}  // namespace cellwatch
