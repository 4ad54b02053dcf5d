// Turns a ChargerReading into the bytes of one status message, and predicts
// the line that cellwatch-dump prints for it.
//
// Every numeric byte carries its value plus 128. A pair is a whole byte and
// a hundredths byte, both signed (4.99 = 0x84 0xE3, -1.50 = 0x7F 0x4E).
// Temperatures and capacity are whole numbers N sent as the pair N / 100,
// N % 100 (25 degrees = 0x80 0x99). Bytes the receiver ignores are 0x80.
//
// The start byte 0x7B appears only at offset 0: a part that would be -5
// (biased 0x7B) is sent as an equivalent split of the same value instead
// (-0.05 as whole -1, hundredths 95), so a receiver that lost its place
// always resynchronises on a real message start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/status_frame.h"
#include "tools/emulator/charger_reading.h"

namespace cellwatch::emulator {

// The largest count a pair read x 100 carries: 127 whole, 99 hundredths.
inline constexpr std::int64_t kLargestWireCapacity = 12799;
// What the receiver adds per roll-over when the count drops below the
// largest capacity it has seen (once that is 12791 or more).
inline constexpr std::int64_t kCapacityRollOverStep = 12798;
inline constexpr std::int64_t kCapacityRollOverThreshold = 12791;

// The capacity as the wire carries it. Counts up to 12799 go as they are.
// Beyond that the receiver's roll-over correction carries the count on: when
// the largest capacity it has seen is 12791 or more and a new value lies
// below it, it adds 12798 until the value is no longer below. Sending
// c - k * 12798 (the smallest k that fits) lets it rebuild c, provided the
// count grew through 12791..12799 and never jumps by 12798 or more between
// two messages.
std::int64_t wireCapacity(std::int64_t mah);

// The 76- or 112-byte message for `reading`.
std::vector<std::uint8_t> encodeStatus(const ChargerReading& reading, FrameLayout layout);

// The same message damaged so that a receiver frames it with the wrong
// length: a 76-byte message whose end byte is lost (it is read as a 112-byte
// frame and swallows 36 bytes of whatever follows), or a 112-byte message
// carrying 0x7D at offset 75 (it is read as a 76-byte frame). The capacity
// is also put where the other layout reads it, so that the misread frame
// does not disturb the receiver's roll-over tracking.
std::vector<std::uint8_t> encodeDamagedStatus(const ChargerReading& reading, FrameLayout layout);

// The line cellwatch-dump prints for this message: layout, battery type,
// state, temperatures, input voltage, voltage, current, capacity, power and
// the twelve cells, separated by tabs.
std::string expectedDumpLine(const ChargerReading& reading, FrameLayout layout);

}  // namespace cellwatch::emulator
