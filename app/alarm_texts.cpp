#include "app/alarm_texts.h"

#include <QCoreApplication>

#include "protocol/reading_format.h"

namespace cellwatch {
namespace {

QString volts(Decimal v) {
    return QString::fromStdString(v.format(kFormat2));
}

QString degrees(Decimal t) {
    return QString::fromStdString(t.plainText());
}

QString elapsed(std::uint32_t seconds) {
    return QString::fromStdString(ReadingFormat::elapsedText(seconds * 1000U));
}

QString temperatureText(const alarms::Figures& f) {
    if (f.external && f.internal) {
        return QCoreApplication::translate(
                   "AlarmText",
                   "External temperature %1 °C (limit %2 °C); internal temperature %3 °C "
                   "(limit %4 °C)")
            .arg(degrees(f.value), degrees(f.limit), degrees(f.internalValue),
                 degrees(f.internalLimit));
    }
    if (f.external) {
        return QCoreApplication::translate("AlarmText", "External temperature %1 °C (limit %2 °C)")
            .arg(degrees(f.value), degrees(f.limit));
    }
    return QCoreApplication::translate("AlarmText", "Internal temperature %1 °C (limit %2 °C)")
        .arg(degrees(f.internalValue), degrees(f.internalLimit));
}

QString lostText(const alarms::Figures& f) {
    const bool discharge = f.run == alarms::Run::Discharge;
    if (f.reason.empty()) {
        return (discharge ? QCoreApplication::translate(
                                "AlarmText", "Link lost during the discharge, last row at %1")
                          : QCoreApplication::translate(
                                "AlarmText", "Link lost during the charge, last row at %1"))
            .arg(elapsed(f.lastRowSeconds));
    }
    // The reason is the system's own words, left as they are.
    return (discharge ? QCoreApplication::translate(
                            "AlarmText", "Link lost during the discharge, last row at %1: %2")
                      : QCoreApplication::translate(
                            "AlarmText", "Link lost during the charge, last row at %1: %2"))
        .arg(elapsed(f.lastRowSeconds), QString::fromStdString(f.reason));
}

}  // namespace

QString alarmText(alarms::Kind kind, const alarms::Figures& f) {
    using alarms::Kind;
    const bool discharge = f.run == alarms::Run::Discharge;
    switch (kind) {
        case Kind::CellHigh:
            return QCoreApplication::translate("AlarmText", "Cell %1 at %2 V (limit %3 V)")
                .arg(QString::number(f.cell), volts(f.value), volts(f.limit));
        case Kind::CellLow:
            // Worded as cell-high's in English; its own context lets a
            // language tell a lower limit from an upper one.
            return QCoreApplication::translate("AlarmTextLowLimit", "Cell %1 at %2 V (limit %3 V)")
                .arg(QString::number(f.cell), volts(f.value), volts(f.limit));
        case Kind::CellSpread:
            return QCoreApplication::translate(
                       "AlarmText",
                       "Cells %1 V apart: cell %2 at %3 V, cell %4 at %5 V (limit %6 V)")
                .arg(volts(f.spread), QString::number(f.cell), volts(f.value),
                     QString::number(f.lowCell), volts(f.lowValue), volts(f.limit));
        case Kind::Temperature:
            return temperatureText(f);
        case Kind::InputLow:
            return QCoreApplication::translate("AlarmText", "Input at %1 V (limit %2 V)")
                .arg(volts(f.value), volts(f.limit));
        case Kind::Finished:
            return (discharge
                        ? QCoreApplication::translate("AlarmText",
                                                      "The discharge finished after %1 (no "
                                                      "charging or discharging for %2 s)")
                        : QCoreApplication::translate(
                              "AlarmText",
                              "The charge finished after %1 (no charging or discharging for %2 s)"))
                .arg(elapsed(f.lastRowSeconds), QString::number(f.seconds));
        case Kind::Stalled:
            return (discharge
                        ? QCoreApplication::translate("AlarmText",
                                                      "No new row for %1 s while the discharge was "
                                                      "running (last row at %2)")
                        : QCoreApplication::translate(
                              "AlarmText",
                              "No new row for %1 s while the charge was running (last row at %2)"))
                .arg(QString::number(f.seconds), elapsed(f.lastRowSeconds));
        case Kind::Lost:
            return lostText(f);
    }
    return {};
}

QString alarmText(const alarms::Alarm& alarm) {
    if (alarm.figures) {
        return alarmText(alarm.kind, *alarm.figures);
    }
    return alarmText(alarm.kind, QString::fromStdString(alarm.text));
}

QString alarmText(alarms::Kind kind, const QString& line) {
    const std::optional<alarms::Figures> figures = alarms::readAlarmLine(kind, line.toStdString());
    return figures ? alarmText(kind, *figures) : line;
}

}  // namespace cellwatch
