// Chargers that answer requests (SkyRC over USB HID, ISDT over Bluetooth
// LE), played at the byte level: one request in, its replies out, on the
// session's clock. Each emulated channel or slot plays a charge of its own.
//
// The tool carries them over hex lines (see runHexLines): what a later
// stand-in for a HID or BLE link can reuse as it is.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cellwatch::emulator {

class AnsweringCharger {
public:
    virtual ~AnsweringCharger() = default;
    // The replies to one request written to `target` (a BLE characteristic's
    // UUID, or empty) at `nowMs` since the start: none, one or more
    // messages (HID reports or notification values).
    virtual std::vector<std::vector<std::uint8_t>> answer(std::span<const std::uint8_t> request,
                                                          std::string_view target,
                                                          std::uint32_t nowMs) = 0;
};

// "skyrc" with model "T1000" (the default), "isdt" with "C4 Air" (the
// default). Throws std::invalid_argument for another charger or model.
std::unique_ptr<AnsweringCharger> makeAnsweringCharger(std::string_view charger,
                                                       std::string_view model);
bool answersRequests(std::string_view charger);

// The hex-line link: every line read is one request, in hex (spaces
// allowed), optionally preceded by its target and a space, as
// "@0000af02-0000-1000-8000-00805f9b34fb 18 75 a9 ..."; every reply is
// written as one line of hex ("0f 22 55 01 ..."), flushed at once. A line
// that is not hex is answered with "# bad request: LINE". Returns when the
// input ends.
void runHexLines(AnsweringCharger& charger, std::istream& in, std::ostream& out,
                 std::uint32_t (*nowMs)());

std::string hexLine(std::span<const std::uint8_t> bytes);

}  // namespace cellwatch::emulator
