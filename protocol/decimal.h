// Fixed-point decimal numbers and their text forms.
//
// Every measured value in Cellwatch is a Decimal: a signed 64-bit count of
// ten-thousandths. The charger reports at most two decimals, so sums and
// products of its values are exact.
//
// Text forms never depend on the system locale: the decimal separator is
// always '.', there is never a thousands separator and never "-0.00".
//
// Rounding rule at exact halves: half away from zero (2.345 -> "2.35",
// -2.345 -> "-2.35"), which is what spreadsheet users expect. Code that needs
// another rule (the cell panel rounds halves to even) asks for it by name.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cellwatch {

enum class Rounding {
    HalfAwayFromZero,  // the default everywhere text is produced
    HalfToEven,        // banker's rounding
    TowardZero,        // truncation
};

class Decimal {
public:
    static constexpr std::int64_t kScale = 10000;  // four decimal places
    static constexpr int kPlaces = 4;

    constexpr Decimal() = default;

    static constexpr Decimal fromRaw(std::int64_t tenThousandths) {
        return Decimal(tenThousandths);
    }
    static constexpr Decimal fromInt(std::int64_t whole) { return Decimal(whole * kScale); }
    static constexpr Decimal fromHundredths(std::int64_t hundredths) {
        return Decimal(hundredths * 100);
    }
    static constexpr Decimal fromThousandths(std::int64_t thousandths) {
        return Decimal(thousandths * 10);
    }

    // Parses a plain decimal text: optional '-', digits, optional '.' and up to
    // four decimals ("12", "-1.5", "0.0001"). Anything else gives nullopt.
    static std::optional<Decimal> parse(std::string_view text);

    // Reads a plain decimal text with at most 15 digits ("-12.34", "4.1",
    // "250") as the nearest double, as fast as the text allows: the digits as
    // a whole number divided by a power of ten, which IEEE division rounds
    // exactly as a full conversion does. Anything else gives nullopt (the
    // caller may then try a full conversion).
    static std::optional<double> parsePlainDouble(std::string_view text);

    constexpr std::int64_t raw() const { return raw_; }
    double toDouble() const { return static_cast<double>(raw_) / static_cast<double>(kScale); }
    constexpr bool isZero() const { return raw_ == 0; }

    constexpr Decimal operator-() const { return Decimal(-raw_); }
    constexpr Decimal operator+(Decimal o) const { return Decimal(raw_ + o.raw_); }
    constexpr Decimal operator-(Decimal o) const { return Decimal(raw_ - o.raw_); }
    constexpr Decimal& operator+=(Decimal o) {
        raw_ += o.raw_;
        return *this;
    }
    constexpr Decimal& operator-=(Decimal o) {
        raw_ -= o.raw_;
        return *this;
    }
    // Exact for operands of two decimals; otherwise rounded to four decimals,
    // half away from zero.
    Decimal operator*(Decimal o) const;
    // Quotient to four decimals with the given rounding. Division by zero gives 0.
    Decimal dividedBy(Decimal divisor, Rounding rounding = Rounding::HalfAwayFromZero) const;

    constexpr auto operator<=>(const Decimal&) const = default;

    constexpr Decimal abs() const { return raw_ < 0 ? Decimal(-raw_) : *this; }
    // The value rounded to `places` decimals (0 to 4).
    Decimal rounded(int places, Rounding rounding = Rounding::HalfAwayFromZero) const;
    // The value rounded to a whole number, as an integer.
    std::int64_t roundedToInt(Rounding rounding = Rounding::HalfAwayFromZero) const;

    // Shortest plain form: no thousands separator, no trailing zeros, no
    // decimal point for a whole number: 25, 1234, 4.1, 0, -1.5.
    std::string plainText() const;

    // Fixed form with exactly `decimals` decimals (0 to 4) and at least
    // `minIntegerDigits` integer digits, rounded half away from zero.
    std::string fixedText(int decimals, int minIntegerDigits = 1) const;

    // Format patterns of the form "##0.00", "###0.00", "##0.000", "###0.000":
    // '#' is an optional digit, each '0' before the point a required digit,
    // each '0' after it one decimal. Grouping never happens.
    std::string format(std::string_view pattern) const;

private:
    constexpr explicit Decimal(std::int64_t raw) : raw_(raw) {}
    std::int64_t raw_ = 0;
};

// Common patterns, named once.
inline constexpr std::string_view kFormat2 = "##0.00";
inline constexpr std::string_view kFormat2Wide = "###0.00";
inline constexpr std::string_view kFormat3 = "##0.000";
inline constexpr std::string_view kFormat3Wide = "###0.000";

}  // namespace cellwatch
