// Decimals written as text in the tests' tables of cases.
#pragma once

#include <gtest/gtest.h>

#include <string_view>

#include "protocol/decimal.h"

namespace cellwatch::testing {

// The decimal `text` reads as; a text that does not read fails the test.
inline Decimal d(std::string_view text) {
    const auto value = Decimal::parse(text);
    EXPECT_TRUE(value.has_value()) << text;
    return value.value_or(Decimal());
}

}  // namespace cellwatch::testing
