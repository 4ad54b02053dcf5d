#include "analysis/summary_format.h"

#include <QJsonArray>
#include <QStringList>
#include <cmath>

#include "readout/journal.h"

namespace cellwatch {

QString oneLine(const QString& text) {
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    line.replace(u'\n', u' ').replace(u'\r', u' ');
    return line.trimmed();
}

double round4(double value) {
    return std::round(value * 10'000.0) / 10'000.0;
}

QString plain(double value) {
    if (!std::isfinite(value)) {
        return QStringLiteral("-");
    }
    QString text = QString::number(round4(value), 'f', 4);
    while (text.endsWith(u'0')) {
        text.chop(1);
    }
    if (text.endsWith(u'.')) {
        text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString fixed(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

QString durationText(double seconds) {
    const auto total = static_cast<qint64>(std::llround(std::max(seconds, 0.0)));
    return QStringLiteral("%1:%2:%3")
        .arg(total / 3600)
        .arg(total / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(total % 60, 2, 10, QLatin1Char('0'));
}

QJsonObject summaryJson(const RecordingSummaryValues& s, const QString& file) {
    QJsonArray cells;
    for (const double v : s.cellsLastV) {
        cells.append(round4(v));
    }
    return QJsonObject{
        {QStringLiteral("file"), file},
        {QStringLiteral("start"),
         s.start.isValid() ? QJsonValue(isoTimeWithOffset(s.start)) : QJsonValue()},
        {QStringLiteral("battery"), s.battery},
        {QStringLiteral("kind"), kindName(s.kind)},
        {QStringLiteral("rows"), static_cast<qint64>(s.rows)},
        {QStringLiteral("duration_s"), round4(s.durationS)},
        {QStringLiteral("capacity_mah"), round4(s.capacityMah)},
        {QStringLiteral("energy_wh"), round4(s.energyWh)},
        {QStringLiteral("current_avg_a"), round4(s.currentAvgA)},
        {QStringLiteral("current_max_a"), round4(s.currentMaxA)},
        {QStringLiteral("voltage_first_v"), round4(s.voltageFirstV)},
        {QStringLiteral("voltage_last_v"), round4(s.voltageLastV)},
        {QStringLiteral("voltage_max_v"), round4(s.voltageMaxV)},
        {QStringLiteral("temp_ext_max_c"), round4(s.tempExtMaxC)},
        {QStringLiteral("temp_int_max_c"), round4(s.tempIntMaxC)},
        {QStringLiteral("cells"), s.cells},
        {QStringLiteral("cells_last_v"), cells},
        {QStringLiteral("cell_spread_max_v"), round4(s.cellSpreadMaxV)},
        {QStringLiteral("cell_spread_max_at_s"), round4(s.cellSpreadMaxAtS)},
        {QStringLiteral("pack"), s.pack.isEmpty() ? QJsonValue() : QJsonValue(s.pack)},
        {QStringLiteral("note"), s.note.isEmpty() ? QJsonValue() : QJsonValue(s.note)},
    };
}

QString summaryText(const RecordingSummaryValues& s, const QString& file) {
    QStringList cells;
    for (const double v : s.cellsLastV) {
        cells << fixed(v, 2);
    }
    const QList<QPair<QString, QString>> lines = {
        {QStringLiteral("start"),
         s.start.isValid() ? isoTimeWithOffset(s.start) : QStringLiteral("(not recorded)")},
        {QStringLiteral("battery"), s.battery},
        {QStringLiteral("kind"), kindName(s.kind)},
        {QStringLiteral("rows"), QString::number(s.rows)},
        {QStringLiteral("duration"), durationText(s.durationS)},
        {QStringLiteral("capacity"), plain(s.capacityMah) + " mAh"},
        {QStringLiteral("energy"), fixed(s.energyWh, 4) + " Wh"},
        {QStringLiteral("current"), QStringLiteral("mean %1 A, largest %2 A")
                                        .arg(fixed(s.currentAvgA, 2), fixed(s.currentMaxA, 2))},
        {QStringLiteral("voltage"),
         QStringLiteral("first %1 V, last %2 V, highest %3 V")
             .arg(fixed(s.voltageFirstV, 2), fixed(s.voltageLastV, 2), fixed(s.voltageMaxV, 2))},
        {QStringLiteral("temperature"),
         QString::fromUtf8("external up to %1 °C, internal up to %2 °C")
             .arg(QString::number(round4(s.tempExtMaxC)), QString::number(round4(s.tempIntMaxC)))},
        {QStringLiteral("cells"),
         s.cells == 0 ? QStringLiteral("none")
                      : QStringLiteral("%1 (last %2 V)").arg(s.cells).arg(cells.join(u' '))},
        {QStringLiteral("largest spread"),
         QStringLiteral("%1 V at %2")
             .arg(fixed(s.cellSpreadMaxV, 3), durationText(s.cellSpreadMaxAtS))},
        {QStringLiteral("pack"), s.pack.isEmpty() ? QStringLiteral("(none)") : s.pack},
        {QStringLiteral("note"), oneLine(s.note)},
    };
    QString text = file + u'\n';
    for (const auto& [name, value] : lines) {
        text += QStringLiteral("  %1 %2\n").arg(name + u':', -16).arg(value);
    }
    return text;
}

}  // namespace cellwatch
