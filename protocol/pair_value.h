// The charger's number encoding. Every numeric byte carries its value plus
// 128 (0x80 = 0, 0xFF = 127, 0x7F = -1). A pair of such bytes holds a whole
// part and hundredths, both signed: 0x8C 0xA2 = 12.34, 0x85 0x7F = 4.99.
#pragma once

#include <cstdint>

#include "protocol/decimal.h"

namespace cellwatch {

constexpr int biasedValue(std::uint8_t b) {
    return static_cast<int>(b) - 128;
}

// (w - 128) + (h - 128) / 100, exactly.
constexpr Decimal PairValue(std::uint8_t whole, std::uint8_t hundredths) {
    return Decimal::fromHundredths(biasedValue(whole) * 100 + biasedValue(hundredths));
}

// The pair read x 100, a whole number: 0x80 0x99 = 25, 0x8C 0xA2 = 1234.
constexpr Decimal PairValueTimes100(std::uint8_t whole, std::uint8_t hundredths) {
    return Decimal::fromInt(biasedValue(whole) * 100 + biasedValue(hundredths));
}

}  // namespace cellwatch
