#include "BrimlockCore/Model/FrameRateCoding.h"
#include "BrimlockCore/Timecode/FrameRate.h"

#include "testing/Thrown.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>

using namespace brimlock;
using platform::DecodingError;
using platform::JSON;

namespace {

DecodingError decodingFailure(const JSON& document, const platform::CodingPath& path = {}) {
    return quillo::testing::thrownBy<DecodingError>([&] { decodeFrameRate(document, path); });
}
}  // namespace

TEST(FrameRate, CaseNamesAndLabelsAreTheStoredForms) {
    const std::pair<FrameRate, const char*> expected[] = {
        {FrameRate::fps23_976, "fps23_976"},
        {FrameRate::fps24, "fps24"},
        {FrameRate::fps25, "fps25"},
        {FrameRate::fps29_97df, "fps29_97df"},
        {FrameRate::fps29_97ndf, "fps29_97ndf"},
        {FrameRate::fps30, "fps30"},
        {FrameRate::fps47_952, "fps47_952"},
        {FrameRate::fps48, "fps48"},
        {FrameRate::fps50, "fps50"},
        {FrameRate::fps59_94df, "fps59_94df"},
        {FrameRate::fps59_94ndf, "fps59_94ndf"},
        {FrameRate::fps60, "fps60"},
    };
    for (const auto& [rate, name] : expected) EXPECT_EQ(caseName(rate), name);

    EXPECT_EQ(timecodeRateString(FrameRate::fps23_976), "23.976");
    EXPECT_EQ(timecodeRateString(FrameRate::fps29_97df), "29.97d");
    EXPECT_EQ(timecodeRateString(FrameRate::fps29_97ndf), "29.97");
    EXPECT_EQ(timecodeRateString(FrameRate::fps47_952), "47.952");
    EXPECT_EQ(timecodeRateString(FrameRate::fps59_94df), "59.94d");
    EXPECT_EQ(timecodeRateString(FrameRate::fps59_94ndf), "59.94");
    EXPECT_EQ(timecodeRateString(FrameRate::fps60), "60");
}

TEST(FrameRate, PropertiesAgreeWithTheExactRational) {
    std::set<std::string_view> labels;
    int dropFrameCases = 0;
    for (const auto& row : kFrameRateTable) {
        const FrameRate rate = row.rate;
        const auto [num, den] = rational(rate);
        EXPECT_TRUE(den == 1 || den == 1001) << caseName(rate);
        EXPECT_EQ(nominalFPS(rate), static_cast<std::int64_t>(std::ceil(fps(rate))));
        EXPECT_EQ(isDropFrame(rate), timecodeRateString(rate).ends_with('d'));
        labels.insert(timecodeRateString(rate));
        if (isDropFrame(rate)) {
            ++dropFrameCases;
            EXPECT_EQ(den, 1001);
            EXPECT_TRUE(nominalFPS(rate) == 30 || nominalFPS(rate) == 60);
        }
    }
    EXPECT_EQ(labels.size(), 12u);
    EXPECT_EQ(dropFrameCases, 2);
    EXPECT_TRUE(isDropFrame(FrameRate::fps29_97df));
    EXPECT_TRUE(isDropFrame(FrameRate::fps59_94df));
    // Never the rounded constant.
    EXPECT_NE(fps(FrameRate::fps29_97ndf), 29.97);
}

TEST(FrameRateDetection, ClassifiesMediaFrameDurations) {
    EXPECT_EQ(frameRateFrom(1001, 30000), FrameRate::fps29_97ndf);
    EXPECT_EQ(frameRateFrom(1001, 60000), FrameRate::fps59_94ndf);
    EXPECT_EQ(frameRateFrom(1001, 24000), FrameRate::fps23_976);
    EXPECT_EQ(frameRateFrom(1001, 48000), FrameRate::fps47_952);
    EXPECT_EQ(frameRateFrom(100, 2997), FrameRate::fps29_97ndf);
    EXPECT_EQ(frameRateFrom(1, 24), FrameRate::fps24);
    EXPECT_EQ(frameRateFrom(2, 48), FrameRate::fps24);
    EXPECT_EQ(frameRateFrom(1, 25), FrameRate::fps25);
    EXPECT_EQ(frameRateFrom(1, 30), FrameRate::fps30);
    EXPECT_EQ(frameRateFrom(1, 48), FrameRate::fps48);
    EXPECT_EQ(frameRateFrom(1, 50), FrameRate::fps50);
    EXPECT_EQ(frameRateFrom(1, 60), FrameRate::fps60);
    EXPECT_EQ(frameRateFrom(1, 23), std::nullopt);
    EXPECT_EQ(frameRateFrom(1, 120), std::nullopt);
}

TEST(FrameRateDetection, TheRateIsRoundedToTwoDecimalsFirst) {
    EXPECT_EQ(frameRateFrom(1000, 24001), FrameRate::fps24);  // 24.001
    EXPECT_EQ(frameRateFrom(1000, 24010), std::nullopt);      // 24.01
    EXPECT_EQ(frameRateFrom(10000, 299701), FrameRate::fps29_97ndf);
}

TEST(FrameRateDetection, BandBoundsAreInclusive) {
    struct Band {
        std::int32_t lowHundredths, highHundredths;
        FrameRate rate;
    };
    const Band bands[] = {
        {2397, 2398, FrameRate::fps23_976},
        {2996, 2998, FrameRate::fps29_97ndf},
        {4794, 4796, FrameRate::fps47_952},
        {5993, 5995, FrameRate::fps59_94ndf},
    };
    for (const auto& band : bands) {
        // A duration of 100/h seconds is a rate of h/100 frames per second.
        for (std::int32_t h = band.lowHundredths; h <= band.highHundredths; ++h)
            EXPECT_EQ(frameRateFrom(100, h), band.rate) << h;
        EXPECT_EQ(frameRateFrom(100, band.lowHundredths - 1), std::nullopt) << band.lowHundredths - 1;
        EXPECT_EQ(frameRateFrom(100, band.highHundredths + 1), std::nullopt) << band.highHundredths + 1;
    }
}

TEST(FrameRateDetection, NeverAnswersADropFrameCase) {
    for (std::int32_t timescale = 1; timescale <= 7000; ++timescale) {
        const auto rate = frameRateFrom(100, timescale);
        if (rate) {
            EXPECT_FALSE(isDropFrame(*rate)) << timescale;
        }
    }
}

TEST(FrameRateDetection, DegenerateDurationsGiveNothing) {
    constexpr auto maxDuration = std::numeric_limits<std::int64_t>::max();
    constexpr auto minTimescale = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(frameRateFrom(0, 24000), std::nullopt);
    EXPECT_EQ(frameRateFrom(1001, 0), std::nullopt);
    EXPECT_EQ(frameRateFrom(0, 0), std::nullopt);
    EXPECT_EQ(frameRateFrom(-1001, 30000), std::nullopt);
    EXPECT_EQ(frameRateFrom(1001, -30000), std::nullopt);
    EXPECT_EQ(frameRateFrom(maxDuration, 1), std::nullopt);
    EXPECT_EQ(frameRateFrom(std::numeric_limits<std::int64_t>::min(), minTimescale), std::nullopt);
    EXPECT_EQ(frameRateFrom(1, std::numeric_limits<std::int32_t>::max()), std::nullopt);
}

TEST(FrameRateCoding, EncodesAsOneCaseKeyOverAnEmptyObject) {
    EXPECT_EQ(platform::serializeJSON(encode(FrameRate::fps29_97df)), R"({"fps29_97df":{}})");
    for (const auto& row : kFrameRateTable) {
        const JSON encoded = encode(row.rate);
        ASSERT_EQ(encoded.size(), 1u);
        EXPECT_EQ(encoded.begin().key(), row.caseName);
        EXPECT_EQ(decodeFrameRate(platform::parseJSON(platform::serializeJSON(encoded))), row.rate);
    }
}

TEST(FrameRateCoding, KeysThatNameNoCaseAreIgnored) {
    EXPECT_EQ(decodeFrameRate(platform::parseJSON(R"({"note":1,"fps25":{"x":2}})")), FrameRate::fps25);
}

TEST(FrameRateCoding, AnythingButExactlyOneCaseKeyIsATypeMismatch) {
    for (const char* text :
         {"{}", R"({"fps24":{},"fps25":{}})", R"({"fps":{}})", R"({"FPS24":{}})", R"({"fps29_97":{}})"}) {
        const auto error = decodingFailure(platform::parseJSON(text), {"rate"});
        EXPECT_EQ(error.kind(), DecodingError::Kind::typeMismatch) << text;
        EXPECT_EQ(error.debugDescription(), "Invalid number of keys found, expected one.") << text;
        EXPECT_EQ(error.codingPath(), platform::CodingPath{"rate"});
    }
}

TEST(FrameRateCoding, TheCaseValueMustBeAnObjectAndTheDocumentKeyed) {
    EXPECT_EQ(decodingFailure(platform::parseJSON(R"({"fps24":1})")).kind(), DecodingError::Kind::typeMismatch);
    EXPECT_EQ(decodingFailure(platform::parseJSON(R"({"fps24":[]})")).kind(), DecodingError::Kind::typeMismatch);
    EXPECT_EQ(decodingFailure(platform::parseJSON(R"("fps24")")).kind(), DecodingError::Kind::typeMismatch);
    EXPECT_EQ(decodingFailure(platform::parseJSON(R"(["fps24"])")).kind(), DecodingError::Kind::typeMismatch);
}
