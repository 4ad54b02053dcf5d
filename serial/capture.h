// A capture: every byte received from the charger with the moment it
// arrived, kept so that a run can be played back through the receive path
// exactly as it happened (see capture_replay.h).
//
// The file (suffix .cwcap) is binary, all numbers little-endian. Format 2:
//
//   header, 24 bytes
//     0   6  magic "CWCAP" 0x1A
//     6   2  format version, 2
//     8   8  wall clock when the recording began: ms since 1970-01-01 UTC (signed)
//     16  4  the local time's offset from UTC then, in seconds (signed)
//     20  4  tick counter when the recording began (ConnectTicks)
//   the charger's driver
//     0   1  n, 1 to 32
//     1   n  its id (printable ASCII: "tkrx")
//   then one record per receive event or write, 15 bytes + its bytes
//     0   8  wall clock at arrival (or when written): ms since 1970-01-01 UTC (signed)
//     8   4  tick counter then
//     12  1  direction: 0 received from the charger, 1 sent to it
//     13  2  n, the number of bytes
//     15  n  the bytes, as read from (or written to) the port
//
// Format 1, which captures made before the drivers have and which is still
// read, has no driver block (its driver is the first family's, "tkrx") and
// records of 14 bytes without the direction (all received):
//
//   header, 24 bytes, as above with version 1
//     8   8  wall clock when the recording began: ms since 1970-01-01 UTC (signed)
//     16  4  the local time's offset from UTC then, in seconds (signed)
//     20  4  tick counter when the recording began (ConnectTicks)
//   then one record per receive event, 14 bytes + its bytes
//     0   8  wall clock at arrival: ms since 1970-01-01 UTC (signed)
//     8   4  tick counter at arrival
//     12  2  n, the number of bytes
//     14  n  the bytes, as read from the port
//
// The writer flushes every record to the system as it is written, so a
// program that is killed loses at most the record being written. A reader
// takes every whole record and stops quietly before a cut-off last one
// (truncated() tells). A file that does not start with the magic, or whose
// header is cut off, is refused.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace cellwatch {

// Format 1's version and record header, which the network's messages share.
inline constexpr std::uint16_t kCaptureVersion = 1;
inline constexpr std::size_t kCaptureHeaderSize = 24;
inline constexpr std::size_t kCaptureRecordHeaderSize = 14;
// Format 2: named driver, both directions (what the writer writes).
inline constexpr std::uint16_t kCaptureNamedVersion = 2;
inline constexpr std::size_t kCaptureNamedRecordHeaderSize = 15;
inline constexpr std::size_t kCaptureMostDriverIdBytes = 32;
inline constexpr std::size_t kCaptureMaxRecordBytes = 0xFFFF;

// Where the recording began.
struct CaptureStart {
    std::int64_t wallMs = 0;            // ms since 1970-01-01 UTC
    std::int32_t utcOffsetSeconds = 0;  // of the local time
    std::uint32_t ticks = 0;            // tick counter
    std::string driver = "tkrx";        // the charger's driver
};

enum class CaptureDirection : std::uint8_t { Received = 0, Sent = 1 };

// One receive event.
struct CaptureRecord {
    std::int64_t wallMs = 0;
    std::uint32_t ticks = 0;
    std::vector<std::uint8_t> bytes;
    CaptureDirection direction = CaptureDirection::Received;

    bool operator==(const CaptureRecord&) const = default;
};

// Cannot read or write a capture; what() is one line naming the file.
class CaptureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CaptureWriter {
public:
    // Creates or replaces the file at `path` (native encoding): a regular
    // file, or a standard stream (see file_open.h). Throws CaptureError
    // "cannot write PATH: reason", without waiting, for anything else.
    explicit CaptureWriter(const std::string& path);
    ~CaptureWriter();
    CaptureWriter(const CaptureWriter&) = delete;
    CaptureWriter& operator=(const CaptureWriter&) = delete;

    // The header and the driver's id; once, before any record. Throws
    // CaptureError for an id that is empty, longer than 32 bytes or not
    // printable ASCII.
    void writeStart(const CaptureStart& start);
    // One receive event (or write); more than 65535 bytes become several
    // records of the same moment. Throws CaptureError when the write fails.
    void writeRecord(std::int64_t wallMs, std::uint32_t ticks, std::span<const std::uint8_t> bytes,
                     CaptureDirection direction = CaptureDirection::Received);
    // Closes the file; throws CaptureError when the last write fails.
    void close();

    const std::string& path() const { return path_; }

private:
    void put(std::span<const std::uint8_t> bytes);
    [[noreturn]] void fail();

    std::string path_;
    std::FILE* file_ = nullptr;
    bool started_ = false;
};

class CaptureReader {
public:
    // Opens `path` and reads its header. Throws CaptureError when it cannot
    // be read, is no regular file (a FIFO is refused, not waited on), is not
    // a capture, has a cut-off header or a newer version.
    explicit CaptureReader(const std::string& path);
    ~CaptureReader();
    CaptureReader(const CaptureReader&) = delete;
    CaptureReader& operator=(const CaptureReader&) = delete;

    const CaptureStart& start() const { return start_; }
    // The file's format: 1 (made before the drivers) or 2.
    std::uint16_t version() const { return version_; }

    // The next whole record into `record` (its buffer is reused); false at
    // the end of the file or before a cut-off last record. Throws
    // CaptureError on a read error.
    bool next(CaptureRecord& record);

    // The file ended inside a record.
    bool truncated() const { return truncated_; }
    const std::string& path() const { return path_; }

private:
    // Reads exactly dest.size() bytes; returns how many it got before the end.
    std::size_t take(std::span<std::uint8_t> dest);

    std::string path_;
    std::FILE* file_ = nullptr;
    CaptureStart start_;
    std::uint16_t version_ = kCaptureNamedVersion;
    bool truncated_ = false;
};

}  // namespace cellwatch
