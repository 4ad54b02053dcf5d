// The texts of a reading's table row, and reading them back: the only code
// that makes or parses a row's texts (the table's cells, an export, a
// journal line, cellwatch-log --out, cellwatch-dump's line and the numbers
// of the MQTT and page messages).
//
// The row is the first charger family's ("tkrx"): 22 fields, field n in
// table column n + 1 (protocol/table_fields.h numbers them):
//   0      the elapsed time, "H:mm:ss" (hours counting on past 24), whole
//          seconds rounded half up, independent of the locale;
//   1, 2   the battery type and the state: the charger's own words;
//   5-7, 9 input voltage, battery voltage, current and power in "##0.00";
//   others the shortest plain form (25, 4.1, -1.5, 1234);
//   10-21  cells 1 to 12, "0" for an absent cell.
// A value a reading does not have (std::nullopt) is an empty text.
//
// Reading back, a text is "in the program's own form" when it is exactly
// the text its value gives; any other text (a spreadsheet's "15" for
// "15.00", more decimals, a blank) is still a number when it reads as one
// (number()), but only its text says how it was written.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/reading.h"
#include "protocol/table_fields.h"

namespace cellwatch {

class ReadingFormat {
public:
    // The driver whose rows these are.
    static constexpr std::string_view kDriverId = "tkrx";
    static constexpr int kFieldCount = kRowFieldCount;
    // Numbers beyond this size read as missing: no charger measures them
    // (a damaged or forged file's 1e308, a 300-digit number).
    static constexpr double kMostValue = 1e9;
    // The largest elapsed time (in whole seconds) whose text reads back.
    static constexpr std::uint32_t kMostSeconds = UINT32_MAX / 1000;

    // Whether the field is shown with exactly two decimals.
    static constexpr bool twoDecimals(int field) {
        return field == kFieldInputVoltage || field == kFieldVoltage || field == kFieldCurrent ||
               field == kFieldPower;
    }

    // The elapsed time of `ms` milliseconds, "H:mm:ss".
    static std::string elapsedText(std::uint32_t ms);
    static void appendElapsed(std::string& out, std::uint32_t ms);
    // Reads "H:mm:ss" (also "HH:mm:ss" and "mm:ss") into whole seconds.
    static std::optional<std::uint32_t> parseElapsed(std::string_view text);
    // Whether the text is exactly elapsedText() of whole seconds, with them.
    static bool readOwnElapsed(std::string_view text, std::uint32_t& seconds);

    // The text of a number of `field` given in hundredths.
    static void appendNumber(std::string& out, int field, std::int64_t hundredths);
    static std::string numberText(int field, std::int64_t hundredths);
    // Whether the text is exactly numberText(field, h) of some h that fits
    // 32 bits, with it; read without formatting anything.
    static bool readOwnNumber(std::string_view text, int field, std::int32_t& hundredths);
    // The same at the start of [p, end): past the number when one in the
    // program's own form starts there (the caller checks what follows it:
    // a third decimal or a trailing zero is then no such number), else
    // nullptr.
    // (Inline: a row's reader calls it for every number.)
    static const char* readOwnNumberAt(const char* p, const char* end, int field,
                                       std::int32_t& hundredths);

    // A field's text as a number: the program's own texts quickly, any other
    // plain number a spreadsheet may write ("15", "1e3", "+2"); NaN for an
    // empty text, one with a blank before or after it, and one that is no
    // finite number or is beyond kMostValue.
    static double number(std::string_view text);
    // Whether a text is given but is no measurement (number() gives NaN).
    static bool isNoMeasurement(std::string_view text);
    // The exact double of a value held in hundredths (what number() gives
    // for its text).
    static double value(std::int64_t hundredths) { return static_cast<double>(hundredths) / 100.0; }

    // The enums of the charger's words ("+CHG+", "LiIo/Po/Fe"); a word it
    // does not use reads Idle and Unknown.
    // Field `field`'s value of a reading (cells past cellCount are 0 V, as
    // the table's twelve slots show them); nothing for a value not reported
    // and for the texts.
    static std::optional<Decimal> fieldValue(const Reading& r, int field);
    static ChargeState stateOf(std::string_view text);
    static Chemistry chemistryOf(std::string_view text);

    // Field 0..21 of a reading (see above).
    static void appendFieldText(std::string& out, const Reading& reading, int field);
    static std::string fieldText(const Reading& reading, int field);

    // A number in a JSON message (MQTT, the page): the shortest plain
    // decimal of a value of at most four decimals ("4.1", "15", "-0.5"), the
    // shortest text that reads back otherwise, "null" for no finite number.
    static void appendJsonNumber(std::string& out, double value);
    // A whole number (a count, ticks, ms since 1970) in a JSON message.
    static void appendWhole(std::string& out, std::int64_t value);

    // cellwatch-dump's line: the frame layout's name, then fields 1 to 21,
    // parted by single tabs, no trailing tab and no newline.
    static std::string dumpLine(const Reading& reading, std::string_view layoutName);

private:
    static constexpr bool digit(char c) { return c >= '0' && c <= '9'; }
};

inline const char* ReadingFormat::readOwnNumberAt(const char* p, const char* end, int field,
                                                  std::int32_t& hundredths) {
    const bool negative = p != end && *p == '-';
    p += negative ? 1 : 0;
    const char* const intStart = p;
    std::int64_t whole = 0;
    while (p != end && digit(*p)) {
        whole = whole * 10 + (*p - '0');
        if (++p - intStart > 9) {
            return nullptr;
        }
    }
    const auto intDigits = p - intStart;
    if (intDigits == 0 || (intDigits > 1 && *intStart == '0')) {
        return nullptr;  // no digits, or a leading zero
    }
    std::int64_t h = whole * 100;
    if (twoDecimals(field)) {
        if (end - p < 3 || p[0] != '.' || !digit(p[1]) || !digit(p[2])) {
            return nullptr;
        }
        h += (p[1] - '0') * 10 + (p[2] - '0');
        p += 3;
    } else if (p != end && *p == '.') {
        // ".d" or ".dd", no trailing zero
        if (end - p < 2 || !digit(p[1])) {
            return nullptr;
        }
        const bool second = end - p >= 3 && digit(p[2]);
        const char last = second ? p[2] : p[1];
        if (last == '0') {
            return nullptr;
        }
        h += (p[1] - '0') * 10 + (second ? p[2] - '0' : 0);
        p += second ? 3 : 2;
    }
    if ((negative && h == 0) || h > std::numeric_limits<std::int32_t>::max()) {
        return nullptr;
    }
    hundredths = static_cast<std::int32_t>(negative ? -h : h);
    return p;
}

}  // namespace cellwatch
