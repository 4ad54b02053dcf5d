#include "recording_harness.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "alarms/alarm_figures.h"
#include "fuzz_temp_file.h"
#include "protocol/table_fields.h"
#include "readout/recording_file.h"
#include "readout/row_store.h"

namespace cellwatch {
namespace {

// Rows compared cell by cell with the table; the rest are counted only.
constexpr std::size_t kRowsCompared = 64;

// A broken rule ends the run, naming its line.
void check(bool ok, unsigned line = __builtin_LINE()) {
    if (!ok) {
        std::fprintf(stderr, "recording harness: the check on line %u failed\n", line);
        std::abort();
    }
}

}  // namespace

void runRecordingHarness(const std::uint8_t* data, std::size_t size) {
    static const FuzzTempFile input("input.csv");
    input.write(data, size);
    const QString path = QString::fromStdString(input.path().string());

    // Read a few megabytes at a time, the file gives the same rows or is
    // refused as well.
    RecordingFile streamed;
    std::size_t streamedRows = 0;
    bool streamRefused = false;
    try {
        streamed.stream(path, [&](const RowFields&, const RowNumbers&) { ++streamedRows; });
    } catch (const std::runtime_error&) {
        streamRefused = true;
    }

    RecordingFile file;
    RowStore read;  // the rows as the program reads them: into a store, in the same pass
    std::size_t visited = 0;
    try {
        const bool ok = file.read(
            path, [](std::size_t done, std::size_t total) { return done <= total; },
            [&](const RowFields&, const RowNumbers&) { ++visited; }, &read);
        check(ok);
    } catch (const std::runtime_error&) {
        check(file.rowCount() == 0);  // nothing of a refused file is kept
        check(streamRefused);
        return;
    }
    const std::size_t rows = file.rowCount();
    check(rows > 0 && visited == rows);
    check(!streamRefused && streamedRows == rows && streamed.rowCount() == rows &&
          streamed.damagedLines() == file.damagedLines() &&
          streamed.alarms().size() == file.alarms().size() &&
          streamed.comments() == file.comments() && streamed.headers() == file.headers());
    const RecordingCurves& curves = file.curves();
    check(curves.days.size() == rows && curves.voltage.size() == rows &&
          curves.current.size() == rows && curves.capacity.size() == rows &&
          curves.external.size() == rows);
    check(file.damagedLineCount() <= rows);
    check(file.damagedLines().size() <= file.damagedLineCount());
    for (const AlarmNote& alarm : file.alarms()) {
        check(alarm.afterRows <= rows && !alarm.kind.isEmpty());
        // An alarm line read back into figures words them as it was.
        if (const auto kind = alarms::kindFromName(alarm.kind.toStdString())) {
            const std::string line = alarm.text.toStdString();
            if (const auto figures = alarms::readAlarmLine(*kind, line)) {
                check(alarms::alarmLine(*kind, *figures) == line);
            }
        }
    }
    // The charger's per-cell resistance lines: the same either way, each
    // with a plausible figure and no implausible one.
    check(streamed.resistanceNotes().size() == file.resistanceNotes().size());
    check(file.resistanceNotes().size() <= RecordingFile::kKeptResistanceNotes);
    for (const ResistanceNote& note : file.resistanceNotes()) {
        check(note.afterRows <= rows && note.cellMilliohms.size() <= kMostCells);
        bool any = false;
        for (const double milliohms : note.cellMilliohms) {
            check(std::isnan(milliohms) || plausibleCellMilliohms(milliohms));
            any = any || !std::isnan(milliohms);
        }
        check(any);
    }
    const QStringList headers = file.headers();
    check(headers.isEmpty() || headers.size() == kRowFieldCount);
    check(file.rowTexts(rows).isEmpty());

    RowStore table;
    check(file.fillTable(table));
    check(table.dataRowCount() == rows);
    for (std::size_t row = 0; row < rows && row < kRowsCompared; ++row) {
        const QStringList texts = file.rowTexts(row);
        check(texts.size() == kRowFieldCount);
        for (int field = 0; field < kRowFieldCount; ++field) {
            QString expected = texts[field];
            expected.replace(u'\t', u' ');
            // What the table shows is what the file holds.
            check(table.gridText(static_cast<int>(row) + 1, field + 1) == expected);
            check(read.gridText(static_cast<int>(row) + 1, field + 1) == expected);
        }
        // The numbers the store keeps are those its texts read as.
        std::array<QByteArray, kRowFieldCount> bytes;
        RowFields fields;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            bytes[i] = texts[static_cast<qsizetype>(i)].toUtf8();
            fields[i] =
                std::string_view(bytes[i].constData(), static_cast<std::size_t>(bytes[i].size()));
        }
        RowNumbers stored;
        RowNumbers ofTexts;
        check(read.numbers(static_cast<int>(row) + 1, stored));
        RowStore::numbersOfTexts(fields, ofTexts);
        check(stored.timed == ofTexts.timed && stored.seconds == ofTexts.seconds &&
              stored.state == ofTexts.state && stored.chemistry == ofTexts.chemistry);
        for (std::size_t i = kFieldExtTemperature; i < stored.field.size(); ++i) {
            check(stored.field[i] == ofTexts.field[i] ||
                  (std::isnan(stored.field[i]) && std::isnan(ofTexts.field[i])));
        }
    }
    check(read.dataRowCount() == rows);
}

}  // namespace cellwatch
