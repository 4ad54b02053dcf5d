// A charger told by a description (a file the user or the package brings)
// instead of code: its line, how its bytes are framed and checked, and
// which part of a message is which part of a Reading. Reading the file is
// done above this library (drivers/); here is only what the decoder needs,
// already checked against the limits below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/charger_driver.h"
#include "protocol/reading.h"

namespace cellwatch {

// What a description may ask for at most: a description never makes the
// program hold more than this, however it is written.
inline constexpr std::size_t kDescribedMostBytes = 1024;  // a frame or a text line
inline constexpr std::size_t kDescribedMostFields = 64;
inline constexpr std::size_t kDescribedMostMapEntries = 256;
inline constexpr std::size_t kDescribedMostRequests = 16;
inline constexpr int kDescribedMostChannels = 16;
inline constexpr std::uint32_t kDescribedLeastPeriodMs = 50;
inline constexpr std::uint32_t kDescribedMostPeriodMs = 3'600'000;

enum class DescribedFraming : std::uint8_t {
    TextLines,    // one message a line, its columns listed by the description
    HeaderLines,  // text lines whose own header lines name the columns
    Binary,       // start bytes, a fixed length or a length field, end bytes
};

enum class ChecksumKind : std::uint8_t { None, Sum8, Xor, Crc16Modbus, Crc8 };

// The part of a Reading a field fills.
enum class ReadingPart : std::uint8_t {
    Skip,
    Voltage,
    Current,
    Capacity,
    Energy,
    Power,
    InputVoltage,
    IntTemperature,
    ExtTemperature,
    Resistance,
    Cell,  // with `cell` 0..15
    ErrorCode,
    Channel,
    State,
    Chemistry,
};

enum class FieldType : std::uint8_t { U8, I8, U16, I16, U32, I32, Float };

struct DescribedField {
    ReadingPart part = ReadingPart::Skip;
    int cell = 0;  // ReadingPart::Cell: 0 for cell 1
    // Text: the column (0 for the first item after the start). Binary: the
    // byte offset from the frame's first byte.
    std::size_t position = 0;
    FieldType type = FieldType::U8;  // binary only
    bool bigEndian = false;          // binary only
    // The value given to the Reading is the number read × scale (a unit's
    // factor is already in it: 0.001 for a voltage in mV).
    double scale = 1.0;
    std::string name;  // HeaderLines: the column's name in the header
};

// One maker's value ("1", "CHG") and what it means.
struct DescribedMapEntry {
    std::string value;
    int id = 0;        // ChargeState or Chemistry, as an int
    std::string text;  // shown for it (the maker's value when not given)
};

struct DescribedRequest {
    int channel = 1;
    std::vector<std::uint8_t> bytes;
};

struct ChargerDescription {
    std::string id;
    std::string maker;
    std::vector<std::string> models;
    std::string comment;
    LineSettings line;

    DescribedFraming framing = DescribedFraming::TextLines;
    // Text: the characters that start a line ("$"; may be empty) and the
    // item separator. Lines end at '\n' (a '\r' before it is dropped).
    std::string start;
    char separator = ';';
    // Binary: the bytes that start and end a frame, and its length: fixed,
    // or read from a field (lengthType at lengthOffset) + lengthAdjust.
    std::vector<std::uint8_t> startBytes;
    std::vector<std::uint8_t> endBytes;
    std::size_t fixedLength = 0;
    bool lengthField = false;
    std::size_t lengthOffset = 0;
    FieldType lengthType = FieldType::U8;
    bool lengthBigEndian = false;
    int lengthAdjust = 0;

    ChecksumKind checksum = ChecksumKind::None;
    // Text: the checksum is the last item, written in decimal or hex, over
    // the line from its start (with the start characters when
    // checksumWithStart) up to the separator before it (included when
    // checksumWithSeparator). Binary: over bytes checksumFrom up to the
    // checksum, which lies just before the end bytes; a CRC16 low byte
    // first unless checksumBigEndian.
    bool checksumHex = false;
    bool checksumWithStart = true;
    bool checksumWithSeparator = true;
    std::size_t checksumFrom = 0;
    bool checksumBigEndian = false;

    std::vector<DescribedField> fields;
    std::vector<DescribedMapEntry> states;
    std::vector<DescribedMapEntry> chemistries;
    int channels = 1;

    std::vector<DescribedRequest> requests;
    std::uint32_t periodMs = 1000;
};

// The checksum's size in bytes within a binary frame.
std::size_t checksumBytes(ChecksumKind kind);
// The checksum of `bytes`.
std::uint32_t checksumOf(ChecksumKind kind, std::span<const std::uint8_t> bytes);
// A field's size in bytes within a binary frame.
std::size_t fieldBytes(FieldType type);
// The factor that turns `unit` into the unit a Reading keeps for `part`
// ("mV" for a voltage: 0.001); 0 when the unit does not fit the part. An
// empty unit is the part's own.
double unitFactor(ReadingPart part, std::string_view unit);
// The smallest frame the description allows (its fields, checksum, end).
std::size_t leastFrameBytes(const ChargerDescription& d);

}  // namespace cellwatch
