// A frames file: received messages written as text, one per line, in hex
// (spaces allowed between digit pairs), each optionally preceded by the
// moment it arrived and ": ":
//
//   2025-02-27_12-44-47: 7b 81 80 ...
//   2025-02-27T12:44:47.123: 7b8180...
//   7b 81 80 ...
//
// Blank lines and lines starting with '#' are skipped. A line that is
// neither is bad: it is counted and passed over, never fatal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cellwatch {

// The value of a hex digit, -1 for any other character.
int hexDigit(char c);

struct FramesLine {
    enum class Kind { Skipped, Frame, Bad };
    Kind kind = Kind::Skipped;
    // The moment, ms since 1970-01-01 as written (no time zone); nothing
    // when the line gives none.
    std::optional<std::int64_t> timeMs;
    std::vector<std::uint8_t> bytes;
};

// One line, without its line end.
FramesLine parseFramesLine(std::string_view line);

struct FramesEntry {
    std::int64_t timeMs = 0;  // see readFramesText
    std::vector<std::uint8_t> bytes;
};

struct FramesText {
    std::vector<FramesEntry> frames;
    std::uint64_t badLines = 0;
    std::vector<std::size_t> badLineNumbers;  // the first few, 1 = the first line
    bool timed = false;                       // some line gave a time
};

// The frames of a whole text, with their times: as written, or, for a line
// without one, one second after the frame before (the first untimed frame
// of the text at 0, or at the time of the first timed one when any has).
FramesText readFramesText(std::string_view text);

// "3 bad lines in FILE (lines 4, 9, 12) were skipped"; "" when none.
std::string badFramesLinesText(const FramesText& frames, std::string_view file);

}  // namespace cellwatch
