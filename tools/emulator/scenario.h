// Scenarios: finite lists of steps (messages, garbage, silences) that the
// emulated charger plays, and what a receiver is expected to print for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/decimal.h"
#include "protocol/status_frame.h"
#include "tools/emulator/charger_reading.h"

namespace cellwatch::emulator {

struct Step {
    enum class Kind { Message, Garbage, Silence, LateMessage, DamagedMessage };
    Kind kind = Kind::Message;
    ChargerReading reading;  // Message, LateMessage, DamagedMessage
    FrameLayout layout = FrameLayout::Short76;
    std::vector<std::uint8_t> bytes;  // Garbage: the bytes (never 0x7B)
    std::uint32_t ms = 0;  // Silence: how long; LateMessage: the stall after the first bytes
};

// A LateMessage sends this many bytes (start byte included), stalls, then
// sends the rest.
inline constexpr std::size_t kLateHeadBytes = 6;

struct ScenarioOptions {
    std::vector<std::string> names{"demo"};  // played in this order
    FrameLayout layout = FrameLayout::Short76;
    int cells = 0;                          // in series, 1..12; 0: 4 lithium, 6 NiMH
    int capacityMah = 2200;                 // nominal pack capacity, 100..100000
    Decimal current = Decimal::fromInt(2);  // A, charge and discharge, 0.01..50
    std::uint64_t seed = 1;
    std::size_t messages = 0;  // most messages per named scenario (the demo counts as one); 0: none
    double simSeconds = 0;     // simulated seconds per message; 0: 1, demo 30
    std::uint32_t pauseMs = 5000;  // the silence of `pause`
    std::uint32_t lateMs = 3500;   // the stall of `late`
    // The lithium pack's internal resistance in ohm (0.001..10); 0: the
    // model's own for its capacity.
    double resistanceOhm = 0;
    // One weak lithium cell (1..cells; 0: none), its capacity and its
    // resistance in percent of the others' (10..100 and 100..1000).
    int weakCell = 0;
    int weakCapacityPercent = 100;
    int weakResistancePercent = 100;
};

// Every known scenario name.
std::vector<std::string> scenarioNames();
// One line describing a scenario, for --help; empty for an unknown name.
std::string scenarioDescription(const std::string& name);

// The steps of the named scenarios, in order. Throws std::invalid_argument
// for an unknown name or an option out of range.
//
// Capacity is kept trackable for the receiver's roll-over correction: once
// any message has carried 12791 mAh or more, later counts never drop (a
// scenario that would restart from 0 continues from the largest count), and
// a count never jumps over 12791..12799 in one message (it is held at 12791
// for that message).
std::vector<Step> buildScenario(const ScenarioOptions& options);

// The bytes of one step as they go on the line (none for a Silence).
std::vector<std::uint8_t> encodeStep(const Step& step);
// Encoded bytes of a whole step list (unpaced), e.g. for a file or a test.
std::vector<std::uint8_t> encodeSteps(const std::vector<Step>& steps);

// How the stream ends for the receiver: a live line stays open (the last
// message may wait for bytes of a next one), a file read to its end ends.
enum class StreamEnd { StaysOpen, Ends };

// The frames the receiver cuts from the step list, fed in as one stream, as
// the lines cellwatch-dump prints for them. Follows the receiver's framing:
// it hunts for 0x7B, waits until 111 bytes follow it, and frames 76 bytes
// when offset 75 is 0x7D, otherwise 112. So: a message gives its line; a
// damaged message gives "*" (one line, any content); a damaged 76-byte
// message swallows the first 36 bytes of what follows, losing the next
// message. A 76-byte message too close to the end of the stream (fewer than
// 111 bytes after its start byte) gives no line while the stream stays open;
// where it ends, it gives its line as the next message's bytes would have
// (cellwatch-dump reading a file). A message cut off gives no line.
std::vector<std::string> expectedDumpLines(const std::vector<Step>& steps,
                                           StreamEnd end = StreamEnd::StaysOpen);

}  // namespace cellwatch::emulator
