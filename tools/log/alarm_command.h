// The command that cellwatch-log runs for each raised alarm.
//
// COMMAND goes to /bin/sh -c with CELLWATCH_ALARM (the kind),
// CELLWATCH_TEXT (the text) and CELLWATCH_PORT in its environment. The log
// does not wait for it: it runs beside the log. While one run is going, the
// alarms that come meanwhile wait their turn, one per kind: a later alarm of
// a kind already waiting takes its place, and CELLWATCH_COUNT tells how
// many alarms the run stands for. So the command never runs twice at once,
// and a flood of alarms never grows the queue. A run that fails, cannot
// start or is killed is one error line. Each run is a process group of its
// own, ended when the run ends: nothing it left in the background lives on.
// When the log ends, drain() gives the runs still owed a few seconds (the
// alarm for a lost port comes just before the end); what is left then is
// stopped.
#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <deque>
#include <functional>

namespace cellwatch::logger {

class AlarmCommand final : public QObject {
    Q_OBJECT
public:
    // Kinds waiting at most (there are fewer kinds of alarm).
    static constexpr std::size_t kMostWaiting = 16;

    // `complain` writes one error line.
    AlarmCommand(QString command, QString port, std::function<void(const QString&)> complain,
                 QObject* parent = nullptr);
    ~AlarmCommand() override;

    void run(const QString& kind, const QString& text);

    // Runs what is owed, waiting at most `ms` in all.
    void drain(int ms);

    bool busy() const { return process_.state() != QProcess::NotRunning; }
    std::size_t waiting() const { return waiting_.size(); }

signals:
    // A run is over (whether it went well or not).
    void ended();

private:
    void startNext();
    // Ends the run under way and everything it started (its process group).
    void endRun();
    void onFinished(int exitCode, QProcess::ExitStatus status);
    void onError(QProcess::ProcessError error);

    QString command_;
    QString port_;
    std::function<void(const QString&)> complain_;
    QProcess process_;
    struct Waiting {
        QString kind;
        QString text;
        int count = 1;
    };
    QString runningKind_;
    qint64 runningGroup_ = 0;
    std::deque<Waiting> waiting_;
};

}  // namespace cellwatch::logger
