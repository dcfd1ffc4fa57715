#include "Platform/Foundation/IntegerText.h"

#include <gtest/gtest.h>

#include <cstdint>

using platform::parseDecimalInteger;

TEST(IntegerText, TakesOneSignAndDigitsOnlyWithinTheTypesRange) {
    EXPECT_EQ(parseDecimalInteger<std::int64_t>("42"), 42);
    EXPECT_EQ(parseDecimalInteger<std::int64_t>("+42"), 42);
    EXPECT_EQ(parseDecimalInteger<std::int64_t>("-42"), -42);
    EXPECT_EQ(parseDecimalInteger<std::int64_t>("007"), 7);
    EXPECT_EQ(parseDecimalInteger<std::int64_t>("-0"), 0);
    EXPECT_EQ(parseDecimalInteger<std::int64_t>("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(parseDecimalInteger<std::int64_t>("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(parseDecimalInteger<std::int64_t>("9223372036854775808"), std::nullopt);
    EXPECT_EQ(parseDecimalInteger<std::int32_t>("2147483647"), INT32_MAX);
    EXPECT_EQ(parseDecimalInteger<std::int32_t>("2147483648"), std::nullopt);
    EXPECT_EQ(parseDecimalInteger<std::int32_t>("-2147483649"), std::nullopt);
    for (const char* text : {"", "+", "-", "+-1", "-+1", "++1", "--1", " 1", "1 ", "1.0", "1e3", "0x10", "12a"})
        EXPECT_EQ(parseDecimalInteger<std::int64_t>(text), std::nullopt) << '"' << text << '"';
}
