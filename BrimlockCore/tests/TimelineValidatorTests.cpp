#include "BrimlockCore/Validation/FCPXMLParser.h"
#include "BrimlockCore/Validation/TimelineValidator.h"

#include "EnglishLocaleTest.h"
#include "ResolverTestSupport.h"

#include "testing/Projected.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <span>

namespace fcpxml = brimlock::FCPXMLParser;
using brimlock::ClipCategory;
using brimlock::EditEntry;
using fcpxml::Rational;
using namespace brimlock::TimelineValidator;
using quillo::testing::projected;

namespace {

constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();

EditEntry entry(std::string name, double in, double out, ClipCategory category = ClipCategory::simple,
                double sourceIn = 0) {
    return EditEntry{.collectionPK = 1,
                     .clipName = std::move(name),
                     .clipType = category,
                     .timelineIn = in,
                     .timelineOut = out,
                     .sourceIn = sourceIn};
}

fcpxml::SpineClip clip(std::string name, Rational offset, Rational duration, std::string type = "asset-clip",
                       std::optional<Rational> start = std::nullopt) {
    fcpxml::SpineClip result;
    result.elementType = std::move(type);
    result.name = std::move(name);
    result.offset = offset;
    result.duration = duration;
    result.start = start;
    return result;
}

// Frames at 25 fps as a Rational of seconds.
Rational at25(std::int64_t frames) { return Rational{frames, 25}; }

fcpxml::Sequence sequence25(std::vector<fcpxml::SpineClip> clips, double tcStart = 0) {
    fcpxml::Sequence result;
    result.name = "Cut";
    result.kind = fcpxml::SequenceKind::project;
    result.frameDuration = Rational{1, 25};
    result.tcStartSeconds = tcStart;
    result.clips = std::move(clips);
    return result;
}

std::vector<std::int64_t> recordIns(const std::vector<UnmatchedClip>& clips) {
    return projected(clips, &UnmatchedClip::recordInFrames);
}

std::vector<std::string> fields(const ValidationReport& report) {
    return projected(report.mismatches, &FieldMismatch::field);
}

}  // namespace

TEST(TimelineValidator, ResolverEntriesWithoutFCPXMLClipsAreAllUnmatched) {
    fcpxml::Sequence empty;
    empty.name = "Nothing";
    const auto report = validate(
        empty, {entry("A", 0, 1), entry("Gap", 1, 2, ClipCategory::gap), entry("T", 2, 3, ClipCategory::title)}, 0, 0);
    EXPECT_EQ(report.sequenceName, "Nothing");
    EXPECT_EQ(report.sequenceKind, "other");
    EXPECT_EQ(report.fps, 24.0);
    EXPECT_FALSE(report.frameRateResolved);
    EXPECT_EQ(report.fcpxmlClipCount, 0u);
    EXPECT_EQ(report.resolverEntryCount, 3u);
    EXPECT_EQ(report.comparedPairs, 0u);
    EXPECT_FALSE(report.passed());
    ASSERT_EQ(report.unmatchedResolver.size(), 3u);
    EXPECT_EQ(report.unmatchedResolver[1],
              (UnmatchedClip{UnmatchedClip::Side::resolver, "Gap", "gap", 24, "00:00:01:00"}));
    EXPECT_EQ(report.unmatchedResolver[2].elementType, "title");
    EXPECT_EQ(report.summaryLine(),
              "0/0 exact matches \u2014 0 field mismatches, 0 in FCPXML only, 3 in resolver only");
}

TEST(TimelineValidator, PairsClipsWhoseStartsLieWithinTheWindow) {
    // Given out of order: both sides are sorted by record-in first.
    const auto sequence =
        sequence25({clip("C", at25(200), at25(50)), clip("A", at25(0), at25(50)), clip("B", at25(100), at25(50))});
    const auto report = validate(sequence, {entry("A", 0, 2), entry("C", 8, 10), entry("X", 6, 8)}, 0, 10);
    EXPECT_EQ(report.comparedPairs, 2u);
    EXPECT_EQ(report.exactMatches, 2u);
    EXPECT_EQ(recordIns(report.unmatchedFCPXML), (std::vector<std::int64_t>{100}));
    EXPECT_EQ(recordIns(report.unmatchedResolver), (std::vector<std::int64_t>{150}));
    EXPECT_EQ(report.unmatchedFCPXML[0].side, UnmatchedClip::Side::fcpxml);
    EXPECT_EQ(report.unmatchedFCPXML[0].name, "B");
    EXPECT_EQ(report.unmatchedFCPXML[0].projectTimecode, "00:00:04:00");
    EXPECT_EQ(report.summaryLine(),
              "2/2 exact matches \u2014 0 field mismatches, 1 in FCPXML only, 1 in resolver only");

    // Starts exactly the window apart pair; one frame more do not.
    EXPECT_EQ(validate(sequence25({clip("A", at25(10), at25(40))}), {entry("A", 0, 2)}, 100, 10).comparedPairs, 1u);
    EXPECT_EQ(validate(sequence25({clip("A", at25(11), at25(39))}), {entry("A", 0, 2)}, 100, 10).comparedPairs, 0u);
    // A negative window pairs nothing.
    EXPECT_EQ(validate(sequence25({clip("A", at25(0), at25(50))}), {entry("A", 0, 2)}, 0, -1).comparedPairs, 0u);
}

TEST(TimelineValidator, FieldsDifferOnlyBeyondTheTolerance) {
    const auto exact = validate(sequence25({clip("A", at25(10), at25(40))}), {entry("A", 0.0, 2.0)}, 10, 10);
    EXPECT_TRUE(exact.passed());
    EXPECT_EQ(exact.exactMatches, 1u);

    const auto one = validate(sequence25({clip("A", at25(11), at25(39))}), {entry("A", 0.0, 2.0)}, 10, 20);
    ASSERT_EQ(fields(one), (std::vector<std::string>{"recordIn"}));
    EXPECT_EQ(one.mismatches[0], (FieldMismatch{"A", "recordIn", "11", "0", -11}));
    EXPECT_EQ(one.exactMatches, 0u);
    EXPECT_EQ(one.summaryLine(), "0/1 exact matches \u2014 1 field mismatch, 0 in FCPXML only, 0 in resolver only");

    const auto two = validate(sequence25({clip("A", at25(0), at25(50))}), {entry("A", 0.0 - 0.48, 2.6)}, 10, 20);
    ASSERT_EQ(fields(two), (std::vector<std::string>{"recordIn", "recordOut"}));
    EXPECT_EQ(two.mismatches[0].deltaFrames, -12);
    EXPECT_EQ(two.mismatches[1], (FieldMismatch{"A", "recordOut", "50", "65", 15}));
    EXPECT_EQ(two.summaryLine(), "0/1 exact matches \u2014 2 field mismatches, 0 in FCPXML only, 0 in resolver only");
}

using TimelineValidatorNames = EnglishLocaleTest;

TEST_F(TimelineValidatorNames, MatchTrimmedAndIgnoringCase) {
    const auto compare = [](std::string fcpxmlName, std::string resolverName) {
        return validate(sequence25({clip(std::move(fcpxmlName), at25(0), at25(25))}),
                        {entry(std::move(resolverName), 0, 1)}, 0, 0);
    };
    EXPECT_TRUE(compare(" Interview A ", "interview a").passed());
    EXPECT_TRUE(compare("Interview A\n", "\tINTERVIEW A").passed());
    EXPECT_TRUE(compare("", "").passed());
    EXPECT_TRUE(compare("  ", "").passed());
    EXPECT_FALSE(compare("Interview A", "Interview B").passed());

    const auto empty = compare("", "Clip");
    ASSERT_EQ(empty.mismatches.size(), 1u);
    EXPECT_EQ(empty.mismatches[0], (FieldMismatch{"", "name", "", "Clip", std::nullopt}));
}

TEST(TimelineValidator, SourceInsAreComparedOnlyBetweenAssetClipsAndSimpleEntries) {
    const auto sourceMismatches = [](std::string type, std::optional<Rational> start, ClipCategory category) {
        const auto report = validate(sequence25({clip("A", at25(0), at25(25), std::move(type), start)}),
                                     {entry("A", 0, 1, category, 2.0)}, 0, 0);
        return fields(report);
    };
    const std::vector<std::string> sourceIn{"sourceIn"};
    EXPECT_EQ(sourceMismatches("asset-clip", at25(0), ClipCategory::simple), sourceIn);
    EXPECT_TRUE(sourceMismatches("asset-clip", at25(50), ClipCategory::simple).empty());
    EXPECT_TRUE(sourceMismatches("clip", at25(0), ClipCategory::simple).empty());
    EXPECT_TRUE(sourceMismatches("asset-clip", at25(0), ClipCategory::multicam).empty());
    EXPECT_TRUE(sourceMismatches("asset-clip", std::nullopt, ClipCategory::simple).empty());

    const auto report = validate(sequence25({clip("A", at25(0), at25(25), "asset-clip", Rational{3, 1})}),
                                 {entry("A", 0, 1, ClipCategory::simple, 2.0)}, 0, 0);
    EXPECT_EQ(report.mismatches[0], (FieldMismatch{"A", "sourceIn", "75", "50", -25}));
}

TEST(TimelineValidator, GapsTransitionsAndEmptyClipsAreLeftOut) {
    const auto sequence = sequence25(
        {clip("Gap", at25(0), at25(25), "gap"), clip("Dissolve", at25(20), at25(10), "transition"),
         clip("Empty", at25(30), at25(0)), clip("Backwards", at25(40), at25(-5)), clip("Real", at25(50), at25(25))});
    const auto report = validate(sequence, {entry("Gap", 0, 1, ClipCategory::gap), entry("Real", 2, 3)}, 0, 0);
    EXPECT_EQ(report.fcpxmlClipCount, 1u);
    EXPECT_EQ(report.comparedPairs, 1u);
    EXPECT_TRUE(report.unmatchedFCPXML.empty());
    // The resolver's gap is an entry like any other.
    ASSERT_EQ(report.unmatchedResolver.size(), 1u);
    EXPECT_EQ(report.unmatchedResolver[0].elementType, "gap");
}

TEST(TimelineValidator, FramesAndTimecodesFollowTheSequenceRate) {
    fcpxml::Sequence ntsc;
    ntsc.frameDuration = Rational{1001, 30000};
    ntsc.clips = {clip("Late", Rational{1801800, 30000}, Rational{1001, 30000})};  // frame 1800
    const auto report = validate(ntsc, {}, 0, 0);
    EXPECT_DOUBLE_EQ(report.fps, 30000.0 / 1001.0);
    EXPECT_TRUE(report.frameRateResolved);
    ASSERT_EQ(report.unmatchedFCPXML.size(), 1u);
    EXPECT_EQ(report.unmatchedFCPXML[0].recordInFrames, 1800);
    EXPECT_EQ(report.unmatchedFCPXML[0].projectTimecode, "00:01:00:00");  // never drop-frame

    // A zero frame duration counts as resolved but runs at 24.
    fcpxml::Sequence zero;
    zero.frameDuration = Rational{0, 1};
    const auto zeroReport = validate(zero, {entry("A", 1, 2)}, 0, 0);
    EXPECT_EQ(zeroReport.fps, 24.0);
    EXPECT_TRUE(zeroReport.frameRateResolved);
    EXPECT_EQ(zeroReport.unmatchedResolver[0].recordInFrames, 24);

    // Labels use the nominal rate of the sequence; a rate no band holds is labelled at 24.
    const auto label = [](Rational frameDuration, double seconds) {
        fcpxml::Sequence s;
        s.frameDuration = frameDuration;
        return validate(s, {entry("A", seconds, seconds + 1)}, 0, 0).unmatchedResolver.at(0).projectTimecode;
    };
    EXPECT_EQ(label({1001, 24000}, 1001.0 / 24000.0 * 30), "00:00:01:06");
    EXPECT_EQ(label({1001, 60000}, 1001.0 / 60000.0 * 70), "00:00:01:10");
    EXPECT_EQ(label({1, 50}, 1.5), "00:00:01:25");
    EXPECT_EQ(label({1, 12}, 1.0), "00:00:00:12");  // frame 12 labelled at 24
    EXPECT_EQ(label({1001, 48000}, 1001.0 / 48000.0 * 50), "00:00:01:02");
}

TEST(TimelineValidator, RecordInsCountFromTheStartTimecode) {
    // One hour at 25: an FCPXML clip at 3600 s is at the timeline's start and pairs with the entry at 0.
    const auto report =
        validate(sequence25({clip("A", Rational{3600, 1}, at25(25)), clip("B", Rational{3601, 1}, at25(25))}, 3600.0),
                 {entry("A", 0, 1), entry("C", 5, 6)}, 0, 0);
    EXPECT_EQ(report.tcStartSeconds, 3600.0);
    EXPECT_EQ(report.comparedPairs, 1u);
    EXPECT_EQ(report.exactMatches, 1u);
    ASSERT_EQ(report.unmatchedFCPXML.size(), 1u);
    EXPECT_EQ(report.unmatchedFCPXML[0].recordInFrames, 25);
    EXPECT_EQ(report.unmatchedFCPXML[0].projectTimecode, "01:00:01:00");
    EXPECT_EQ(report.unmatchedResolver[0].projectTimecode, "01:00:05:00");

    // A start before the start timecode is labelled as the zero label.
    const auto early = validate(sequence25({clip("Pre", Rational{3599, 1}, Rational{0, 1})}, 3600.0),
                                {entry("Pre", -7200, -7199)}, 0, 0);
    EXPECT_EQ(early.unmatchedResolver[0].projectTimecode, "00:00:00:00");
}

TEST(TimelineValidator, ValuesBeyondTheFrameRangeSaturate) {
    constexpr double huge = 1e300;
    // A clip from the bottom of the range to half of it, against an entry that spans everything.
    const auto sequence = sequence25({clip("A", Rational{kInt64Min, 25}, Rational{4611686018427387904, 25})});
    const auto report = validate(sequence, {entry("A", -huge, huge), entry("NaN", std::nan(""), 1.0)}, 0, kInt64Max);
    ASSERT_EQ(report.comparedPairs, 1u);
    ASSERT_EQ(fields(report), (std::vector<std::string>{"recordOut"}));
    EXPECT_EQ(report.mismatches[0].deltaFrames, kInt64Max);
    EXPECT_EQ(report.mismatches[0].actual, std::to_string(kInt64Max));
    // The entry whose start is no number starts at frame 0.
    ASSERT_EQ(report.unmatchedResolver.size(), 1u);
    EXPECT_EQ(report.unmatchedResolver[0].recordInFrames, 0);

    // Starts at opposite ends of the range are far apart whatever the window.
    const auto apart = validate(sequence, {entry("Z", huge, huge)}, kInt64Max, kInt64Max);
    EXPECT_EQ(apart.comparedPairs, 0u);
    EXPECT_EQ(recordIns(apart.unmatchedFCPXML), (std::vector<std::int64_t>{kInt64Min}));
    EXPECT_EQ(apart.unmatchedFCPXML[0].projectTimecode, "00:00:00:00");
    EXPECT_EQ(recordIns(apart.unmatchedResolver), (std::vector<std::int64_t>{kInt64Max}));
}

TEST(TimelineValidator, UnmatchedSidesHaveRawTexts) {
    for (const auto side : {UnmatchedClip::Side::fcpxml, UnmatchedClip::Side::resolver})
        EXPECT_EQ(sideFromRawValue(rawValue(side)), side);
    EXPECT_EQ(rawValue(UnmatchedClip::Side::resolver), "resolver");
    EXPECT_EQ(sideFromRawValue("FCPXML"), std::nullopt);
}

// An exported FCPXML checked against the edit list the resolver builds from the same timeline's event
// database.
TEST(TimelineValidator, AnExportMatchesTheResolvedTimeline) {
    resolvertest::EventFixture fixture;
    const auto timeline = fixture.timeline("Main Edit");
    timeline.clip("Interview", 10.0, 4.0);
    timeline.gap(1.0);
    timeline.clip("B-Roll", 2.0, 2.0);
    const auto list = fixture.edl(timeline);

    const auto exported = [](const std::string& bRollOffset) {
        const std::string xml = R"(<fcpxml version="1.10"><resources>
  <format id="r1" frameDuration="1/25s"/><asset id="r2" name="Interview.mov" uid="U2"/>
</resources><library><event><project name="Main Edit"><sequence format="r1" tcStart="3600s"><spine>
  <asset-clip name="Interview" ref="r2" offset="3600s" start="10s" duration="4s"/>
  <gap name="Gap" offset="3604s" start="3600s" duration="1s"/>
  <asset-clip name="B-Roll" offset=")" +
                                bRollOffset + R"(" start="2s" duration="2s"/>
</spine></sequence></project></event></library></fcpxml>)";
        return fcpxml::parse(std::span(reinterpret_cast<const std::uint8_t*>(xml.data()), xml.size()), "export.fcpxml");
    };

    const auto matching = exported("3605s");
    const auto report = validate(*matching.primaryTimeline(), list->entries(), 0, 2);
    EXPECT_TRUE(report.passed()) << report.summaryLine();
    EXPECT_EQ(report.fcpxmlClipCount, 2u);
    EXPECT_EQ(report.resolverEntryCount, list->entries().size());
    EXPECT_EQ(report.exactMatches, 2u);

    const auto shifted = exported("90126/25s");  // one frame late
    const auto late = validate(*shifted.primaryTimeline(), list->entries(), 0, 2);
    EXPECT_EQ(fields(late), (std::vector<std::string>{"recordIn", "recordOut"}));
    EXPECT_EQ(late.mismatches[0], (FieldMismatch{"B-Roll", "recordIn", "126", "125", -1}));
    EXPECT_EQ(validate(*shifted.primaryTimeline(), list->entries(), 1, 2).exactMatches, 2u);
}
