// What the tests of cellwatch-report share: running the built tool, and a
// folder with a journal, an export and a capture made for each test.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>
#include <cmath>
#include <functional>

#include "chart/alarm_markers.h"
#include "chart/cell_pane.h"
#include "serial/capture.h"
#include "tests/analysis/made_rows.h"
#include "tests/support/charger_readings.h"
#include "tests/support/journal_text.h"
#include "tests/support/tool_run.h"
#include "tools/emulator/status_encoder.h"

namespace cellwatch::reporttest {

namespace emu = cellwatch::emulator;
using testing::journalRow;
using testing::journalText;
using testing::writeFile;

struct Ran {
    int status = -1;
    QByteArray out;
    QString err;
};

inline Ran report(const QStringList& args, int timeoutMs = 60'000) {
    const testing::ToolResult r =
        testing::runTool(QStringLiteral(CELLWATCH_REPORT_TOOL), args, timeoutMs);
    return {r.status, QByteArray::fromStdString(r.out), QString::fromStdString(r.err)};
}

// A charge reading whose input sags below 11 V.
inline emu::ChargerReading sagging() {
    emu::ChargerReading r = testing::charging(0);
    r.inputVoltage = Decimal::fromHundredths(1090);
    return r;
}

class ReportTest : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        return testing::writeFile(dir.filePath(name), bytes);
    }
    QString journal() {
        return write(
            QStringLiteral("cellwatch-20261205-143012.csv"),
            journalText(
                QStringLiteral("2026-12-05T14:30:12+01:00"),
                {{1, "+CHG+", 12.0, 2, 0}, {2, "+CHG+", 12.1, 2, 1}, {4, "+CHG+", 12.2, 2, 2}}));
    }
    QString exported() {
        return write(QStringLiteral("export.csv"),
                     journalText({}, {{1, "-DSC-", 8, -1, 0}, {2, "+CHG+", 8, 1, 1}}));
    }
    // A capture of each reading at its milliseconds after the capture began.
    QString capture(const char* name,
                    const std::vector<std::pair<std::int64_t, emu::ChargerReading>>& records) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        CaptureWriter w(QFile::encodeName(path).toStdString());
        const CaptureStart start{1'764'941'412'000, 3600, 1000};
        w.writeStart(start);
        for (const auto& [atMs, r] : records) {
            w.writeRecord(start.wallMs + atMs, start.ticks + static_cast<std::uint32_t>(atMs),
                          emu::encodeStatus(r, FrameLayout::Long112));
        }
        w.close();
        return path;
    }
    // Five messages a second apart, a silence of 10 s, then three more: two
    // recordings (the first message after the silence starts the second).
    QString capture() {
        std::vector<std::pair<std::int64_t, emu::ChargerReading>> records;
        for (int k = 0; k < 8; ++k) {
            records.emplace_back(k < 5 ? 1000 * (k + 1) : 15'000 + 1000 * k, testing::charging(k));
        }
        return capture("run.cwcap", records);
    }

    QTemporaryDir dir;
};

}  // namespace cellwatch::reporttest
