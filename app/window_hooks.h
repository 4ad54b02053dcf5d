// How a window of the program talks to the user where a test must not block
// (the dialogs it asks and the message box of a failure), and the clocks and
// port list it reads. Every window of the program takes the same hooks; what
// a caller leaves empty is the system's own (withDefaultDialogs).
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "protocol/tick_clock.h"
#include "readout/recording.h"
#include "serial/port_scan.h"

class QDialog;
class QPrinter;
class QWidget;

namespace cellwatch {

struct WindowHooks {
    // The failure handler's message box (OK only).
    std::function<void(QWidget* parent, const QString& text)> showFailure;
    // Clocks and the port list; the system's own when not given.
    const TickClock* ticks = nullptr;
    const WallClock* wall = nullptr;
    const PortLister* ports = nullptr;
    // The file name for Save and Export: "" when the user cancels.
    std::function<QString(QWidget* parent, const QString& title, const QString& proposed,
                          const QStringList& filters)>
        askSaveFile;
    // The print dialog: false when the user cancels.
    std::function<bool(QWidget* parent, QPrinter& printer)> askPrint;
    // Shows a modal dialog (the about box) until it closes.
    std::function<void(QDialog& dialog)> showDialog;
    // Whether the computer is online, asked once at start-up.
    std::function<bool()> isOnline;
    // The file to open (File > Open…): "" when the user cancels.
    std::function<QString(QWidget* parent, const QString& title, const QString& folder,
                          const QStringList& filters)>
        askOpenFile;
    // The files to lay over a recording (Compare with…): none when cancelled.
    std::function<QStringList(QWidget* parent, const QString& title, const QString& folder,
                              const QStringList& filters)>
        askOpenFiles;
    // Where the journals go; the user's data folder when not given.
    QString journalFolder;
};

// `hooks` with every dialog left empty answered by the system's own: a
// message box, the file dialogs (a name typed without a suffix takes the
// chosen type's), the print dialog, a modal exec. The clocks and the port
// list stay as given (the window supplies its own).
WindowHooks withDefaultDialogs(WindowHooks hooks);

}  // namespace cellwatch
