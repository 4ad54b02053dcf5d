#include "analysis/recording_summary.h"

#include <QByteArray>
#include <algorithm>
#include <cmath>
#include <limits>

#include "protocol/decimal.h"
#include "protocol/reading_format.h"
#include "protocol/table_fields.h"
#include "readout/pack_file.h"
#include "readout/row_store.h"

namespace cellwatch {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

double rowPowerW(double volts, double amps) {
    return std::isnan(volts) || std::isnan(amps) ? kNaN : std::fabs(volts * amps);
}

double energyStepWh(double fromSeconds, double fromPowerW, double toSeconds, double toPowerW) {
    // A time that falls back is a restart: the recording's origin moved to
    // the present, and nothing is known of the gap.
    if (std::isnan(fromPowerW) || std::isnan(toPowerW) || toSeconds < fromSeconds) {
        return 0;
    }
    return (toSeconds - fromSeconds) * (fromPowerW + toPowerW) / 2 / 3600;
}

double cellSpreadV(std::span<const double> cells) {
    int count = 0;
    double low = 0;
    double high = 0;
    for (const double cell : cells) {
        if (std::isnan(cell) || cell == 0) {
            continue;
        }
        low = count == 0 ? cell : std::min(low, cell);
        high = count == 0 ? cell : std::max(high, cell);
        ++count;
    }
    return count >= 2 ? high - low : 0;
}

namespace {

// The larger of a kept maximum and a value; an absent value changes nothing.
void raise(double& kept, double value, bool first) {
    if (!std::isnan(value) && (first || value > kept)) {
        kept = value;
    }
}

}  // namespace

QString kindName(RecordingKind kind) {
    switch (kind) {
        case RecordingKind::Charge:
            return QStringLiteral("charge");
        case RecordingKind::Discharge:
            return QStringLiteral("discharge");
        case RecordingKind::Mixed:
            break;
    }
    return QStringLiteral("mixed");
}

void RecordingSummarizer::addRow(const QStringList& texts) {
    std::array<QByteArray, kRowFieldCount> bytes;
    RowFields row;
    for (std::size_t i = 0; i < row.size(); ++i) {
        bytes[i] = texts.value(static_cast<qsizetype>(i)).toUtf8();
        row[i] = std::string_view(bytes[i].constData(), static_cast<std::size_t>(bytes[i].size()));
    }
    addRow(row);
}

void RecordingSummarizer::addRow(const RowFields& row) {
    RowNumbers numbers;
    RowStore::numbersOfTexts(row, numbers);
    addRow(numbers, row[kFieldBatteryType]);
}

void RecordingSummarizer::addRow(const RowStore& rows, int gridRow) {
    RowNumbers numbers;
    if (rows.numbers(gridRow, numbers) && numbers.timed) {
        addRow(numbers,
               values_.rows == 0 ? rows.fieldText(gridRow, kFieldBatteryType) : std::string());
    }
}

void RecordingSummarizer::addRow(const RowNumbers& row, std::string_view battery) {
    if (!row.timed) {
        return;
    }
    RecordingSummaryValues& v = values_;
    const bool first = v.rows == 0;
    const double t = row.seconds;
    allCharge_ = allCharge_ && row.state == ChargeState::Charging;
    allDischarge_ = allDischarge_ && row.state == ChargeState::Discharging;
    v.kind = allCharge_      ? RecordingKind::Charge
             : allDischarge_ ? RecordingKind::Discharge
                             : RecordingKind::Mixed;

    const double volts = row.field[kFieldVoltage];
    const double amps = std::fabs(row.field[kFieldCurrent]);
    const double power = rowPowerW(volts, amps);
    if (first) {
        v.battery = QString::fromUtf8(battery.data(), static_cast<qsizetype>(battery.size()));
        v.voltageFirstV = std::isnan(volts) ? 0 : volts;
    } else {
        v.energyWh += energyStepWh(lastSeconds_, lastPower_, t, power);
    }
    const double lastSecondsBefore = lastSeconds_;
    lastSeconds_ = t;
    lastPower_ = power;

    ++v.rows;
    v.durationS = first ? t : v.durationS + std::max(0.0, t - lastSecondsBefore);
    const double capacity = row.field[kFieldCapacity];
    v.capacityMah = std::isnan(capacity) ? 0 : capacity;
    if (!std::isnan(amps)) {
        currentSum_ += amps;
    }
    v.currentAvgA = currentSum_ / static_cast<double>(v.rows);
    raise(v.currentMaxA, amps, first);
    v.voltageLastV = std::isnan(volts) ? v.voltageLastV : volts;
    raise(v.voltageMaxV, volts, first);
    raise(v.tempExtMaxC, row.field[kFieldExtTemperature], first);
    raise(v.tempIntMaxC, row.field[kFieldIntTemperature], first);

    v.cellsLastV.clear();
    for (std::size_t field = kFieldCell1; field <= kFieldCell12; ++field) {
        const double cell = row.field[field];
        if (!std::isnan(cell) && cell != 0) {
            v.cellsLastV.push_back(cell);
        }
    }
    v.cells = static_cast<int>(v.cellsLastV.size());
    const double spread = cellSpreadV(v.cellsLastV);
    if (first || spread > v.cellSpreadMaxV) {
        v.cellSpreadMaxV = spread;
        v.cellSpreadMaxAtS = t;
    }
}

namespace {

// The summary of a file's rows with its start and its pack.
RecordingSummaryValues summaryOfFile(RecordingSummarizer& summarizer, const RecordingFile& file,
                                     const QString& path) {
    summarizer.setStart(startFromComments(file.comments()));
    RecordingSummaryValues values = summarizer.values();
    const PackInfo pack = readPackInfo(path);
    values.pack = pack.pack;
    values.note = pack.note;
    return values;
}

}  // namespace

RecordingSummaryValues readAndSummarize(RecordingFile& file, const QString& path,
                                        const LoadProgress& progress, RowStore* table,
                                        const RowVisitor& also) {
    RecordingSummarizer summarizer;
    // The rows go into a store as they are read, and are summed up from its
    // numbers: every field is read once.
    RowStore own;
    RowStore& rows = table != nullptr ? *table : own;
    rows.clear();
    rows.beginBulkAppend();
    // Views hear of the rows once, whatever the end.
    struct Bulk {
        RowStore& t;
        ~Bulk() { t.endBulkAppend(); }
    } bulk{rows};
    bool read = false;
    try {
        read = file.read(
            path, progress,
            [&summarizer, &also](const RowFields& row, const RowNumbers& numbers) {
                summarizer.addRow(numbers, row[kFieldBatteryType]);
                if (also) {
                    also(row, numbers);
                }
            },
            &rows);
    } catch (...) {
        rows.clear();
        throw;
    }
    if (!read) {
        rows.clear();
        return {};
    }
    return summaryOfFile(summarizer, file, path);
}

RecordingSummaryValues streamAndSummarize(const QString& path, const RowVisitor& also) {
    RecordingFile file;
    return streamAndSummarize(file, path, also);
}

RecordingSummaryValues streamAndSummarize(RecordingFile& file, const QString& path,
                                          const RowVisitor& also) {
    RecordingSummarizer summarizer;
    file.stream(path, [&summarizer, &also](const RowFields& row, const RowNumbers& numbers) {
        summarizer.addRow(numbers, row[kFieldBatteryType]);
        if (also) {
            also(row, numbers);
        }
    });
    return summaryOfFile(summarizer, file, path);
}

QDateTime startFromComments(const QStringList& comments) {
    for (const QString& comment : comments) {
        for (const QString& part : comment.split(QStringLiteral("; "))) {
            if (part.startsWith(QLatin1String("start="))) {
                const QDateTime start = QDateTime::fromString(part.mid(6), Qt::ISODate);
                if (start.isValid()) {
                    return start;
                }
            }
        }
    }
    return {};
}

}  // namespace cellwatch
