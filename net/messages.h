// What a charger's topics carry.
//
//   cellwatch/NAME/status  "online" / "offline" (retained; "offline" is also
//                          the broker's last will)
//   cellwatch/NAME/resume  what a watcher that joins late needs to go on with
//                          the present recording as the publisher records it
//                          (retained, JSON; see ResumeState)
//   cellwatch/NAME/start   the capture header of the present connection to
//                          the charger (retained; 24 bytes, another driver's
//                          with its id after them)
//   cellwatch/NAME/raw     one capture record per receive event or request:
//                          of the start's format (see below)
//   cellwatch/NAME/row     one recorded row as JSON
//   cellwatch/NAME/event   idle, restart, lost and alarms as JSON
//
// A charger of several channels (2 to 8) has one recording per channel:
// what belongs to a recording goes under the channel's number,
//   cellwatch/NAME/CHANNEL/row, .../event and .../resume   (CHANNEL 1 to 8),
// while status, start and raw stay the charger's (one connection, one byte
// stream for all channels). A charger of one channel publishes exactly as
// above, without a channel level.
//
// The first family's start is format 1's capture header and its raw
// records format 1's (14-byte header, bytes received only): what watchers
// made before the drivers read, so they keep working. A start that names
// another driver is format 2's header with the driver's id, and its raw
// records are format 2's (15-byte header whose byte 12 is the direction, 0
// received from the charger, 1 sent to it): a watcher sees the requests to a
// polled charger and decodes only what was received, with the driver the
// start names. (A watcher made before this reads such a start but skips its
// records, saying so: it cannot decode another driver anyway.)
//
// Signed messages. A charger published with a key (--key-file) signs every
// message with it; a watcher given the same key takes nothing else. The
// signature is a token of 32 characters: base64url, unpadded, of 24 bytes,
// the message's sequence number (8 bytes, big-endian) and the first 16
// bytes of HMAC-SHA256(key, "cw1" 0x00 TOPIC 0x00 SEQUENCE PAYLOAD), where
// TOPIC is the whole topic ("cellwatch/bench1/raw") and PAYLOAD the
// message as it is unsigned. The token goes
//   - after status, start and raw: the payload, '~', the token (33 bytes
//     more: "online~AAAB...");
//   - into row, event and resume, as the JSON object's last member "auth", so that
//     they stay JSON for whoever reads them without the key:
//     {"battery":...,"wall":"...","auth":"AAAB..."}.
// The sequence number grows with every message of a publisher: the high 42
// bits are the connection's epoch (ms since 1970 when the publisher
// connected, one more than the previous epoch at least), the low 22 bits the
// message's index in that connection; the will ("offline") is signed in
// advance with the last index, 2^22 - 1, so it comes after everything the
// connection published and before everything of the next one.
//
// A watcher with the key takes a message only when it verifies and its
// number is higher than that of the last message it took on the same topic
// (a message recorded earlier and published again is refused); a start only
// when it is newer than the last "offline"; raw records only when newer than
// the start they belong to; and "offline" ends it only when it is newer than
// that start. The publisher's clock must not go back across its restarts by
// more than a run lasted.
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

// The largest message a client takes: a raw record (14-byte header, at most
// 65535 bytes) and room for a token. Anything larger is dropped unread.
inline constexpr qsizetype kMaxMessageBytes = 14 + 65535 + 64;

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
// Whether a row could come from a charger: the rule the recording applies
// to every sample before it becomes a row (temperatures at most 100,
// voltages at most 50, a battery voltage other than 0, cells at most 5 V,
// every value a finite number).
bool isPlausibleRow(const RowValues& row);

// Where the publisher's present recording stands: the connection it belongs
// to (its start's ticks), the recording's time base (its connect ticks, the
// moment it began and the ticks then) and its last row's 22 table texts,
// joined by tabs ("" before the first row). Published with every row and at
// every new recording, so a watcher that joins late takes the recording up
// where it stands, with the publisher's own elapsed times.
struct ResumeState {
    std::uint32_t connectionTicks = 0;  // the start message's ticks
    std::uint32_t connectTicks = 0;     // the recording's time base
    std::int64_t beganMs = 0;           // when the recording began (ms since 1970, UTC)
    std::int32_t utcOffsetSeconds = 0;
    std::uint32_t beganTicks = 0;  // the ticks then
    QString lastRow;
    // When the last row came, on the publisher's clocks (ticks, and ms since
    // 1970; 0 ms: not known): a watcher that joins while no row comes goes
    // on from that moment, as one there from the start does.
    std::uint32_t rowTicks = 0;
    std::int64_t rowMs = 0;
    // When the publisher sent it (ms since 1970, its clock), and the run it
    // belongs to (random, one a publisher): a signed resume tells a watcher
    // that the run is live now.
    std::int64_t sentMs = 0;
    QString run;
    bool operator==(const ResumeState&) const = default;
};

// {"connection_ticks", "connect_ticks", "began_ms", "utc_offset", "began_ticks", "last_row",
//  "row_ticks", "row_ms", "sent_ms", "run"} (the last four absent from an older publisher's;
//  the row's two without a last row)
QByteArray resumeJson(const ResumeState& state);
// A resume as resumeJson wrote it; nothing when it is not one.
std::optional<ResumeState> parseResumeJson(const QByteArray& json);

// {"wall", "event"} for "idle", "restart" and "lost"; with "kind" and "text"
// for "alarm".
QByteArray eventJson(const QDateTime& wall, const QString& event, const QString& kind = {},
                     const QString& text = {});

// The 24-byte capture header, and back (nothing when the bytes are no
// header of a version this program reads).
QByteArray startBytes(const CaptureStart& start);
std::optional<CaptureStart> parseStart(const QByteArray& bytes);

// One capture record and back (nothing when the length does not match):
// format 1's (14-byte header, bytes received) for the first family, whose
// start is of format 1; format 2's (15-byte header with the direction, see
// serial/capture.h) for a charger whose start names its driver. At most
// 65535 bytes.
QByteArray recordBytes(std::int64_t wallMs, std::uint32_t ticks,
                       std::span<const std::uint8_t> bytes);
QByteArray namedRecordBytes(std::int64_t wallMs, std::uint32_t ticks,
                            std::span<const std::uint8_t> bytes, CaptureDirection direction);
bool parseRecord(const QByteArray& payload, CaptureRecord& record, bool named = false);

}  // namespace cellwatch::net
