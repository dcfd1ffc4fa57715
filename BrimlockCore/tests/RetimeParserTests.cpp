#include "BrimlockCore/Effects/RetimeParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace RetimeParser = brimlock::RetimeParser;
using RetimeParser::FrameSamplingMethod;
using RetimeParser::RetimeValues;

namespace {

std::optional<RetimeValues> parse(std::string_view document) {
    return RetimeParser::parse({reinterpret_cast<const std::uint8_t*>(document.data()), document.size()});
}

// Shaped like the channel data of a retiming effect.
std::string scene(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<scene>\n<parameter name=\"Retime\" id=\"1\">\n" + body +
           "\n</parameter>\n</scene>\n";
}

std::string curve(const std::string& parameter, const std::string& value) {
    return "<parameter name=\"" + parameter + "\" flags=\"0\"><curve type=\"1\" value=\"" + value +
           "\" default=\"1\"/></parameter>";
}

std::string keypoint(const std::string& time, const std::string& value, const std::string& extra = "") {
    return "<keypoint interpolation=\"1\"><time>" + time + "</time><value>" + value + "</value>" + extra +
           "</keypoint>";
}

std::string timeMap(const std::string& keypoints) {
    return "<parameter name=\"Time Map\"><curve type=\"1\" default=\"0\"><keypoints>" + keypoints +
           "</keypoints></curve></parameter>";
}

RetimeValues parsed(const std::string& body) {
    const auto values = parse(scene(body));
    EXPECT_TRUE(values.has_value());
    return values.value_or(RetimeValues{});
}

RetimeParser::TimeMapKeypoint point(double timeline, double source) { return {timeline, source, -1.0, -1.0}; }

RetimeValues withKeypoints(std::vector<RetimeParser::TimeMapKeypoint> keypoints) {
    RetimeValues values;
    values.timeMapKeypoints = std::move(keypoints);
    return values;
}

}  // namespace

TEST(RetimeParserTest, ReadsSpeedReverseAndFrameSamplingFromTheirCurves) {
    const RetimeValues values = parsed(curve("Speed", "-250.5") + curve("Reverse", "1") + curve("Frame Sampling", "2"));
    EXPECT_EQ(values.speed, -250.5);
    EXPECT_TRUE(values.isReversed);
    EXPECT_EQ(values.frameSampling, FrameSamplingMethod::frameBlending);

    EXPECT_EQ(parsed(curve("Speed", "50")).speed, 50.0);
    EXPECT_TRUE(parsed(curve("Speed", "50")).isRetimed());
    EXPECT_FALSE(parsed(curve("Speed", "100")).isRetimed());
    EXPECT_TRUE(parsed(curve("Reverse", "0.5")).isReversed);
    EXPECT_TRUE(parsed(curve("Reverse", "0.5")).isRetimed());
    EXPECT_FALSE(parsed(curve("Reverse", "-0")).isReversed);
    // Names are exact and case-sensitive; only the innermost parameter counts.
    EXPECT_EQ(parsed(curve("speed", "50")).speed, 100.0);
    EXPECT_EQ(parsed("<parameter name=\"Speed\">" + curve("Other", "50") + "</parameter>").speed, 100.0);
    EXPECT_EQ(parsed("<curve value=\"50\"/>").speed, 100.0);
}

TEST(RetimeParserTest, FrameSamplingTruncatesAndIgnoresUnknownMethods) {
    EXPECT_EQ(parsed(curve("Frame Sampling", "6")).frameSampling, FrameSamplingMethod::opticalFlow);
    EXPECT_EQ(parsed(curve("Frame Sampling", "6.9")).frameSampling, FrameSamplingMethod::opticalFlow);
    EXPECT_EQ(parsed(curve("Frame Sampling", "1")).frameSampling, FrameSamplingMethod::nearest);
    EXPECT_EQ(parsed(curve("Frame Sampling", "1") + curve("Frame Sampling", "0.7")).frameSampling,
              FrameSamplingMethod::floor);
    EXPECT_EQ(parsed(curve("Frame Sampling", "1") + curve("Frame Sampling", "-0.9")).frameSampling,
              FrameSamplingMethod::floor);
    for (const std::string unknown : {"3", "4", "5", "-1", "7", "1e300", "-1e300", "9223372036854775808"}) {
        EXPECT_EQ(parsed(curve("Frame Sampling", "1") + curve("Frame Sampling", unknown)).frameSampling,
                  FrameSamplingMethod::nearest)
            << unknown;
    }
}

TEST(RetimeParserTest, CurveValuesMustBeWholeFiniteNumbers) {
    for (const std::string notANumber :
         {"", "fast", "50%", " 50", "50 ", "5,0", "--5", "0x", "inf", "-infinity", "nan", "NaN", "1e999"}) {
        const RetimeValues values =
            parsed(curve("Speed", notANumber) + curve("Reverse", notANumber) + curve("Frame Sampling", notANumber));
        EXPECT_EQ(values.speed, 100.0) << notANumber;
        EXPECT_FALSE(values.isReversed) << notANumber;
        EXPECT_EQ(values.frameSampling, FrameSamplingMethod::floor) << notANumber;
    }
    EXPECT_EQ(parsed(curve("Speed", "+75")).speed, 75.0);
    EXPECT_EQ(parsed(curve("Speed", ".5e2")).speed, 50.0);
    EXPECT_EQ(parsed(curve("Speed", "0x1.8p5")).speed, 48.0);
    EXPECT_EQ(parsed("<parameter name=\"Speed\"><curve default=\"50\"/></parameter>").speed, 100.0);
}

TEST(RetimeParserTest, KeypointsTakeTheirTimeAsNumeratorAndDenominator) {
    const RetimeValues values = parsed(
        timeMap(keypoint("48 24", "1.5") +
                keypoint(" \n 3003   30000 7 \t", "\n 2 \n",
                         "<inputTangentValue>0.25</inputTangentValue><outputTangentValue> -3 </outputTangentValue>") +
                keypoint("\xC2\xA0"
                         "1 2\xE2\x80\xA8",
                         "x", "<inputTangentValue>x</inputTangentValue>")));
    ASSERT_EQ(values.timeMapKeypoints.size(), 3u);
    const auto& first = values.timeMapKeypoints[0];
    EXPECT_EQ(first.timelineSeconds, 2.0);
    EXPECT_EQ(first.sourceSeconds, 1.5);
    EXPECT_EQ(first.inputTangentValue, -1.0);
    EXPECT_EQ(first.outputTangentValue, -1.0);
    const auto& second = values.timeMapKeypoints[1];
    EXPECT_DOUBLE_EQ(second.timelineSeconds, 0.1001);
    EXPECT_EQ(second.sourceSeconds, 2.0);
    EXPECT_EQ(second.inputTangentValue, 0.25);
    EXPECT_EQ(second.outputTangentValue, -3.0);
    // Unicode white space is trimmed; unreadable numbers take their fallbacks.
    const auto& third = values.timeMapKeypoints[2];
    EXPECT_EQ(third.timelineSeconds, 0.5);
    EXPECT_EQ(third.sourceSeconds, 0.0);
    EXPECT_EQ(third.inputTangentValue, -1.0);
}

TEST(RetimeParserTest, KeypointsWithoutAReadableTimeAreDropped) {
    for (const std::string badTime :
         {"48/24", "48 0", "48 -24", "48", "", "48\t24", "a 24", "48 b", "inf 1", "1 nan", "1e308 1e-308"}) {
        const RetimeValues values = parsed(timeMap(keypoint(badTime, "1") + keypoint("1 1", "2")));
        ASSERT_EQ(values.timeMapKeypoints.size(), 1u) << badTime;
        EXPECT_EQ(values.timeMapKeypoints[0].sourceSeconds, 2.0) << badTime;
    }
    EXPECT_TRUE(parsed(timeMap("<keypoint><value>1</value></keypoint>")).timeMapKeypoints.empty());
    EXPECT_EQ(parsed(timeMap(keypoint("1 1", "inf"))).timeMapKeypoints.at(0).sourceSeconds, 0.0);
}

TEST(RetimeParserTest, KeypointStateBelongsToOneKeypoint) {
    // Values outside a keypoint are ignored, and each keypoint starts from the fallbacks again.
    const RetimeValues values = parsed("<time>5 1</time><value>9</value>" +
                                       timeMap(keypoint("1 1", "4", "<inputTangentValue>2</inputTangentValue>") +
                                               "<value>8</value>" + "<keypoint><time>2 1</time></keypoint>"));
    ASSERT_EQ(values.timeMapKeypoints.size(), 2u);
    EXPECT_EQ(values.timeMapKeypoints[0].sourceSeconds, 4.0);
    EXPECT_EQ(values.timeMapKeypoints[0].inputTangentValue, 2.0);
    EXPECT_EQ(values.timeMapKeypoints[1].timelineSeconds, 2.0);
    EXPECT_EQ(values.timeMapKeypoints[1].sourceSeconds, 0.0);
    EXPECT_EQ(values.timeMapKeypoints[1].inputTangentValue, -1.0);
}

TEST(RetimeParserTest, DerivedPropertiesFollowTheKeypoints) {
    const RetimeValues constant = withKeypoints({point(0, 0), point(2, 1)});
    EXPECT_EQ(constant.effectiveSpeed(), 50.0);
    EXPECT_FALSE(constant.isSpeedRamp());
    EXPECT_FALSE(constant.isRetimed());
    EXPECT_FALSE(constant.isFreezeFrame());

    EXPECT_EQ(withKeypoints({point(1, 0), point(1, 3)}).effectiveSpeed(), 0.0);
    EXPECT_EQ(withKeypoints({point(2, 0), point(1, 3)}).effectiveSpeed(), 0.0);
    EXPECT_EQ(withKeypoints({point(0, 4), point(2, 2)}).effectiveSpeed(), -100.0);
    EXPECT_EQ(withKeypoints({}).effectiveSpeed(), std::nullopt);
    EXPECT_EQ(withKeypoints({point(0, 0)}).effectiveSpeed(), std::nullopt);

    const RetimeValues ramp = withKeypoints({point(0, 0), point(1, 2), point(2, 2.5)});
    EXPECT_EQ(ramp.effectiveSpeed(), std::nullopt);
    EXPECT_TRUE(ramp.isSpeedRamp());
    EXPECT_TRUE(ramp.isRetimed());

    EXPECT_TRUE(withKeypoints({point(0, 5.0), point(1, 5.0005)}).isFreezeFrame());
    EXPECT_TRUE(withKeypoints({point(0, 5.0), point(1, 9), point(2, 4.9995)}).isFreezeFrame());
    EXPECT_FALSE(withKeypoints({point(0, 5.0), point(1, 5.002)}).isFreezeFrame());
    EXPECT_FALSE(withKeypoints({point(0, 5.0)}).isFreezeFrame());

    // Parsed keypoints feed the same properties.
    EXPECT_EQ(parsed(timeMap(keypoint("0 1", "0") + keypoint("48 24", "1"))).effectiveSpeed(), 50.0);
}

TEST(RetimeParserTest, AParameterWithoutANameLeavesTheEnclosingNameInPlace) {
    const RetimeValues values = parsed(
        "<parameter name=\"Speed\"><parameter><curve value=\"10\"/></parameter>"
        "<curve value=\"50\"/></parameter>");
    EXPECT_EQ(values.speed, 50.0);
    // An unnamed parameter at the top pops nothing either, and the parse goes on.
    EXPECT_EQ(parsed("<parameter></parameter>" + curve("Reverse", "1")).isReversed, true);
}

TEST(RetimeParserTest, MalformedDocumentsKeepWhatWasReadBeforeTheError) {
    const auto values = parse(scene(curve("Speed", "50")) + "<unclosed>" + curve("Reverse", "1"));
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ(values->speed, 50.0);
    const auto broken = parse("<scene>" + curve("Speed", "25") + "<oops></scene>" + curve("Reverse", "1"));
    ASSERT_TRUE(broken.has_value());
    EXPECT_EQ(broken->speed, 25.0);
    EXPECT_FALSE(broken->isReversed);

    const auto empty = parse("");
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(empty->speed, 100.0);
    EXPECT_TRUE(empty->timeMapKeypoints.empty());
}

TEST(RetimeParserTest, DataThatIsNotUTF8OrDeclaresEntitiesGivesNothing) {
    EXPECT_EQ(parse(scene(curve("Speed", "50")) + "<!-- \xFF -->"), std::nullopt);
    EXPECT_EQ(parse("<!DOCTYPE scene [<!ENTITY s \"50\">]>" + scene(curve("Speed", "&s;"))), std::nullopt);
    // Out of the textual guard's reach: refused by the parser itself.
    const std::string padding = "<!--" + std::string(70'000, 'x') + "-->";
    EXPECT_EQ(parse(padding + "<!DOCTYPE scene [<!ENTITY s \"50\">]>" + scene(curve("Speed", "&s;"))), std::nullopt);
    EXPECT_EQ(parse("<!-- <b> --><!DOCTYPE scene [<!ENTITY s \"50\">]>" + scene(curve("Speed", "&s;"))), std::nullopt);
}

TEST(RetimeParserTest, FrameSamplingRawValues) {
    for (const auto method : {FrameSamplingMethod::floor, FrameSamplingMethod::nearest,
                              FrameSamplingMethod::frameBlending, FrameSamplingMethod::opticalFlow}) {
        EXPECT_EQ(RetimeParser::frameSamplingMethodFromRawValue(RetimeParser::rawValue(method)), method);
    }
    EXPECT_EQ(RetimeParser::rawValue(FrameSamplingMethod::opticalFlow), 6);
    for (const std::int64_t other : std::initializer_list<std::int64_t>{3, 4, 5, 7, -1, INT64_MIN}) {
        EXPECT_EQ(RetimeParser::frameSamplingMethodFromRawValue(other), std::nullopt) << other;
    }
}
