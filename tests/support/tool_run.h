// A built tool run as a child process, as a user runs it: its standard
// output (unless it goes to a file) and error collected through pipes.
#pragma once

#include <signal.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/text_file.h"

namespace cellwatch::testing {

class ToolRun {
public:
    ToolRun(const QString& program, const QStringList& args, const QString& outputFile = {}) {
        if (!outputFile.isEmpty()) {
            process_.setStandardOutputFile(outputFile);
        }
        process_.start(program, args);
        if (!process_.waitForStarted()) {
            throw std::runtime_error("cannot start " + program.toStdString());
        }
    }
    ~ToolRun() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    ToolRun(const ToolRun&) = delete;
    ToolRun& operator=(const ToolRun&) = delete;

    // Collects output until standard output holds `count` complete lines.
    bool waitForLines(std::size_t count, int timeoutMs = 5000) {
        return waitFor(
            [&] {
                return static_cast<std::size_t>(std::count(out_.begin(), out_.end(), '\n')) >=
                       count;
            },
            timeoutMs);
    }
    // Collects output until standard error holds `text`.
    bool waitForError(const std::string& text, int timeoutMs = 5000) {
        return waitFor([&] { return err_.find(text) != std::string::npos; }, timeoutMs);
    }
    void signal(int sig) const { ::kill(static_cast<pid_t>(process_.processId()), sig); }
    // Collects everything until the tool ends; its exit status, or -1 when
    // it was killed by a signal or had to be killed after `timeoutMs`.
    int wait(int timeoutMs = 5000) {
        if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(timeoutMs)) {
            process_.kill();
            process_.waitForFinished();
            collect();
            return -1;
        }
        collect();
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }

    const std::string& out() const { return out_; }
    const std::string& err() const { return err_; }
    std::vector<std::string> outLines() const { return splitLines(out_); }

private:
    void collect() {
        out_ += process_.readAllStandardOutput().toStdString();
        err_ += process_.readAllStandardError().toStdString();
    }
    // Collects output until `done` or the tool ended or `timeoutMs` passed.
    bool waitFor(const std::function<bool()>& done, int timeoutMs) {
        const QDeadlineTimer deadline(timeoutMs);
        const auto collected = [&] {
            collect();
            return done();
        };
        while (!collected() && !deadline.hasExpired() && process_.state() == QProcess::Running) {
            process_.waitForReadyRead(20);
        }
        return collected();
    }

    QProcess process_;
    std::string out_;
    std::string err_;
};

struct ToolResult {
    int status = -1;  // -1: killed by a signal, or still running after the time allowed
    std::string out;
    std::string err;
};

// Runs a tool to its end.
inline ToolResult runTool(const QString& program, const QStringList& args, int timeoutMs = 60'000) {
    ToolRun run(program, args);
    const int status = run.wait(timeoutMs);
    return {status, run.out(), run.err()};
}

// Runs a shell command line (pipes, redirections) to its end.
inline ToolResult runShell(const std::string& command) {
    return runTool(QStringLiteral("/bin/sh"),
                   {QStringLiteral("-c"), QString::fromStdString(command)});
}

}  // namespace cellwatch::testing
