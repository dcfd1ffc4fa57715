#include "BrimlockCore/Timecode/TimecodeCalculator.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

using namespace brimlock;
using namespace brimlock::TimecodeCalculator;

namespace {

constexpr std::int64_t kMaxFrames = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMinFrames = std::numeric_limits<std::int64_t>::min();

std::string zeroLabel(FrameRate rate) { return isDropFrame(rate) ? "00:00:00;00" : "00:00:00:00"; }

struct Label {
    FrameRate rate;
    std::int64_t frames;
    const char* text;
};

// Worked by hand: non-drop counts are ((h * 60 + m) * 60 + s) * nominal + f; drop-frame counts
// subtract 2 (29.97) or 4 (59.94) for every minute not divisible by ten.
constexpr Label kKnownLabels[] = {
    {FrameRate::fps23_976, 86'400, "01:00:00:00"},
    {FrameRate::fps23_976, 89'356, "01:02:03:04"},
    {FrameRate::fps24, 89'356, "01:02:03:04"},
    {FrameRate::fps24, 8'640'000, "100:00:00:00"},
    {FrameRate::fps24, 259'200'000'000'000, "3000000000:00:00:00"},
    {FrameRate::fps25, 93'079, "01:02:03:04"},
    {FrameRate::fps25, 90'000'000, "1000:00:00:00"},
    {FrameRate::fps29_97ndf, 1'800, "00:01:00:00"},
    {FrameRate::fps29_97ndf, 111'694, "01:02:03:04"},
    {FrameRate::fps30, 111'694, "01:02:03:04"},
    {FrameRate::fps47_952, 178'708, "01:02:03:04"},
    {FrameRate::fps48, 178'708, "01:02:03:04"},
    {FrameRate::fps50, 186'154, "01:02:03:04"},
    {FrameRate::fps59_94ndf, 223'384, "01:02:03:04"},
    {FrameRate::fps60, 223'384, "01:02:03:04"},
    {FrameRate::fps60, 59, "00:00:00:59"},
    {FrameRate::fps29_97df, 0, "00:00:00;00"},
    {FrameRate::fps29_97df, 1'799, "00:00:59;29"},
    {FrameRate::fps29_97df, 1'800, "00:01:00;02"},
    {FrameRate::fps29_97df, 17'982, "00:10:00;00"},
    {FrameRate::fps29_97df, 111'582, "01:02:03;04"},
    {FrameRate::fps29_97df, 107'892, "01:00:00;00"},
    {FrameRate::fps29_97df, 2'589'408, "24:00:00;00"},
    {FrameRate::fps29_97df, 107'892'000, "1000:00:00;00"},
    {FrameRate::fps59_94df, 3'599, "00:00:59;59"},
    {FrameRate::fps59_94df, 3'600, "00:01:00;04"},
    {FrameRate::fps59_94df, 35'964, "00:10:00;00"},
    {FrameRate::fps59_94df, 215'784, "01:00:00;00"},
    {FrameRate::fps59_94df, 223'160, "01:02:03;04"},
    {FrameRate::fps59_94df, 215'784'000, "1000:00:00;00"},
};

}  // namespace

TEST(TimecodeLabels, KnownCountsAtEveryRateReadBothWays) {
    for (const auto& [rate, frames, text] : kKnownLabels) {
        EXPECT_EQ(framesToTimecode(frames, rate), text) << caseName(rate) << " " << frames;
        EXPECT_EQ(timecodeToFrames(text, rate), frames) << caseName(rate) << " " << text;
    }
}

TEST(TimecodeLabels, NegativeCountsPrintTheZeroLabelWithTheRatesSeparator) {
    for (const auto& row : kFrameRateTable) {
        for (const std::int64_t frames : {std::int64_t{-1}, std::int64_t{-5}, kMinFrames})
            EXPECT_EQ(framesToTimecode(frames, row.rate), zeroLabel(row.rate)) << row.caseName;
        EXPECT_EQ(framesToTimecode(0, row.rate), zeroLabel(row.rate)) << row.caseName;
    }
}

TEST(TimecodeLabels, NonDropRatesRoundTripUpToTheLargestCount) {
    for (const auto& row : kFrameRateTable) {
        if (row.isDropFrame) continue;
        const std::int64_t nominal = row.nominalFPS;
        for (const std::int64_t frames : {std::int64_t{0}, std::int64_t{1}, nominal - 1, nominal, nominal * 60 - 1,
                                          std::int64_t{1'000'000'007}, kMaxFrames / 3, kMaxFrames - 1, kMaxFrames}) {
            const std::string label = framesToTimecode(frames, row.rate);
            EXPECT_EQ(timecodeToFrames(label, row.rate), frames) << row.caseName << " " << label;
        }
    }
}

TEST(TimecodeLabels, DropFrameLabelsRoundTripForEveryCountInLongRuns) {
    // Runs long enough to cross several ten-minute blocks at both rates, and the same far out.
    const std::int64_t starts[] = {0, 1'000'000'000'000, (kMaxFrames / 1000) * 998};
    for (const FrameRate rate : {FrameRate::fps29_97df, FrameRate::fps59_94df}) {
        for (const std::int64_t start : starts) {
            std::string previous;
            for (std::int64_t frames = start; frames < start + 80'000; ++frames) {
                const std::string label = framesToTimecode(frames, rate);
                ASSERT_EQ(timecodeToFrames(label, rate), frames) << caseName(rate) << " " << label;
                ASSERT_NE(label, previous);
                previous = label;
            }
        }
    }
}

TEST(TimecodeLabels, DropFrameCountingSkipsTheFirstNumbersOfMostMinutes) {
    // 29.97: ;00 and ;01 never appear at the start of minutes 1-9 of each ten; 59.94: ;00 to ;03.
    struct Case {
        FrameRate rate;
        int skipped;
        std::int64_t twentyMinutes;
    };
    for (const auto& [rate, skipped, twentyMinutes] :
         {Case{FrameRate::fps29_97df, 2, 35'964}, Case{FrameRate::fps59_94df, 4, 71'928}}) {
        int minuteStarts = 0;
        for (std::int64_t frames = 1; frames <= twentyMinutes; ++frames) {
            const std::string label = framesToTimecode(frames, rate);
            if (label.substr(0, 5) == framesToTimecode(frames - 1, rate).substr(0, 5)) continue;
            ++minuteStarts;
            const int minute = std::stoi(label.substr(3, 2));
            EXPECT_EQ(label.substr(6, 2), "00") << label;
            EXPECT_EQ(std::stoi(label.substr(9)), minute % 10 == 0 ? 0 : skipped) << label;
        }
        EXPECT_EQ(minuteStarts, 20) << caseName(rate);
    }
}

TEST(TimecodeLabels, DropFrameDisplayNumbersSaturateAtTheTopOfTheRange) {
    // Adding back skipped numbers would pass INT64_MAX: the label is that of the largest number.
    for (const auto& [drop, nonDrop] : {std::pair{FrameRate::fps29_97df, FrameRate::fps29_97ndf},
                                        std::pair{FrameRate::fps59_94df, FrameRate::fps59_94ndf}}) {
        std::string expected = framesToTimecode(kMaxFrames, nonDrop);
        expected[expected.rfind(':')] = ';';
        EXPECT_EQ(framesToTimecode(kMaxFrames, drop), expected);
        EXPECT_EQ(framesToTimecode(kMaxFrames - kMaxFrames / 2000, drop), expected);
        EXPECT_TRUE(timecodeToFrames(expected, drop).has_value());
    }
}

TEST(TimecodeReading, SeparatorsEmptyPiecesAndSigns) {
    EXPECT_EQ(timecodeToFrames("1:2:3", FrameRate::fps24), std::nullopt);
    EXPECT_EQ(timecodeToFrames("01:02:03:04:05", FrameRate::fps24), std::nullopt);
    EXPECT_EQ(timecodeToFrames("", FrameRate::fps24), std::nullopt);
    EXPECT_EQ(timecodeToFrames("01::02:03:04", FrameRate::fps24), 89'356);
    EXPECT_EQ(timecodeToFrames(":01:02:03:04:", FrameRate::fps24), 89'356);
    EXPECT_EQ(timecodeToFrames("01:02:xx:03:04", FrameRate::fps24), 89'356);
    EXPECT_EQ(timecodeToFrames("01;02;03;04", FrameRate::fps24), 89'356);
    EXPECT_EQ(timecodeToFrames("+1:-2:3:4", FrameRate::fps24), 83'596);
    EXPECT_EQ(timecodeToFrames("-01:00:00:00", FrameRate::fps24), -86'400);
    // Pieces that do not read are dropped, leaving too few numbers.
    for (const char* text : {" 01:00:00:00", "01:00:00:00 ", "01:00:00:0x", "01:+:00:00", "01:+-1:00:00",
                             "01:--1:00:00", "01:00:1.5:00", "01:00:00:9223372036854775808"})
        EXPECT_EQ(timecodeToFrames(text, FrameRate::fps24), std::nullopt) << text;
    EXPECT_EQ(timecodeToFrames("9223372036854775808:01:00:00:00", FrameRate::fps24), 86'400);
}

TEST(TimecodeReading, FieldsAreNotRangeChecked) {
    EXPECT_EQ(timecodeToFrames("00:61:00:00", FrameRate::fps24), 61 * 60 * 24);
    EXPECT_EQ(timecodeToFrames("00:00:00:30", FrameRate::fps24), 30);
    EXPECT_EQ(timecodeToFrames("00:00:01:-1", FrameRate::fps24), 23);
}

TEST(TimecodeReading, DropFrameCorrectionOnlyAtDropFrameRates) {
    EXPECT_EQ(timecodeToFrames("01:00:00;00", FrameRate::fps29_97df), 107'892);
    EXPECT_EQ(timecodeToFrames("01:00:00;00", FrameRate::fps29_97ndf), 108'000);
    EXPECT_EQ(timecodeToFrames("01:00:00:00", FrameRate::fps29_97df), 107'892);
    // A label drop-frame counting never shows still reads.
    EXPECT_EQ(timecodeToFrames("00:01:00;00", FrameRate::fps29_97df), 1'798);
    EXPECT_EQ(timecodeToFrames("00:01:00;00", FrameRate::fps59_94df), 3'596);
    // Negative minutes: the tenth-minute count truncates toward zero, mirroring positive labels.
    EXPECT_EQ(timecodeToFrames("-01:00:00;00", FrameRate::fps29_97df), -107'892);
    EXPECT_EQ(timecodeToFrames("00:-11:00;00", FrameRate::fps29_97df), -11 * 1'800 + 2 * 10);
}

TEST(TimecodeReading, CountsOutsideTheSixtyFourBitRangeGiveNothing) {
    const std::int64_t maxHoursAt24 = kMaxFrames / 86'400;
    EXPECT_EQ(timecodeToFrames(std::to_string(maxHoursAt24) + ":00:00:00", FrameRate::fps24), maxHoursAt24 * 86'400);
    EXPECT_EQ(timecodeToFrames(std::to_string(maxHoursAt24 + 1) + ":00:00:00", FrameRate::fps24), std::nullopt);
    EXPECT_EQ(timecodeToFrames("-" + std::to_string(maxHoursAt24 + 1) + ":00:00:00", FrameRate::fps24), std::nullopt);
    EXPECT_EQ(timecodeToFrames("00:" + std::to_string(kMaxFrames / 1'440 + 1) + ":00:00", FrameRate::fps24),
              std::nullopt);
    EXPECT_EQ(timecodeToFrames("00:00:9223372036854775807:00", FrameRate::fps24), std::nullopt);
    EXPECT_EQ(timecodeToFrames("00:00:00:9223372036854775807", FrameRate::fps24), kMaxFrames);
    EXPECT_EQ(timecodeToFrames("00:00:01:9223372036854775807", FrameRate::fps24), std::nullopt);
    EXPECT_EQ(timecodeToFrames("00:00:00:-9223372036854775808", FrameRate::fps60), kMinFrames);
    // Here only the drop-frame correction leaves the range.
    EXPECT_EQ(timecodeToFrames("00:10:-600:-9223372036854775808", FrameRate::fps29_97ndf), kMinFrames);
    EXPECT_EQ(timecodeToFrames("00:10:-600;-9223372036854775808", FrameRate::fps29_97df), std::nullopt);
}

TEST(TimecodeArithmetic, SourceTimecodeUnderATimelineFrame) {
    EXPECT_EQ(sourceTimecodeAtPosition(100, 40, 10, 86'400, FrameRate::fps24), "01:00:02:22");
    EXPECT_EQ(sourceTimecodeAtPosition(1'800, 0, 0, 0, FrameRate::fps29_97df), "00:01:00;02");
    EXPECT_EQ(sourceTimecodeAtPosition(0, 100, 10, 0, FrameRate::fps29_97df), "00:00:00;00");
}

TEST(TimecodeArithmetic, SourceTimecodeSaturatesInsteadOfOverflowing) {
    const std::string top = framesToTimecode(kMaxFrames, FrameRate::fps25);
    EXPECT_EQ(sourceTimecodeAtPosition(kMaxFrames, -1, 0, 0, FrameRate::fps25), top);
    EXPECT_EQ(sourceTimecodeAtPosition(0, 0, kMaxFrames, kMaxFrames, FrameRate::fps25), top);
    EXPECT_EQ(sourceTimecodeAtPosition(kMinFrames, 1, 0, 0, FrameRate::fps25), "00:00:00:00");
    EXPECT_EQ(sourceTimecodeAtPosition(0, 0, kMinFrames, kMinFrames, FrameRate::fps59_94df), "00:00:00;00");
}

TEST(TimecodeArithmetic, AddAndSubtractLabels) {
    EXPECT_EQ(addTimecodes("00:00:59;29", "00:00:00;01", FrameRate::fps29_97df), "00:01:00;02");
    EXPECT_EQ(subtractTimecodes("00:01:00;02", "00:00:00;01", FrameRate::fps29_97df), "00:00:59;29");
    EXPECT_EQ(addTimecodes("00:59:59:23", "00:00:00:01", FrameRate::fps24), "01:00:00:00");
    EXPECT_EQ(subtractTimecodes("00:00:01:00", "00:00:02:00", FrameRate::fps24), "00:00:00:00");
    EXPECT_EQ(subtractTimecodes("00:00:01;00", "00:00:02;00", FrameRate::fps59_94df), "00:00:00;00");
    EXPECT_EQ(addTimecodes("xx", "00:00:01:00", FrameRate::fps24), std::nullopt);
    EXPECT_EQ(addTimecodes("00:00:01:00", "1:2", FrameRate::fps24), std::nullopt);
    EXPECT_EQ(subtractTimecodes("00:00:01:00", "", FrameRate::fps24), std::nullopt);
}

TEST(TimecodeArithmetic, SumsAndDifferencesBeyondTheRange) {
    const char* top = "00:00:00:9223372036854775807";
    const char* bottom = "00:00:00:-9223372036854775808";
    EXPECT_EQ(addTimecodes(top, "00:00:00:01", FrameRate::fps24), std::nullopt);
    EXPECT_EQ(addTimecodes(bottom, "00:00:00:-1", FrameRate::fps24), std::nullopt);
    EXPECT_EQ(subtractTimecodes(top, "00:00:00:-1", FrameRate::fps24), std::nullopt);
    // Past the bottom the difference is negative whatever its size: the zero label is exact.
    EXPECT_EQ(subtractTimecodes(bottom, "00:00:00:01", FrameRate::fps24), "00:00:00:00");
    EXPECT_EQ(subtractTimecodes(top, "00:00:00:00", FrameRate::fps24), framesToTimecode(kMaxFrames, FrameRate::fps24));
}
