#include "app/emulator_trial.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QTimer>

#include "app/captions.h"

namespace cellwatch {
namespace {

const QString kProgramName = QStringLiteral("cellwatch-emulator");
constexpr int kEndMs = 3000;  // the emulator's time to end when asked

constexpr Phrase kNoPortHint = {QT_TRANSLATE_NOOP(
    "Captions",
    "No serial port found. To try the program without a charger: Help > Try the emulator")};
constexpr Phrase kStarted = {QT_TRANSLATE_NOOP("Captions", "The emulator runs on %1")};
constexpr Phrase kNotFound = {QT_TRANSLATE_NOOP(
    "Captions", "The emulator %1 is not there (beside the program or in /usr/bin)")};
constexpr Phrase kFailed = {QT_TRANSLATE_NOOP("Captions", "The emulator could not start: %1")};
constexpr Phrase kStopped = {QT_TRANSLATE_NOOP("Captions", "The emulator stopped")};

}  // namespace

EmulatorTrial::EmulatorTrial(Parts parts, QObject* parent)
    : QObject(parent), parts_(std::move(parts)) {
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    connect(&process_, &QProcess::readyReadStandardOutput, this, &EmulatorTrial::readPort);
    connect(&process_, &QProcess::finished, this, &EmulatorTrial::ended);
    connect(&process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            parts_.tell(kFailed.text().arg(process_.errorString()));
        }
    });
}

EmulatorTrial::~EmulatorTrial() {
    // The window goes: nothing more is said to it.
    process_.disconnect(this);
    stop();
}

QString EmulatorTrial::findProgram() {
    for (const QString& folder :
         {QCoreApplication::applicationDirPath(), QStringLiteral("/usr/bin")}) {
        const QFileInfo program(QDir(folder).filePath(kProgramName));
        if (program.isFile() && program.isExecutable()) {
            return program.absoluteFilePath();
        }
    }
    return {};
}

void EmulatorTrial::useCommand(QAction* command) {
    command_ = command;
    connect(command_, &QAction::triggered, this, &EmulatorTrial::start);
}

void EmulatorTrial::hint() {
    parts_.tell(kNoPortHint.text());
}

void EmulatorTrial::start() {
    stop();
    const QString program = program_.isEmpty() ? findProgram() : program_;
    if (program.isEmpty()) {
        parts_.tell(kNotFound.text().arg(kProgramName));
        return;
    }
    // The demonstration: a charge and a discharge played again and again,
    // on a pseudo-terminal whose path is its first line.
    ++runs_;
    process_.start(program, {QStringLiteral("--pty"), QStringLiteral("--scenario"),
                             QStringLiteral("demo"), QStringLiteral("--loop")});
}

void EmulatorTrial::readPort() {
    if (!port_.isEmpty() || !process_.canReadLine()) {
        return;
    }
    port_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    parts_.tell(kStarted.text().arg(port_));
    parts_.connectTo(port_);
}

void EmulatorTrial::linkChanged(bool open) {
    if (open) {
        linked_ = running() && !port_.isEmpty();
    } else if (linked_) {
        // Asked to end, it ends within a moment; the window does not wait
        // for it, and one that does not end is killed.
        linked_ = false;
        process_.terminate();
        QTimer::singleShot(kEndMs, this, [this, run = runs_] {
            if (running() && run == runs_) {
                process_.kill();
            }
        });
    }
}

// At once: the window closes, or starts it anew. The emulator keeps nothing
// that an end without its cleanup would lose (the pseudo-terminal goes with it).
void EmulatorTrial::stop() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(kEndMs);
    }
    port_.clear();
    linked_ = false;
}

void EmulatorTrial::ended() {
    const bool said = !port_.isEmpty();
    const QString why = QString::fromLocal8Bit(process_.readAllStandardError()).trimmed();
    port_.clear();
    if (process_.exitStatus() == QProcess::NormalExit && process_.exitCode() != 0) {
        parts_.tell(kFailed.text().arg(why));
    } else if (said) {
        parts_.tell(kStopped.text());
    }
}

}  // namespace cellwatch
