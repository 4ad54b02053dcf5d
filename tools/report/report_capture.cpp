// The recordings of a capture: played through the receive path on the
// capture's own clocks, as fast as it goes, exactly as cellwatch-log
// --replay plays it; the pause rule splits it into recordings.
#include <QFile>
#include <stdexcept>

#include "chart/data_table.h"
#include "chart/summary_chart.h"
#include "protocol/status_decoder.h"
#include "readout/recording.h"
#include "serial/capture.h"
#include "serial/capture_replay.h"
#include "serial/receive_assembler.h"
#include "tools/log/null_readout.h"
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
    DataTableModel table;
    logger::NullReadoutView view;
    Recording recording(chart, table, view, ticks, wall, [] { return false; });
    StatusDecoder decoder(ticks, recording);
    ReceiveAssembler assembler(ticks, decoder);

    std::vector<Recorded> found;
    std::shared_ptr<DataTableModel> rows;
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
            found.push_back(std::move(r));
        }
        rows = std::make_shared<DataTableModel>();
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

    CaptureReplay replay(*reader, assembler, ticks, [&wall](const QDateTime& t) { wall.set(t); });
    recording.resetAxes();
    recording.begin();
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
