// The recordings of a capture: played through the live session's receive
// path on the capture's own clocks, as fast as it goes, exactly as
// cellwatch-log --replay plays it; the pause rule splits it into
// recordings. The session's alarms watch it with the default rules.
#include <QFile>
#include <QTemporaryDir>
#include <optional>
#include <stdexcept>

#include "protocol/reading_format.h"
#include "readout/row_store.h"
#include "serial/capture.h"
#include "serial/capture_replay.h"
#include "serial/frames_capture.h"
#include "session/fed_source.h"
#include "session/live_session.h"
#include "tools/report/report.h"

namespace cellwatch::report {

std::vector<Recorded> readFramesRecordings(const QString& path, const QString& charger,
                                           QTextStream& err) {
    QTemporaryDir scratch;
    const QString capture = scratch.filePath(QStringLiteral("frames.cwcap"));
    try {
        const FramesText frames =
            writeCaptureOfFrames(QFile::encodeName(path).toStdString(),
                                 QFile::encodeName(capture).toStdString(), charger.toStdString());
        if (frames.badLines > 0) {
            err << "cellwatch-report: "
                << QString::fromStdString(badFramesLinesText(frames, path.toStdString())) << '\n';
        }
    } catch (const CaptureError& e) {
        throw std::runtime_error(e.what());
    }
    std::vector<Recorded> found = readCaptureRecordings(capture, charger);
    for (std::size_t i = 0; i < found.size(); ++i) {
        found[i].name = found.size() == 1 ? path : QStringLiteral("%1 #%2").arg(path).arg(i + 1);
    }
    return found;
}

std::vector<Recorded> readCaptureRecordings(const QString& path, const QString& charger) {
    std::optional<CaptureReader> reader;
    try {
        reader.emplace(QFile::encodeName(path).toStdString());
    } catch (const CaptureError& e) {
        throw std::runtime_error(e.what());
    }
    ManualTickClock ticks;
    ManualWallClock wall{QDateTime()};
    RowStore table;
    session::LiveSession live({table, ticks, wall});
    live.setCharger(charger.toStdString());
    live.alarmClock().hold();           // the capture's time, not the machine's, counts
    std::vector<AlarmNote> alarmNotes;  // of the present recording
    QObject::connect(&live, &session::LiveSession::alarmRaised, [&](const alarms::Alarm& alarm) {
        const int last = table.gridRowCount() - 1;
        const std::optional<std::uint32_t> seconds = table.seconds(last);
        alarmNotes.push_back({QString::fromUtf8(alarms::kindName(alarm.kind)),
                              QString::fromStdString(alarm.text), static_cast<std::size_t>(last),
                              seconds ? static_cast<std::int64_t>(*seconds) : -1});
    });

    std::vector<Recorded> found;
    std::shared_ptr<RowStore> rows;
    RecordingSummarizer summarizer;
    const auto close = [&] {
        if (rows && rows->dataRowCount() > 0) {
            Recorded r;
            r.summary = summarizer.values();
            r.rows = static_cast<std::size_t>(rows->dataRowCount());
            r.store = rows;
            r.alarms = std::move(alarmNotes);
            found.push_back(std::move(r));
        }
        alarmNotes.clear();
        rows = std::make_shared<RowStore>();
        summarizer = RecordingSummarizer(live.recording().recordingStart());
    };
    QObject::connect(&live, &session::LiveSession::rowAppended, [&](int row) {
        rows->appendFrom(table, row);
        summarizer.addRow(*rows, rows->gridRowCount() - 1);
    });
    QObject::connect(&live, &session::LiveSession::restarted, close);
    // What came due before the pause belongs to the recording it ends.
    QObject::connect(&live, &session::LiveSession::restarting, [&] { live.tickAlarms(); });

    // The clocks stand at the capture's start: the recording begins there.
    CaptureReplay replay(
        *reader, [&live](std::span<const std::uint8_t> bytes) { live.take(bytes); }, ticks,
        [&wall](const QDateTime& t) { wall.set(t); });
    live.open(std::make_unique<session::FedSource>(path));
    close();  // the first recording starts with the capture
    while (replay.playNext()) {
    }
    close();
    live.stop();
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
