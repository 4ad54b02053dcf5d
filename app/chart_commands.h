// The commands that take a shown recording out of its window: Save (the
// chart as a picture), Copy (to the clipboard), Print, Export (the table as
// a CSV file, with its progress) and Export range (the rows between the range
// cursors). Every window has them through this one component, and runs every
// command under the one failure handler (runCommand).
#pragma once

#include <QString>
#include <functional>

#include "app/window_hooks.h"

class QWidget;

namespace cellwatch {

class RecordingPane;

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
        std::function<bool()> chinese;
        // The file names proposed for a picture and for an exported table.
        std::function<QString()> proposedPicture;
        std::function<QString()> proposedTable;
        // A file an export must never write over (the recording's own); "" for none.
        std::function<QString()> ownFile;
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

private:
    Parts parts_;
    bool busy_ = false;
};

}  // namespace cellwatch
