// What the journal tests share: a test recording's rows, a journal fed as
// the window feeds it, and file helpers.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimeZone>
#include <optional>
#include <tuple>
#include <vector>
#include "protocol/reading_format.h"
#include "readout/journal.h"
#include "readout/recording_file.h"
#include "readout/row_store.h"
#include "readout/table_export.h"
#include "tests/support/made_reading.h"

namespace cellwatch::journaltest {

const QString kVersion = QStringLiteral("1.10.0");
const QDateTime kStart(QDate(2026, 12, 5), QTime(14, 30, 12), QTimeZone(3600));

// Row i of a test recording: one second apart, the capacity counting up.
inline QStringList journalRow(int i, const QString& type = QStringLiteral("LiIo/Po/Fe")) {
    const auto time = QString::fromStdString(
        ReadingFormat::elapsedText(static_cast<std::uint32_t>(i + 1) * 1000));
    return QStringLiteral(
               "%1,%2,+CHG+,25,30,12.00,16.80,2.00,%3,33.60,4.2,4.2,4.2,4.2,0,0,0,0,0,0,0,0")
        .arg(time, type)
        .arg(i)
        .split(u',');
}

// A journal and its table, fed row by row as the window feeds them. The
// notices it gave are kept as letters: S stopped, C caught up, R recreated.
struct Fed {
    explicit Fed(const QString& folder, std::optional<QDateTime> start = kStart)
        : journal(folder, kVersion) {
        journal.setNoticeHandler([this](Journal::Notice n, const QString&) {
            log += n == Journal::Notice::Stopped    ? u'S'
                   : n == Journal::Notice::CaughtUp ? u'C'
                                                    : u'R';
        });
        if (start) {
            begin(*start);
        }
    }
    // A new recording in the same journal, with a table of its own.
    void begin(const QDateTime& start) {
        journal.begin(start, QStringLiteral("/dev/ttyUSB0"));
        table.setGridRowCount(1);
    }
    void add(int i, const QString& type = QStringLiteral("LiIo/Po/Fe")) {
        table.appendTabText(journalRow(i, type).join(u'\t'));
        journal.appendRow(table, table.gridRowCount() - 1);
    }
    void addRows(int from, int to) {
        for (int i = from; i < to; ++i) {
            add(i);
        }
    }

    Journal journal;
    RowStore table;
    QString log;
};

inline QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QString writeTo(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

inline void addTo(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(bytes);
}

inline void expectRowsAsWritten(const RecordingFile& file) {
    for (std::size_t i = 0; i < file.rowCount(); ++i) {
        ASSERT_EQ(file.rowTexts(i), journalRow(static_cast<int>(i))) << "row " << i;
    }
}

// Runs `body` in a child process and returns its exit status (-1: killed).
template <typename Body>
int inChild(Body body) {
    const pid_t child = fork();
    if (child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace cellwatch::journaltest
