// The progress of a long piece of work a window does itself (opening a
// recording, laying one over a chart, exporting a table): a dialog modal to
// the window, shown once the work has taken half a second, with a Cancel
// button in the window's language. The event loop runs at each step, so the
// window keeps answering (and a live recording keeps receiving) meanwhile.
#pragma once

#include <QProgressDialog>
#include <cstddef>

#include "readout/recording_file.h"

namespace cellwatch {

// Sets a flag for as long as it lives (the window's "busy while the event
// loop runs for a piece of work"), and gives it back its value after.
class BusyFlag {
public:
    explicit BusyFlag(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
    ~BusyFlag() { flag_ = was_; }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;

private:
    bool& flag_;
    bool was_;
};

class WorkProgress {
public:
    WorkProgress(QWidget* owner, const QString& label);

    // One step: `done` of `total`; false once the user cancelled.
    bool step(std::size_t done, std::size_t total);
    // The steps as a reader or writer takes them.
    LoadProgress steps() {
        return [this](std::size_t done, std::size_t total) { return step(done, total); };
    }
    bool cancelled() const { return cancelled_; }
    // Closes the dialog before the work's result shows.
    void finish() { dialog_.reset(); }

private:
    QProgressDialog dialog_;
    bool cancelled_ = false;
};

}  // namespace cellwatch
