#include "protocol/reading_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

namespace cellwatch {
namespace {

// Which texts are the program's own (stored as numbers) and which are kept
// as written: a spreadsheet's "15" for "15.00", a trailing zero, a blank.
TEST(ReadingFormatTest, OwnNumberTextsAndTheOddFormsKeptAsText) {
    struct Case {
        const char* text;
        int field;
        std::optional<std::int32_t> hundredths;  // nothing: not the program's own text
    };
    const Case cases[] = {
        {"15.00", kFieldVoltage, 1500},
        {"-1.50", kFieldCurrent, -150},
        {"0.00", kFieldPower, 0},
        {"12.05", kFieldInputVoltage, 1205},
        {"15", kFieldVoltage, std::nullopt},  // a spreadsheet's form
        {"15.0", kFieldVoltage, std::nullopt},
        {"15.000", kFieldVoltage, std::nullopt},
        {"-0.00", kFieldCurrent, std::nullopt},
        {"4.1", kFieldCell1, 410},
        {"4.15", kFieldCell1 + 3, 415},
        {"4.05", kFieldCell12, 405},
        {"250", kFieldCapacity, 25000},
        {"0", kFieldCell1, 0},
        {"-5", kFieldExtTemperature, -500},
        {"4.10", kFieldCell1, std::nullopt},  // a trailing zero
        {"4.0", kFieldCell1, std::nullopt},
        {"4.", kFieldCell1, std::nullopt},
        {".5", kFieldCell1, std::nullopt},
        {"007", kFieldCapacity, std::nullopt},
        {"-0", kFieldCapacity, std::nullopt},
        {"4.125", kFieldCell1, std::nullopt},
        {"", kFieldCell1, std::nullopt},
        {" 4.1", kFieldCell1, std::nullopt},
        {"4.1 ", kFieldCell1, std::nullopt},
        {"1e3", kFieldCapacity, std::nullopt},
        {"+5", kFieldCapacity, std::nullopt},
        {"21474837", kFieldCapacity, std::nullopt},  // beyond 32 bits of hundredths
        {"21474836", kFieldCapacity, 2147483600},
        {"2147483647", kFieldCapacity, std::nullopt},
        {"21474836.48", kFieldVoltage, std::nullopt},
        {"21474836.47", kFieldVoltage, 2147483647},
        {"1234567890", kFieldCell1, std::nullopt},  // nine integer digits at most
        {"9999999.99", kFieldVoltage, 999999999},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::int32_t h = 12345;
        const bool own = ReadingFormat::readOwnNumber(c.text, c.field, h);
        ASSERT_EQ(own, c.hundredths.has_value());
        if (own) {
            EXPECT_EQ(h, *c.hundredths);
            EXPECT_EQ(ReadingFormat::numberText(c.field, h), c.text);  // and back
        }
    }
}

// Every value's text reads back as that value, in both forms of field.
TEST(ReadingFormatTest, NumberTextsReadBackAsTheirValues) {
    for (const int field : {kFieldVoltage, kFieldCapacity}) {
        for (std::int64_t h = -100'050; h <= 100'050; h += 7) {
            std::int32_t back = 0;
            const std::string text = ReadingFormat::numberText(field, h);
            ASSERT_TRUE(ReadingFormat::readOwnNumber(text, field, back)) << text;
            ASSERT_EQ(back, h) << text;
            ASSERT_EQ(ReadingFormat::number(text), static_cast<double>(h) / 100.0) << text;
        }
    }
}

TEST(ReadingFormatTest, AnyNumberASpreadsheetWritesReadsAsANumber) {
    const double nan = std::nan("");
    struct Case {
        const char* text;
        double value;  // NaN: no measurement
    };
    const Case cases[] = {
        {"15", 15},   {"15.00", 15}, {"1e3", 1000}, {"+2", 2},      {"-1.5", -1.5},
        {".5", 0.5},  {"\t5", 5},    {"5\r", 5},    {"", nan},      {" 4", nan},
        {"4 ", nan},  {"nan", nan},  {"inf", nan},  {"1e308", nan}, {"1e10", nan},
        {"1,5", nan}, {"+-2", nan},  {"abc", nan},  {"0x10", nan},  {"1e", nan},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const double value = ReadingFormat::number(c.text);
        if (std::isnan(c.value)) {
            EXPECT_TRUE(std::isnan(value)) << value;
        } else {
            EXPECT_EQ(value, c.value);
            EXPECT_FALSE(ReadingFormat::isNoMeasurement(c.text));
        }
    }
    // Given, but no measurement; an empty text is absent instead.
    for (const char* bad : {"nan", "inf", "1e308", "123456789012345678901234567890"}) {
        EXPECT_TRUE(ReadingFormat::isNoMeasurement(bad)) << bad;
    }
    EXPECT_FALSE(ReadingFormat::isNoMeasurement(""));
}

TEST(ReadingFormatTest, ElapsedTimesOwnAndOtherForms) {
    struct Case {
        const char* text;
        std::optional<std::uint32_t> seconds;  // what it reads as
        bool own;                              // the program's own form
    };
    const Case cases[] = {
        {"0:00:00", 0, true},
        {"0:00:01", 1, true},
        {"25:00:00", 90'000, true},
        {"1193:02:47", 4'294'967, true},  // the largest
        {"1193:02:48", 4'294'968, false},
        {"00:00:01", 1, false},  // HH:mm:ss, as a spreadsheet writes it
        {"01:30", 90, false},    // mm:ss
        {"1:60:00", std::nullopt, false},
        {"1:5:00", 3900, false},
        {"1:00:60", std::nullopt, false},
        {"", std::nullopt, false},
        {"1:00:0a", std::nullopt, false},
        {"-1:00:00", std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadingFormat::parseElapsed(c.text), c.seconds);
        std::uint32_t seconds = 0;
        EXPECT_EQ(ReadingFormat::readOwnElapsed(c.text, seconds), c.own);
        if (c.own) {
            EXPECT_EQ(seconds, *c.seconds);
            EXPECT_EQ(ReadingFormat::elapsedText(seconds * 1000), c.text);
        }
    }
    EXPECT_EQ(ReadingFormat::elapsedText(1499), "0:00:01");  // whole seconds, halves up
    EXPECT_EQ(ReadingFormat::elapsedText(1500), "0:00:02");
}

// A reading's row: absent values are empty, the cells the family has no
// reading of are 0, the maker's words are kept as they came.
TEST(ReadingFormatTest, AReadingsFieldTexts) {
    Reading r;
    r.elapsedMs = 3'723'400;
    r.chemistryText = "LiIo/Po/Fe";
    r.stateText = "+CHG+";
    r.voltage = Decimal::fromHundredths(1261);
    r.current = Decimal::fromRaw(-15'055);  // shown rounded: -1.51
    r.capacity = Decimal::fromInt(1234);
    r.power = Decimal::fromHundredths(1898);
    r.intTemperature = Decimal::fromInt(31);
    r.cellCount = 3;
    r.cells[0] = Decimal::fromHundredths(420);
    r.cells[1] = Decimal::fromHundredths(419);
    r.cells[2] = Decimal::fromHundredths(422);
    std::string row;
    for (int field = 0; field < ReadingFormat::kFieldCount; ++field) {
        row += (field > 0 ? "|" : "") + ReadingFormat::fieldText(r, field);
    }
    EXPECT_EQ(
        row,
        "1:02:03|LiIo/Po/Fe|+CHG+||31||12.61|-1.51|1234|18.98|4.2|4.19|4.22|0|0|0|0|0|0|0|0|0");
    EXPECT_EQ(ReadingFormat::dumpLine(r, "112"),
              "112\tLiIo/Po/"
              "Fe\t+CHG+\t\t31\t\t12.61\t-1.51\t1234\t18.98\t4.2\t4.19\t4.22\t0\t0\t0\t0\t0\t0"
              "\t0\t0\t0");
    EXPECT_EQ(ReadingFormat::stateOf("+CHG+"), ChargeState::Charging);
    EXPECT_EQ(ReadingFormat::stateOf("-DSC-"), ChargeState::Discharging);
    EXPECT_EQ(ReadingFormat::stateOf("+chg+"), ChargeState::Idle);
    EXPECT_EQ(ReadingFormat::chemistryOf("LiIo/Po/Fe"), Chemistry::Lithium);
    EXPECT_EQ(ReadingFormat::chemistryOf("Pb"), Chemistry::Pb);
    EXPECT_EQ(ReadingFormat::chemistryOf("LiPo"), Chemistry::Unknown);
}

}  // namespace
}  // namespace cellwatch
