// The recordings of a capture: played through the receive path on the
// capture's own clocks, as fast as it goes, exactly as cellwatch-log
// --replay plays it; the pause rule splits it into recordings. The alarms
// are watched as cellwatch-log watches them, with the default rules.
#include <QFile>
#include <optional>
#include <stdexcept>

#include "alarms/recording_alarms.h"
#include "protocol/sample_text.h"
#include "protocol/status_decoder.h"
#include "readout/recording.h"
#include "readout/row_store.h"
#include "readout/summary_chart.h"
#include "serial/capture.h"
#include "serial/capture_replay.h"
#include "serial/receive_assembler.h"
#include "session/null_readout.h"
#include "tools/report/report.h"

namespace cellwatch::report {

std::vector<Recorded> readCaptureRecordings(const QString& path) {
    std::optional<CaptureReader> reader;
    try {
        reader.emplace(QFile::encodeName(path).toStdString());
    } catch (const CaptureError& e) {
        throw std::runtime_error(e.what());
    }
    ManualTickClock ticks;
    ManualWallClock wall{QDateTime()};
    SummaryChart chart;
    RowStore table;
    session::NullReadoutView view;
    Recording recording(chart, table, view, ticks, wall, [] { return false; });
    std::vector<AlarmNote> alarmNotes;  // of the present recording
    alarms::RecordingAlarms watch(recording, table, ticks, [&](const alarms::Alarm& alarm) {
        const int last = table.gridRowCount() - 1;
        const auto seconds =
            last > 0 ? parseElapsedText(table.gridText(last, 1).toStdString()) : std::nullopt;
        alarmNotes.push_back({QString::fromUtf8(alarms::kindName(alarm.kind)),
                              QString::fromStdString(alarm.text), static_cast<std::size_t>(last),
                              seconds ? static_cast<std::int64_t>(*seconds) : -1});
    });
    StatusDecoder decoder(ticks, watch.decoderHost());
    ReceiveAssembler assembler(ticks, decoder);

    std::vector<Recorded> found;
    std::shared_ptr<RowStore> rows;
    RecordingSummarizer summarizer;
    const auto close = [&] {
        if (rows && rows->dataRowCount() > 0) {
            Recorded r;
            r.summary = summarizer.values();
            r.rows = static_cast<std::size_t>(rows->dataRowCount());
            r.rowTexts = [t = rows.get()](std::size_t row) {
                QStringList texts;
                for (int column = 1; column <= kSampleFieldCount; ++column) {
                    texts << t->gridText(static_cast<int>(row) + 1, column);
                }
                return texts;
            };
            r.keep = rows;
            r.alarms = std::move(alarmNotes);
            found.push_back(std::move(r));
        }
        alarmNotes.clear();
        rows = std::make_shared<RowStore>();
        summarizer = RecordingSummarizer(recording.recordingStart());
    };
    Recording::Events& events = recording.events();
    events.rowAppended = [&](int row) {
        QStringList texts;
        for (int column = 1; column <= kSampleFieldCount; ++column) {
            texts << table.gridText(row, column);
        }
        rows->appendTabText(texts.join(u'\t'));
        summarizer.addRow(texts);
    };
    events.restarted = close;
    // What came due before the pause belongs to the recording it ends.
    events.restarting = [&] { watch.tick(); };
    watch.listen(recording);

    CaptureReplay replay(*reader, assembler, ticks, [&wall](const QDateTime& t) { wall.set(t); });
    recording.resetAxes();
    recording.begin();
    watch.connected();
    close();  // the first recording starts with the capture
    while (replay.playNext()) {
    }
    close();
    for (std::size_t i = 0; i < found.size(); ++i) {
        found[i].name = found.size() == 1 ? path : QStringLiteral("%1 #%2").arg(path).arg(i + 1);
    }
    if (found.empty()) {
        throw std::runtime_error(
            QStringLiteral("%1 holds no recorded row").arg(path).toStdString());
    }
    return found;
}

}  // namespace cellwatch::report
