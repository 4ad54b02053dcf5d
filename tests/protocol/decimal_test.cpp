#include "protocol/decimal.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "tests/protocol/decimal_text.h"

namespace cellwatch {
namespace {

using testing::d;

struct FormatCase {
    const char* value;
    const char* pattern;
    const char* expected;
};

TEST(DecimalText, FormatPatterns) {
    const FormatCase cases[] = {
        {"0", "##0.00", "0.00"},
        {"4.2", "##0.00", "4.20"},
        {"12", "##0.00", "12.00"},
        {"1234.5", "##0.00", "1234.50"},  // no grouping, integer part never cut
        {"-1.5", "##0.00", "-1.50"},
        {"0.5", "##0.00", "0.50"},     // at least one integer digit
        {"-0.001", "##0.00", "0.00"},  // never "-0.00"
        {"-0.004", "##0.00", "0.00"},
        {"-0.005", "##0.00", "-0.01"},  // half away from zero
        {"2.345", "##0.00", "2.35"},
        {"-2.345", "##0.00", "-2.35"},
        {"2.3449", "##0.00", "2.34"},
        {"24.68", "###0.00", "24.68"},
        {"0.25", "###0.00", "0.25"},
        {"3.925", "##0.000", "3.925"},
        {"3.7", "##0.000", "3.700"},
        {"24.6812", "###0.000", "24.681"},
        {"0.0005", "###0.000", "0.001"},
        {"-0.0004", "###0.000", "0.000"},
        {"99.995", "##0.00", "100.00"},  // carry into a new integer digit
        {"-99.995", "##0.00", "-100.00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(d(c.value).format(c.pattern), c.expected) << c.value << " " << c.pattern;
    }
}

TEST(DecimalText, PlainForm) {
    const std::pair<const char*, const char*> cases[] = {
        {"25", "25"},       {"1234", "1234"},   {"4.1", "4.1"},       {"4.10", "4.1"},
        {"0", "0"},         {"-0", "0"},        {"-1.5", "-1.5"},     {"0.0001", "0.0001"},
        {"12.34", "12.34"}, {"-0.01", "-0.01"}, {"128.27", "128.27"}, {"100.0000", "100"},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(d(in).plainText(), out) << in;
    }
    EXPECT_EQ(Decimal::fromRaw(INT64_MIN + 1).plainText(), "-922337203685477.5807");
}

TEST(DecimalText, ParseRejectsMalformed) {
    for (const char* bad : {"", "-", ".", "1.", ".5", "1.23456", "1,5", "1e3", " 1", "1 ", "+1",
                            "--1", "1.2.3", "abc"}) {
        EXPECT_FALSE(Decimal::parse(bad).has_value()) << bad;
    }
}

TEST(DecimalText, IgnoresSystemLocale) {
    // A locale with a decimal comma must not change any text form.
    const char* old = std::setlocale(LC_ALL, nullptr);
    std::string saved = old ? old : "C";
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr) {
        EXPECT_EQ(d("1234.5").format("##0.00"), "1234.50");
        EXPECT_EQ(d("4.1").plainText(), "4.1");
    }
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(DecimalArithmetic, TwoDecimalProductsAreExact) {
    EXPECT_EQ(d("12.34") * d("-2.00"), d("-24.68"));
    EXPECT_EQ(d("0.50") * d("0.50"), d("0.25"));
    EXPECT_EQ(d("127.99") * d("127.99"), d("16381.4401"));
    EXPECT_EQ(d("-1.01") * d("-1.01"), d("1.0201"));
    // Beyond four decimals the product is rounded half away from zero.
    EXPECT_EQ(d("0.0001") * d("0.5"), d("0.0001"));
    EXPECT_EQ(d("-0.0001") * d("0.5"), d("-0.0001"));
    EXPECT_EQ(d("0.0001") * d("0.4"), d("0"));
    // Large values do not overflow the intermediate product.
    EXPECT_EQ(d("100000000") * d("1000"), d("100000000000"));
}

TEST(DecimalArithmetic, SumsComparisonsAndSigns) {
    EXPECT_EQ(d("0.1") + d("0.2"), d("0.3"));  // exact, unlike binary floating point
    EXPECT_EQ(d("10") - d("12798"), d("-12788"));
    EXPECT_LT(d("-1"), d("0"));
    EXPECT_GT(d("50.01"), d("50"));
    EXPECT_EQ(d("-4.99").abs(), d("4.99"));
    EXPECT_EQ(-d("1.5"), d("-1.5"));
}

TEST(DecimalArithmetic, DivisionAndRoundingModes) {
    EXPECT_EQ(d("1").dividedBy(d("3")), d("0.3333"));
    EXPECT_EQ(d("2").dividedBy(d("3")), d("0.6667"));
    EXPECT_EQ(d("-2").dividedBy(d("3")), d("-0.6667"));
    EXPECT_EQ(d("2").dividedBy(d("-3")), d("-0.6667"));
    EXPECT_EQ(d("5").dividedBy(d("0")), d("0"));
    EXPECT_EQ(d("2").dividedBy(d("3"), Rounding::TowardZero), d("0.6666"));

    struct Case {
        const char* value;
        int places;
        Rounding mode;
        const char* expected;
    };
    const Case cases[] = {
        {"16.65", 1, Rounding::HalfToEven, "16.6"},
        {"16.75", 1, Rounding::HalfToEven, "16.8"},
        {"16.65", 1, Rounding::HalfAwayFromZero, "16.7"},
        {"-16.65", 1, Rounding::HalfAwayFromZero, "-16.7"},
        {"-16.65", 1, Rounding::HalfToEven, "-16.6"},
        {"2.5", 0, Rounding::HalfToEven, "2"},
        {"3.5", 0, Rounding::HalfToEven, "4"},
        {"2.5", 0, Rounding::HalfAwayFromZero, "3"},
        {"2.99", 0, Rounding::TowardZero, "2"},
        {"-2.99", 0, Rounding::TowardZero, "-2"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(d(c.value).rounded(c.places, c.mode), d(c.expected)) << c.value;
    }
    EXPECT_EQ(d("16.5").roundedToInt(Rounding::HalfToEven), 16);
    EXPECT_EQ(d("17.5").roundedToInt(Rounding::HalfToEven), 18);
    EXPECT_EQ(d("-0.5").roundedToInt(), -1);
}

// The quick reading of a plain number gives exactly what a full conversion
// gives, and refuses every other form.
TEST(DecimalText, PlainDoubleIsTheFullConversion) {
    std::vector<std::string> texts;
    for (const char* named : {"0", "-0", "4.1", "4.12", "12.60", "-1.50", "250", "0.001",
                              "99999999999.9999", "123456789012345", "7.", ".25"}) {
        texts.emplace_back(named);
    }
    for (int k = -20'000; k <= 20'000; k += 13) {
        texts.push_back(Decimal::fromHundredths(k).format(kFormat2));
        texts.push_back(Decimal::fromThousandths(k).plainText());
    }
    for (const std::string& text : texts) {
        const std::optional<double> quick = Decimal::parsePlainDouble(text);
        ASSERT_TRUE(quick.has_value()) << text;
        EXPECT_EQ(*quick, std::strtod(text.c_str(), nullptr)) << text;
    }
    for (const char* other : {"", "-", ".", "1e3", "1,5", " 1", "1 ", "+1", "1.2.3", "--1",
                              "1234567890123456", "nan", "inf", "0x10"}) {
        EXPECT_FALSE(Decimal::parsePlainDouble(other).has_value()) << other;
    }
}

}  // namespace
}  // namespace cellwatch
