// Modbus RTU framing for a master that reads registers: the CRC, the read
// requests it sends, and an assembler that finds the answer to the request
// outstanding in bytes that come in pieces, mixed with garbage, stale
// answers and damaged frames.
//
// Not libmodbus: that is a whole client that opens and owns the port and
// waits on it itself, while a driver here is handed its bytes through
// feed() on the session's clock and must never block. The framing a reader
// needs is small, so it is written here.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace cellwatch::modbus {

inline constexpr std::uint8_t kReadHolding = 0x03;
inline constexpr std::uint8_t kReadInput = 0x04;
inline constexpr std::uint8_t kExceptionBit = 0x80;
inline constexpr std::uint8_t kIllegalAddress = 0x02;
// A read asks for at most this many registers (the answer's byte count is one byte).
inline constexpr std::uint16_t kMostRegistersPerRead = 125;

// CRC-16 as Modbus uses it (polynomial 0xA001 reflected, start 0xFFFF); it
// travels low byte first.
std::uint16_t crc16(std::span<const std::uint8_t> bytes);

struct ReadRequest {
    std::uint8_t unit = 1;
    std::uint8_t function = kReadInput;
    std::uint16_t start = 0;
    std::uint16_t count = 1;

    bool operator==(const ReadRequest&) const = default;
};

// Whether the last two bytes of `frame` are the CRC of the rest.
bool crcMatches(std::span<const std::uint8_t> frame);

// The 8 bytes of a read request.
std::vector<std::uint8_t> encodeRead(const ReadRequest& request);
// A read request, when `frame` begins with one (8 bytes, good CRC).
std::optional<ReadRequest> parseRead(std::span<const std::uint8_t> frame);
// The answer to a read: unit, function, byte count, the registers high byte first, CRC.
std::vector<std::uint8_t> encodeReadAnswer(std::uint8_t unit, std::uint8_t function,
                                           std::span<const std::uint16_t> registers);
// An exception answer: unit, function | 0x80, code, CRC.
std::vector<std::uint8_t> encodeException(std::uint8_t unit, std::uint8_t function,
                                          std::uint8_t code);
// "illegal data address" for 2; "unknown exception" for a code without a name.
std::string_view exceptionName(std::uint8_t code);

struct Answer {
    bool exception = false;
    std::uint8_t exceptionCode = 0;
    std::vector<std::uint16_t> registers;  // what was asked, when not an exception
    std::vector<std::uint8_t> frame;       // the bytes of the answer, CRC included
};

// Frames the answer to one outstanding read. Bytes that arrive while no read
// is outstanding, that precede the answer, that belong to an answer to
// another read, or that fail their CRC are dropped (counted). A frame begun
// and then left for longer than `silenceMs` is dropped when the next bytes come.
class AnswerAssembler {
public:
    explicit AnswerAssembler(std::uint32_t silenceMs = 200) : silenceMs_(silenceMs) {}

    // A read was sent: its answer is looked for from now on; what waits is dropped.
    void expect(const ReadRequest& request);
    // Nothing is outstanding any more (a time-out): what waits is dropped.
    void cancel();
    bool expecting() const { return expected_.has_value(); }

    // Bytes received at `timeMs`; the answer when they complete it. Bytes
    // after a complete answer are dropped.
    std::optional<Answer> feed(std::span<const std::uint8_t> bytes, std::uint32_t timeMs);

    std::uint64_t bytesDropped() const { return dropped_; }
    std::size_t bytesWaiting() const { return pending_.size(); }
    // Frames that had the shape of the answer and failed their CRC.
    std::uint64_t crcErrors() const { return crcErrors_; }

private:
    void dropFront(std::size_t n);
    void dropAll();
    std::optional<Answer> scan();

    std::uint32_t silenceMs_;
    std::optional<ReadRequest> expected_;
    std::vector<std::uint8_t> pending_;
    std::uint32_t lastByteMs_ = 0;
    std::uint64_t dropped_ = 0;
    std::uint64_t crcErrors_ = 0;
};

}  // namespace cellwatch::modbus
