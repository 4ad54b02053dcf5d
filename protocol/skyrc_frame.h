// The SkyRC charger frame, as the "Charge Master" chargers (T1000 over USB
// HID, Q200neo and the other "neo" chargers over Bluetooth LE) send it:
//
//   0F  len  command  arguments...  sum
//
// `len` counts the bytes after it (command, arguments and sum); `sum` is the
// low byte of the sum of the command and the arguments. A frame arrives in
// a 64-byte HID report, zero-padded after it, or in one or more BLE
// notifications (a frame may span them), so the reader below joins what
// it is given into frames and skips the padding.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace cellwatch::skyrc {

inline constexpr std::uint8_t kStart = 0x0F;
// The longest `len` taken: longer ones are garbage (the longest answer
// known is 35 bytes, a BLE notification carries at most 220).
inline constexpr std::uint8_t kMostLength = 0x7F;
// A frame begun in one message waits this long for the rest.
inline constexpr std::uint32_t kRestWaitMs = 1000;

enum Command : std::uint8_t {
    kDeviceInfo = 0x57,  // product code and firmware
    kStatus = 0x55,      // one channel's status
    kProgram = 0x5F,     // one channel's chemistry and program
};

std::uint8_t checksum(std::span<const std::uint8_t> bytes);
// 0F len command args sum.
std::vector<std::uint8_t> makeFrame(std::uint8_t command, std::span<const std::uint8_t> args);

// One whole frame with a good sum: its command and the bytes after it
// before the sum (d0, d1, ...).
struct Frame {
    std::uint8_t command = 0;
    std::vector<std::uint8_t> data;
    std::vector<std::uint8_t> bytes;  // the frame as received
};

class FrameReader {
public:
    // One message (a report or a notification) received at `timeMs`; the
    // whole frames it completes, in order. A frame left unfinished waits
    // for the next message, unless `timeMs` shows it waited too long.
    std::vector<Frame> add(std::span<const std::uint8_t> bytes, std::uint32_t timeMs,
                           bool checkTimes = true);
    // The input ended: what waits is counted as unframed.
    std::size_t waiting() const { return pending_.size(); }
    std::uint64_t bytesDropped() const { return dropped_; }  // garbage and bad sums
    std::uint64_t badSums() const { return badSums_; }

private:
    std::vector<std::uint8_t> pending_;
    std::uint32_t pendingSince_ = 0;
    std::uint64_t dropped_ = 0;
    std::uint64_t badSums_ = 0;
};

}  // namespace cellwatch::skyrc
