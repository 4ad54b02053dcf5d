// A capture: every byte received from the charger with the moment it
// arrived, kept so that a run can be played back through the receive path
// exactly as it happened (see capture_replay.h).
//
// The file (suffix .cwcap) is binary, all numbers little-endian:
//
//   header, 24 bytes
//     0   6  magic "CWCAP" 0x1A
//     6   2  format version, 1
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

inline constexpr std::uint16_t kCaptureVersion = 1;
inline constexpr std::size_t kCaptureHeaderSize = 24;
inline constexpr std::size_t kCaptureRecordHeaderSize = 14;
inline constexpr std::size_t kCaptureMaxRecordBytes = 0xFFFF;

// Where the recording began.
struct CaptureStart {
    std::int64_t wallMs = 0;            // ms since 1970-01-01 UTC
    std::int32_t utcOffsetSeconds = 0;  // of the local time
    std::uint32_t ticks = 0;            // tick counter
};

// One receive event.
struct CaptureRecord {
    std::int64_t wallMs = 0;
    std::uint32_t ticks = 0;
    std::vector<std::uint8_t> bytes;

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

    // The header; once, before any record.
    void writeStart(const CaptureStart& start);
    // One receive event; more than 65535 bytes become several records of the
    // same moment. Throws CaptureError when the write fails.
    void writeRecord(std::int64_t wallMs, std::uint32_t ticks, std::span<const std::uint8_t> bytes);
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
    bool truncated_ = false;
};

}  // namespace cellwatch
