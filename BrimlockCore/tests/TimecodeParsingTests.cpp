#include "BrimlockCore/Timecode/TimecodeCalculator.h"

#include <gtest/gtest.h>

#include <limits>

using namespace brimlock;
using namespace brimlock::TimecodeCalculator;

TEST(TimecodeStoredTime, ReadsSignedRationals) {
    EXPECT_EQ(parseCMTimeString("1001/24000"), 1001.0 / 24000.0);
    EXPECT_NEAR(*parseCMTimeString("1001/24000"), 0.041708, 1e-6);
    EXPECT_EQ(parseCMTimeString("-5/2"), -2.5);
    EXPECT_EQ(parseCMTimeString("+5/2"), 2.5);
    EXPECT_EQ(parseCMTimeString("5/-2"), -2.5);
    EXPECT_EQ(parseCMTimeString("0/1"), 0.0);
    EXPECT_EQ(parseCMTimeString("007/+0002"), 3.5);
}

TEST(TimecodeStoredTime, EmptyPiecesAreDroppedBeforeCounting) {
    EXPECT_EQ(parseCMTimeString("//5//2//"), 2.5);
    EXPECT_EQ(parseCMTimeString("/5"), std::nullopt);
    EXPECT_EQ(parseCMTimeString("/"), std::nullopt);
    EXPECT_EQ(parseCMTimeString(""), std::nullopt);
}

TEST(TimecodeStoredTime, UnreadableTextGivesNothing) {
    for (const char* text : {"5/0", "0/0", "-3/-0", "5", "5/2/1", "a/2", "5/b", " 5/2", "5/2 ", "5 /2", "5s/2",
                             "100/25s", "+/2", "-/2", "5/+-2", "5/--2", "1e3/1", "5.0/2", "0x10/1"})
        EXPECT_EQ(parseCMTimeString(text), std::nullopt) << text;
}

TEST(TimecodeStoredTime, TheValueIsSixtyFourBitAndTheTimescaleThirtyTwoBit) {
    EXPECT_EQ(parseCMTimeString("9223372036854775807/1"), 9223372036854775807.0);
    EXPECT_EQ(parseCMTimeString("-9223372036854775808/1"), -9223372036854775808.0);
    EXPECT_EQ(parseCMTimeString("9223372036854775808/1"), std::nullopt);
    EXPECT_EQ(parseCMTimeString("-9223372036854775809/1"), std::nullopt);
    EXPECT_EQ(parseCMTimeString("2147483647/2147483647"), 1.0);
    EXPECT_EQ(parseCMTimeString("-2147483648/-2147483648"), 1.0);
    EXPECT_EQ(parseCMTimeString("1/2147483648"), std::nullopt);
    EXPECT_EQ(parseCMTimeString("1/-2147483649"), std::nullopt);
    EXPECT_EQ(parseCMTimeString("1/4294967296"), std::nullopt);
}

TEST(TimecodeStoredRange, BracesAndParenthesesAreRemovedAnywhere) {
    for (const char* text : {"{0/1,100/25}", "(0/1,100/25)", "0/1,100/25", "}0/1){,(100/25", "{{0/1},{100/25}}"}) {
        const auto range = parseCMTimeRangeString(text);
        ASSERT_TRUE(range.has_value()) << text;
        EXPECT_EQ(range->start, 0.0) << text;
        EXPECT_EQ(range->duration, 4.0) << text;
    }
    const auto range = parseCMTimeRangeString("{-1001/30000,,3003/30000,}");
    ASSERT_TRUE(range.has_value());
    EXPECT_EQ(range->start, -1001.0 / 30000.0);
    EXPECT_EQ(range->duration, 3003.0 / 30000.0);
}

TEST(TimecodeStoredRange, UnreadableRangesGiveNothing) {
    for (const char* text : {"{0/1, 100/25}", "{0/1 ,100/25}", "{0/1,100/25,1/1}", "{0/1}", "{}", "", ",",
                             "{0/1,100/0}", "{x,100/25}", "{0/1,100/25s}", "[0/1,100/25]", "{0/1;100/25}"})
        EXPECT_EQ(parseCMTimeRangeString(text), std::nullopt) << text;
}

TEST(TimecodeStoredFrames, RoundsAtTheExactRate) {
    EXPECT_EQ(cmTimeStringToFrames("1001/30000", FrameRate::fps29_97ndf), 1);
    EXPECT_EQ(cmTimeStringToFrames("1001/30000", FrameRate::fps29_97df), 1);
    EXPECT_EQ(cmTimeStringToFrames("1/48", FrameRate::fps24), 1);  // 0.5 + 0.5
    EXPECT_EQ(cmTimeStringToFrames("1/49", FrameRate::fps24), 0);
    EXPECT_EQ(cmTimeStringToFrames("1001/1", FrameRate::fps29_97df), 30'000);
    // The exact 24000/1001, not the nominal 24: an hour of seconds is 86,313.69 frames.
    EXPECT_EQ(cmTimeStringToFrames("3600/1", FrameRate::fps23_976), 86'314);
    EXPECT_EQ(cmTimeStringToFrames("3600/1", FrameRate::fps24), 86'400);
    EXPECT_EQ(cmTimeStringToFrames("bad", FrameRate::fps24), std::nullopt);
    EXPECT_EQ(cmTimeStringToFrames("1/0", FrameRate::fps24), std::nullopt);
}

TEST(TimecodeStoredFrames, NegativeTimesTruncateTowardZero) {
    EXPECT_EQ(cmTimeStringToFrames("-1/24", FrameRate::fps24), 0);   // -0.5
    EXPECT_EQ(cmTimeStringToFrames("-2/24", FrameRate::fps24), -1);  // -1.5
    EXPECT_EQ(cmTimeStringToFrames("-10/1", FrameRate::fps25), -249);
}

TEST(TimecodeStoredFrames, CountsBeyondSixtyFourBitsGiveNothing) {
    EXPECT_EQ(cmTimeStringToFrames("288230376151711744/1", FrameRate::fps24), 6'917'529'027'641'081'856);  // 2^58 s
    EXPECT_EQ(cmTimeStringToFrames("576460752303423488/1", FrameRate::fps24), std::nullopt);               // 2^59 s
    EXPECT_EQ(cmTimeStringToFrames("-576460752303423488/1", FrameRate::fps24), std::nullopt);
    // Exactly 2^63 is one past the largest count; exactly -2^63 is the smallest.
    EXPECT_EQ(cmTimeStringToFrames("9223372036854775807/24", FrameRate::fps24), std::nullopt);
    EXPECT_EQ(cmTimeStringToFrames("-9223372036854775808/24", FrameRate::fps24),
              std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(cmTimeStringToFrames("9223372036854775807/1", FrameRate::fps60), std::nullopt);
    EXPECT_EQ(cmTimeStringToFrames("-9223372036854775808/1", FrameRate::fps23_976), std::nullopt);
}
