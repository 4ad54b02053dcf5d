#include "tools/log/alarm_command.h"

#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <QSignalBlocker>

#ifdef Q_OS_UNIX
#include <signal.h>
#include <unistd.h>
#endif

namespace cellwatch::logger {

AlarmCommand::AlarmCommand(QString command, QString port,
                           std::function<void(const QString&)> complain, QObject* parent)
    : QObject(parent),
      command_(std::move(command)),
      port_(std::move(port)),
      complain_(std::move(complain)) {
    // The command's output would mix into the log's lines, and its failure
    // is told in one line of the log's own.
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setStandardErrorFile(QProcess::nullDevice());
    process_.setStandardInputFile(QProcess::nullDevice());
    connect(&process_, &QProcess::finished, this, &AlarmCommand::onFinished);
    connect(&process_, &QProcess::errorOccurred, this, &AlarmCommand::onError);
#ifdef Q_OS_UNIX
    // Each run in a process group of its own, so that what the command
    // starts (a `sleep` in a script, a pipeline) ends with it when the log
    // gives up on it, rather than living on without a parent. (On Windows
    // QProcess ends the shell alone.)
    process_.setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
}

AlarmCommand::~AlarmCommand() {
    process_.disconnect(this);
    endRun();
}

void AlarmCommand::endRun() {
    if (!busy()) {
        return;
    }
    const QSignalBlocker quiet(process_);
#ifdef Q_OS_UNIX
    if (const qint64 pid = process_.processId(); pid > 0) {
        ::kill(-static_cast<pid_t>(pid), SIGKILL);
    }
#endif
    process_.kill();
    process_.waitForFinished(1000);
}

void AlarmCommand::drain(int ms) {
    QDeadlineTimer deadline(ms);
    while ((busy() || !waiting_.empty()) && !deadline.hasExpired()) {
        if (!busy()) {
            startNext();
        }
        if (!process_.waitForFinished(static_cast<int>(deadline.remainingTime()))) {
            break;
        }
    }
    if (busy() || !waiting_.empty()) {
        waiting_.clear();
        endRun();
        complain_(QStringLiteral("the alarm command did not finish in time; stopped"));
    }
}

void AlarmCommand::run(const QString& kind, const QString& text) {
    for (Waiting& w : waiting_) {
        if (w.kind == kind) {
            w.text = text;
            ++w.count;
            return;
        }
    }
    if (waiting_.size() >= kMostWaiting) {
        complain_(QStringLiteral("the alarm command is still running; alarm %1 dropped").arg(kind));
        return;
    }
    waiting_.push_back({kind, text, 1});
    startNext();
}

void AlarmCommand::startNext() {
    if (waiting_.empty() || busy()) {
        return;
    }
    const Waiting next = waiting_.front();
    waiting_.pop_front();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CELLWATCH_ALARM"), next.kind);
    env.insert(QStringLiteral("CELLWATCH_TEXT"), next.text);
    env.insert(QStringLiteral("CELLWATCH_PORT"), port_);
    env.insert(QStringLiteral("CELLWATCH_COUNT"), QString::number(next.count));
    process_.setProcessEnvironment(env);
    runningKind_ = next.kind;
    process_.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command_});
    runningGroup_ = process_.processId();
}

void AlarmCommand::onFinished(int exitCode, QProcess::ExitStatus status) {
#ifdef Q_OS_UNIX
    // What the run left in the background ends with it.
    if (runningGroup_ > 0) {
        ::kill(-static_cast<pid_t>(runningGroup_), SIGKILL);
    }
#endif
    runningGroup_ = 0;
    if (status == QProcess::CrashExit) {
        complain_(QStringLiteral("the alarm command for %1 was killed").arg(runningKind_));
    } else if (exitCode != 0) {
        complain_(QStringLiteral("the alarm command for %1 failed with exit status %2")
                      .arg(runningKind_)
                      .arg(exitCode));
    }
    emit ended();
    startNext();
}

void AlarmCommand::onError(QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) {
        return;  // a crash is told by onFinished
    }
    complain_(QStringLiteral("the alarm command for %1 could not start: %2")
                  .arg(runningKind_, process_.errorString()));
    emit ended();
    QMetaObject::invokeMethod(this, &AlarmCommand::startNext, Qt::QueuedConnection);
}

}  // namespace cellwatch::logger
