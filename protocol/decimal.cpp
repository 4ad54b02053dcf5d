#include "protocol/decimal.h"

#include <array>
#include <cassert>

namespace cellwatch {
namespace {

// Products and quotients are formed in 128 bits so that no intermediate overflows.
__extension__ typedef __int128 Wide;

constexpr std::array<std::int64_t, 5> kPow10 = {1, 10, 100, 1000, 10000};

// Divides n by d (d > 0) to an integer with the given rounding.
template <typename Int>
Int divideRounded(Int n, Int d, Rounding rounding) {
    Int q = n / d;  // truncates toward zero
    Int r = n % d;
    if (r == 0 || rounding == Rounding::TowardZero) {
        return q;
    }
    Int absR = r < 0 ? -r : r;
    Int twice = absR * 2;
    bool awayFromZero = false;
    if (twice > d) {
        awayFromZero = true;
    } else if (twice == d) {
        awayFromZero = rounding == Rounding::HalfAwayFromZero || (q % 2 != 0);
    }
    if (awayFromZero) {
        q += (n < 0) ? -1 : 1;
    }
    return q;
}

std::string digitsOf(std::uint64_t v) {
    std::string s;
    do {
        s.insert(s.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
        v /= 10;
    } while (v != 0);
    return s;
}

std::uint64_t magnitude(std::int64_t v) {
    return v < 0 ? static_cast<std::uint64_t>(-(v + 1)) + 1 : static_cast<std::uint64_t>(v);
}

}  // namespace

std::optional<Decimal> Decimal::parse(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    std::int64_t whole = 0;
    std::size_t wholeDigits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (whole > 900'000'000'000'000) {
            return std::nullopt;  // out of range
        }
        whole = whole * 10 + (text[i] - '0');
        ++i;
        ++wholeDigits;
    }
    std::int64_t frac = 0;
    std::size_t fracDigits = 0;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            if (fracDigits == kPlaces) {
                return std::nullopt;
            }
            frac = frac * 10 + (text[i] - '0');
            ++i;
            ++fracDigits;
        }
        if (fracDigits == 0) {
            return std::nullopt;
        }
    }
    if (i != text.size() || wholeDigits == 0) {
        return std::nullopt;
    }
    std::int64_t raw = whole * kScale + frac * kPow10[kPlaces - fracDigits];
    return Decimal(negative ? -raw : raw);
}

Decimal Decimal::operator*(Decimal o) const {
    Wide product = static_cast<Wide>(raw_) * o.raw_;
    return Decimal(static_cast<std::int64_t>(
        divideRounded<Wide>(product, kScale, Rounding::HalfAwayFromZero)));
}

Decimal Decimal::dividedBy(Decimal divisor, Rounding rounding) const {
    if (divisor.raw_ == 0) {
        return Decimal();
    }
    Wide n = static_cast<Wide>(raw_) * kScale;
    Wide d = divisor.raw_;
    if (d < 0) {
        n = -n;
        d = -d;
    }
    return Decimal(static_cast<std::int64_t>(divideRounded<Wide>(n, d, rounding)));
}

Decimal Decimal::rounded(int places, Rounding rounding) const {
    assert(places >= 0 && places <= kPlaces);
    std::int64_t unit = kPow10[static_cast<std::size_t>(kPlaces - places)];
    return Decimal(divideRounded<std::int64_t>(raw_, unit, rounding) * unit);
}

std::int64_t Decimal::roundedToInt(Rounding rounding) const {
    return divideRounded<std::int64_t>(raw_, kScale, rounding);
}

std::string Decimal::plainText() const {
    std::uint64_t mag = magnitude(raw_);
    std::string text = raw_ < 0 ? "-" : "";
    text += digitsOf(mag / kScale);
    std::uint64_t frac = mag % kScale;
    if (frac != 0) {
        std::string f = digitsOf(frac);
        f.insert(0, static_cast<std::size_t>(kPlaces) - f.size(), '0');
        while (f.back() == '0') {
            f.pop_back();
        }
        text += '.';
        text += f;
    }
    return text;
}

std::string Decimal::fixedText(int decimals, int minIntegerDigits) const {
    assert(decimals >= 0 && decimals <= kPlaces);
    std::int64_t unit = kPow10[static_cast<std::size_t>(kPlaces - decimals)];
    std::int64_t scaled = divideRounded<std::int64_t>(raw_, unit, Rounding::HalfAwayFromZero);
    std::uint64_t mag = magnitude(scaled);
    std::uint64_t div = static_cast<std::uint64_t>(kPow10[static_cast<std::size_t>(decimals)]);
    std::string whole = digitsOf(mag / div);
    if (static_cast<int>(whole.size()) < minIntegerDigits) {
        whole.insert(0, static_cast<std::size_t>(minIntegerDigits) - whole.size(), '0');
    }
    std::string text = scaled < 0 ? "-" : "";  // a value that rounds to zero has no sign
    text += whole;
    if (decimals > 0) {
        std::string f = digitsOf(mag % div);
        f.insert(0, static_cast<std::size_t>(decimals) - f.size(), '0');
        text += '.';
        text += f;
    }
    return text;
}

std::string Decimal::format(std::string_view pattern) const {
    int requiredIntegerDigits = 0;
    int decimals = 0;
    bool afterPoint = false;
    for (char c : pattern) {
        if (c == '.') {
            afterPoint = true;
        } else if (c == '0') {
            (afterPoint ? decimals : requiredIntegerDigits) += 1;
        }
    }
    if (decimals > kPlaces) {
        decimals = kPlaces;
    }
    return fixedText(decimals, requiredIntegerDigits < 1 ? 1 : requiredIntegerDigits);
}

std::optional<double> Decimal::parsePlainDouble(std::string_view text) {
    static constexpr double kTens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const char* p = text.data();
    const char* const end = p + text.size();
    const bool negative = p != end && *p == '-';
    p += negative ? 1 : 0;
    const char* const first = p;
    std::uint64_t digits = 0;
    while (p != end && static_cast<unsigned char>(*p - '0') < 10) {
        digits = digits * 10 + static_cast<std::uint64_t>(*p++ - '0');
    }
    std::ptrdiff_t count = p - first;
    std::ptrdiff_t decimals = 0;
    if (p != end && *p == '.') {
        const char* const point = ++p;
        while (p != end && static_cast<unsigned char>(*p - '0') < 10) {
            digits = digits * 10 + static_cast<std::uint64_t>(*p++ - '0');
        }
        decimals = p - point;
        count += decimals;
    }
    if (p != end || count == 0 || count > 15) {
        return std::nullopt;
    }
    const double magnitude = static_cast<double>(digits) / kTens[decimals];
    return negative ? -magnitude : magnitude;
}

}  // namespace cellwatch
