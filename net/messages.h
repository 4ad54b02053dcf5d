// What a charger's topics carry.
//
//   cellwatch/NAME/status  "online" / "offline" (retained; "offline" is also
//                          the broker's last will)
//   cellwatch/NAME/start   the 24-byte capture header of the present
//                          connection to the charger (retained)
//   cellwatch/NAME/raw     one capture record per receive event: the 14-byte
//                          record header and its bytes
//   cellwatch/NAME/row     one recorded row as JSON
//   cellwatch/NAME/event   idle, restart, lost and alarms as JSON
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <array>
#include <optional>
#include <span>

#include "serial/capture.h"

namespace cellwatch::net {

inline constexpr const char* kOnline = "online";
inline constexpr const char* kOffline = "offline";

// One recorded row: the table's texts for time, battery and state, the
// rest as numbers.
struct RowValues {
    QDateTime wall;  // when it was recorded, with the local offset
    QString time;    // "0:00:01"
    QString battery;
    QString state;
    double extC = 0;
    double intC = 0;
    double inputV = 0;
    double voltageV = 0;
    double currentA = 0;
    double capacityMah = 0;
    double powerW = 0;
    std::array<double, 12> cellsV{};
};

// A moment as ISO 8601 with milliseconds and the UTC offset, also at +00:00:
// "2026-03-01T14:05:09.250+01:00".
QString isoWithOffset(const QDateTime& t);

// {"wall", "time", "battery", "state", "ext_c", "int_c", "input_v",
//  "voltage_v", "current_a", "capacity_mah", "power_w", "cells_v": [12]}
QByteArray rowJson(const RowValues& row);
// A row as rowJson wrote it; nothing when it is not one.
std::optional<RowValues> parseRowJson(const QByteArray& json);

// {"wall", "event"} for "idle", "restart" and "lost"; with "kind" and "text"
// for "alarm".
QByteArray eventJson(const QDateTime& wall, const QString& event, const QString& kind = {},
                     const QString& text = {});

// The 24-byte capture header, and back (nothing when the bytes are no
// header of a version this program reads).
QByteArray startBytes(const CaptureStart& start);
std::optional<CaptureStart> parseStart(const QByteArray& bytes);

// One capture record (14-byte header and at most 65535 bytes), and back
// (nothing when the length does not match).
QByteArray recordBytes(std::int64_t wallMs, std::uint32_t ticks,
                       std::span<const std::uint8_t> bytes);
bool parseRecord(const QByteArray& payload, CaptureRecord& record);

}  // namespace cellwatch::net
