// A recording file's text, as RecordingFile reads it: the whole file at once
// (FileBytes, recordingText) or block by block (readTextLines), with the
// same limits and the same messages for a file that is no recording.
#pragma once

#include <QString>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace cellwatch {

// Larger files are no recordings (a million rows are about 100 MB).
inline constexpr std::size_t kMaxRecordingBytes = std::size_t{1} << 30;

// Throw std::runtime_error: "Cannot read FILE: WHY." and "FILE is not a
// recording: REASON".
[[noreturn]] void cannotReadRecording(const QString& fileName, const QString& why);
[[noreturn]] void notARecording(const QString& fileName, const QString& reason);

// The bytes of a regular file, read into memory (not mapped: a file cut
// short on its drive while it is read would fault a mapping). A file that
// shrinks while it is read gives what was read; cutWhileReading() tells.
class FileBytes {
public:
    // Throws std::runtime_error when the file cannot be read, is not a
    // regular file (a device, a FIFO, a folder; checked on the opened file,
    // so nothing put in its place meanwhile is read either) or is too large.
    explicit FileBytes(const QString& fileName);

    const char* begin() const { return copy_.data(); }
    const char* end() const { return copy_.data() + copy_.size(); }
    bool cutWhileReading() const { return cut_; }

private:
    std::string copy_;
    bool cut_ = false;
};

// The text of a file without its byte-order mark and trailing NUL bytes.
std::string_view recordingText(const FileBytes& bytes);

// Reads a regular file a block at a time and hands its text on in whole
// lines (`last` false), then what follows the last line break (`last` true),
// without its byte-order mark and trailing NUL bytes. Throws as FileBytes
// does, and for an empty file or one holding binary data. Returns whether
// the file was cut short while it was read.
bool readTextLines(const QString& fileName,
                   const std::function<void(std::string_view text, bool last)>& lines);

}  // namespace cellwatch
