// Help > "Try the emulator": the program's own charger emulator
// (cellwatch-emulator, found beside the program or in /usr/bin) started on a
// pseudo-terminal, and the window connected to it. The emulator is stopped
// when the window disconnects or loses it, and when the window closes.
// While no port is found, the status band says how to try it (hint()).
#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <functional>

class QAction;
class QMenu;

namespace cellwatch {

class EmulatorTrial final : public QObject {
    Q_OBJECT
public:
    struct Parts {
        std::function<void(const QString&)> tell;  // a line in the status band
        // Connects the window to the port at `path`.
        std::function<void(const QString& path)> connectTo;
    };
    explicit EmulatorTrial(Parts parts, QObject* parent = nullptr);
    ~EmulatorTrial() override;

    // Carries out Help > Try the emulator (the tool bar control's action).
    void useCommand(QAction* command);
    // The status band's line while no port is found.
    void hint();

    // The command: starts the emulator (again, if it runs) and connects.
    void start();
    // The window's link opened or ended: once it stood on the emulator,
    // its end asks the emulator to end.
    void linkChanged(bool open);
    // Ends the emulator at once.
    void stop();
    bool running() const { return process_.state() != QProcess::NotRunning; }
    // The emulator's pseudo-terminal while it runs; "" before it said it.
    QString port() const { return port_; }
    QProcess& process() { return process_; }

    // The emulator beside the running program, else in /usr/bin; "" when
    // neither is there.
    static QString findProgram();
    // Another program to run as the emulator (a test's build of it).
    void setProgram(const QString& program) { program_ = program; }

private:
    void readPort();
    void ended();

    Parts parts_;
    QProcess process_;
    QString program_;
    QString port_;
    bool linked_ = false;  // the window's link stands on the emulator
    int runs_ = 0;         // emulators started so far
    QAction* command_ = nullptr;
};

}  // namespace cellwatch
