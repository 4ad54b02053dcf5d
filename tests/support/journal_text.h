// Recordings written by hand for tests that read them back: journals and
// exported tables of a three-cell lithium pack, and any other file.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdlib>
#include <initializer_list>

namespace cellwatch::testing {

inline const QByteArray kJournalHeader =
    "Time,Type,State,Ext,Int,In,Volt,Curr,Cap,Power,C1,C2,C3,C4,C5,C6,C7,C8,C9,C10,C11,C12\r\n";

// One row, `second` into the recording; cells 1 and 3 stand at 4.10 and 4.15 V.
struct JournalRow {
    int second = 0;
    const char* state = "+CHG+";
    double volts = 12.0;
    double amps = 2.0;
    long mah = 0;
    double cell2 = 4.20;
};

inline QByteArray journalRow(const JournalRow& r) {
    return QStringLiteral(
               "%1:%2:%3,LiIo/Po/Fe,%4,25,31,12.00,%5,%6,%7,%8,4.10,%9,4.15,"
               "0,0,0,0,0,0,0,0,0\r\n")
        .arg(r.second / 3600)
        .arg(r.second / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(r.second % 60, 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(r.state))
        .arg(r.volts, 0, 'f', 2)
        .arg(r.amps, 0, 'f', 2)
        .arg(r.mah)
        .arg(r.volts * std::abs(r.amps), 0, 'f', 2)
        .arg(r.cell2, 0, 'f', 2)
        .toUtf8();
}

// A journal's text: the byte-order mark, the line naming its `start` (none
// when empty, as in an exported table), the header and the rows.
inline QByteArray journalText(const QString& start, std::initializer_list<JournalRow> rows = {}) {
    QByteArray text = "\xEF\xBB\xBF";
    if (!start.isEmpty()) {
        text += "# cellwatch 1.10.0; port=/dev/ttyUSB0; start=" + start.toUtf8() +
                "; battery=LiIo/Po/Fe\r\n";
    }
    text += kJournalHeader;
    for (const JournalRow& r : rows) {
        text += journalRow(r);
    }
    return text;
}

// Writes `bytes` to `path`, and gives the path back.
inline QString writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
    return path;
}

}  // namespace cellwatch::testing
