#include "BrimlockCore/Database/FCPDatabaseError.h"
#include "BrimlockCore/Resolver/ClipMetadataResolver.h"
#include "BrimlockCore/Timecode/TimecodeCalculator.h"

#include "ResolverTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using brimlock::ClipCategory;
using brimlock::EditEntry;
using brimlock::FCPMetadata;
using brimlock::FrameRate;
using namespace resolvertest;
namespace ClipMetadataResolver = brimlock::ClipMetadataResolver;

namespace {

using Names = std::vector<std::string>;
constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();

bool isEmptyRecord(const FCPMetadata& metadata) { return encode(metadata) == encode(FCPMetadata::empty()); }

// The values of an edit that the frame arithmetic reads; everything else absent.
struct EntryValues {
    double timelineIn = 0;
    double timelineOut = 10;
    double sourceIn = 0;
    std::int64_t sourceStartTC = 0;
    std::optional<FrameRate> frameRate{};
    std::optional<double> speedRate{};
    bool isReversed = false;
    std::vector<EditEntry::DisplaySegment> segments{};
};

EditEntry makeEntry(EntryValues v) {
    return EditEntry{.collectionPK = 1,
                     .clipName = "Clip",
                     .timelineIn = v.timelineIn,
                     .timelineOut = v.timelineOut,
                     .sourceIn = v.sourceIn,
                     .sourceStartTC = v.sourceStartTC,
                     .frameRate = v.frameRate,
                     .speedRate = v.speedRate,
                     .isReversed = v.isReversed,
                     .displaySegments = std::move(v.segments)};
}

EditEntry::DisplaySegment segmentWithClip(double start, double end, std::string clip) {
    return EditEntry::DisplaySegment{.start = start, .end = end, .stackedVideoClips = {std::move(clip)}};
}

class ClipMetadataAtPosition : public ::testing::Test {
protected:
    EventFixture fixture;
    TimelineBuilder timeline = fixture.timeline();

    FCPMetadata at(std::int64_t frame, FrameRate rate = FrameRate::fps24) {
        return fixture.resolver()->resolve(frame, timeline.sequencePK(), rate);
    }
    FCPMetadata atSeconds(double seconds, FrameRate rate = FrameRate::fps24) {
        return fixture.resolver()->resolve(seconds, timeline.sequencePK(), rate);
    }
};

TEST_F(ClipMetadataAtPosition, EditsCoverTheirFirstFrameButNotTheirEnd) {
    timeline.clip("Ten", 0.0, 10.0);
    timeline.clip("Five", 0.0, 5.0);

    const auto first = at(0);
    EXPECT_EQ(first.sourceClipName, "Ten");
    EXPECT_EQ(first.projectTimecode, "00:00:00:00");
    EXPECT_EQ(first.sourceTimecode, "00:00:00:00");
    EXPECT_EQ(first.sourceFrameNumber, 0);
    EXPECT_EQ(first.frameRate, 24.0);
    EXPECT_EQ(first.clipDuration, "00:00:10:00");
    EXPECT_EQ(at(239).sourceClipName, "Ten");

    const auto second = at(240);
    EXPECT_EQ(second.sourceClipName, "Five");
    EXPECT_EQ(second.projectTimecode, "00:00:10:00");
    EXPECT_EQ(second.sourceFrameNumber, 0);
    EXPECT_EQ(second.clipDuration, "00:00:05:00");
    EXPECT_EQ(at(359).sourceFrameNumber, 119);

    EXPECT_TRUE(isEmptyRecord(at(360)));
    EXPECT_TRUE(isEmptyRecord(at(-1)));
    EXPECT_TRUE(isEmptyRecord(at(kInt64Max)));

    EXPECT_EQ(atSeconds(0.0).sourceClipName, "Ten");
    EXPECT_EQ(atSeconds(10.0).sourceClipName, "Five");
    EXPECT_EQ(atSeconds(14.99).sourceClipName, "Five");
    EXPECT_TRUE(isEmptyRecord(atSeconds(15.0)));
    EXPECT_TRUE(isEmptyRecord(atSeconds(-0.01)));
    EXPECT_TRUE(isEmptyRecord(atSeconds(std::nan(""))));
    EXPECT_TRUE(isEmptyRecord(atSeconds(std::numeric_limits<double>::infinity())));
}

TEST_F(ClipMetadataAtPosition, GapsAndEmptyTimelinesHoldNothing) {
    timeline.clip("A", 0.0, 5.0);
    timeline.gap(3.0);
    timeline.clip("B", 0.0, 2.0);
    const auto empty = fixture.timeline("Empty");

    EXPECT_TRUE(isEmptyRecord(at(5 * 24)));
    EXPECT_TRUE(isEmptyRecord(atSeconds(7.99)));
    EXPECT_EQ(atSeconds(8.0).sourceClipName, "B");
    EXPECT_TRUE(isEmptyRecord(fixture.resolver()->resolve(std::int64_t{0}, empty.sequencePK(), FrameRate::fps24)));
}

TEST_F(ClipMetadataAtPosition, SecondsRoundToTheNearestFrameForTheTimecode) {
    timeline.clip("A", 0.0, 10.0);
    // 0.49 and 0.5 frames at 25 fps.
    EXPECT_EQ(atSeconds(0.49 / 25.0, FrameRate::fps25).projectTimecode, "00:00:00:00");
    EXPECT_EQ(atSeconds(0.5 / 25.0, FrameRate::fps25).projectTimecode, "00:00:00:01");
    EXPECT_EQ(atSeconds(0.5 / 25.0, FrameRate::fps25).sourceFrameNumber, 1);
    EXPECT_EQ(ClipMetadataResolver::frameAt(0.5 / 25.0, FrameRate::fps25), 1);
    EXPECT_EQ(ClipMetadataResolver::frameAt(0.49 / 25.0, FrameRate::fps25), 0);
    EXPECT_EQ(ClipMetadataResolver::frameAt(std::nan(""), FrameRate::fps25), std::nullopt);
    EXPECT_EQ(ClipMetadataResolver::frameAt(1e18, FrameRate::fps25), std::nullopt);
    EXPECT_EQ(ClipMetadataResolver::frameAt(-1e18, FrameRate::fps25), std::nullopt);
}

TEST_F(ClipMetadataAtPosition, SourceFramesFollowTheSourceRangeAndRetime) {
    timeline.clip("Lead", 0.0, 10.0);
    timeline.clip("Plain", 2.0, 4.0);
    timeline.clip("Double", 2.0, 4.0).retime({.speedPercent = 200.0, .timeMap = {{0.0, 0.0}, {1.0, 2.0}}});
    timeline.clip("Backwards", 2.0, 4.0).retime({.reversed = true});
    timeline.clip("Backwards half", 2.0, 4.0)
        .retime({.speedPercent = 50.0, .reversed = true, .timeMap = {{0.0, 0.0}, {2.0, 1.0}}});

    // Each retimed clip starts 4 s after the one before: frame 260 + 100 k is 0.4 s into clip k.
    const auto plain = at(260, FrameRate::fps25);
    EXPECT_EQ(plain.sourceClipName, "Plain");
    EXPECT_EQ(plain.sourceFrameNumber, 60);
    EXPECT_EQ(plain.sourceTimecode, "00:00:02:10");
    EXPECT_EQ(plain.projectTimecode, "00:00:10:10");
    EXPECT_EQ(plain.speedRate, std::nullopt);
    EXPECT_EQ(plain.isReversed, false);
    EXPECT_EQ(plain.isFreezeFrame, false);
    EXPECT_EQ(plain.frameRate, 25.0);

    const auto doubled = at(360, FrameRate::fps25);
    EXPECT_EQ(doubled.sourceClipName, "Double");
    EXPECT_EQ(doubled.speedRate, 2.0);
    EXPECT_EQ(doubled.sourceFrameNumber, 70);
    EXPECT_EQ(doubled.isReversed, false);

    const auto backwards = at(460, FrameRate::fps25);
    EXPECT_EQ(backwards.sourceClipName, "Backwards");
    EXPECT_EQ(backwards.speedRate, std::nullopt);
    EXPECT_EQ(backwards.isReversed, true);
    EXPECT_EQ(backwards.sourceFrameNumber, 50 + 90);

    const auto half = at(560, FrameRate::fps25);
    EXPECT_EQ(half.speedRate, 0.5);
    EXPECT_EQ(half.isReversed, true);
    EXPECT_EQ(half.sourceFrameNumber, 50 + 45);  // 25 x 0.5 x 3.6
}

// Bytes that are no document: the effect has data, but it gives no retime.
const quillo::testing::Bytes kUnreadable{0xFF, 0xFE, 0x00, 0x41};
const quillo::testing::RetimeEffect kHalfSpeed{.speedPercent = 50.0, .timeMap = {{0.0, 0.0}, {2.0, 1.0}}};

TEST_F(ClipMetadataAtPosition, AnUnreadableRetimeDeepInOneBranchLeavesTheNextBranchSearched) {
    const auto clip = timeline.clip("Half", 2.0, 4.0);
    clip.child("effectStack", "FFEffectStack").effect("FFRetimingVideoEffect", kUnreadable);
    clip.retime(kHalfSpeed);

    const auto half = at(10, FrameRate::fps25);
    EXPECT_EQ(half.sourceClipName, "Half");
    EXPECT_EQ(half.speedRate, 0.5);
    EXPECT_EQ(half.isReversed, false);
    EXPECT_EQ(half.sourceFrameNumber, 50 + 5);  // 25 x 0.5 x 0.4
    EXPECT_EQ(half.sourceTimecode, "00:00:02:05");
}

TEST_F(ClipMetadataAtPosition, AnUnreadableRetimeDecidesItsOwnLevel) {
    // The first effect with data ends the search among its siblings, even though it gives nothing.
    timeline.clip("Half", 2.0, 4.0).effect("FFRetimingVideoEffect", kUnreadable).retime(kHalfSpeed);

    const auto plain = at(10, FrameRate::fps25);
    EXPECT_EQ(plain.sourceClipName, "Half");
    EXPECT_EQ(plain.speedRate, std::nullopt);
    EXPECT_EQ(plain.isReversed, false);
    EXPECT_EQ(plain.sourceFrameNumber, 50 + 10);
    EXPECT_EQ(plain.sourceTimecode, "00:00:02:10");
}

TEST_F(ClipMetadataAtPosition, TheEditsOwnRateCountsSourceFrames) {
    const auto film = fixture.event().asset({.name = "Film", .frameDuration = "1001/24000"});
    timeline.clip("Film", 0.0, 10.0, {.asset = film});
    const auto video = fixture.event().asset({.name = "Video", .frameDuration = std::nullopt});
    timeline.clip("Video", 0.0, 10.0, {.asset = video});
    fixture.assetStore().loadAssets(fixture.db());

    const auto onFilm = at(100, FrameRate::fps25);  // 4 s
    EXPECT_EQ(onFilm.sourceClipName, "Film");
    EXPECT_EQ(onFilm.frameRate, 24000.0 / 1001.0);
    EXPECT_EQ(onFilm.sourceFrameNumber, 96);  // nearest(4 x 23.976...) = nearest(95.904)
    EXPECT_EQ(onFilm.sourceTimecode, brimlock::TimecodeCalculator::framesToTimecode(96, FrameRate::fps23_976));
    EXPECT_EQ(onFilm.projectTimecode, "00:00:04:00");
    EXPECT_EQ(onFilm.clipDuration, "00:00:10:00");  // counted at the timeline's rate

    // An asset of unknown rate: the timeline's rate serves both.
    const auto onVideo = at(350, FrameRate::fps25);
    EXPECT_EQ(onVideo.sourceClipName, "Video");
    EXPECT_EQ(onVideo.frameRate, 25.0);
    EXPECT_EQ(onVideo.sourceFrameNumber, 100);
}

TEST_F(ClipMetadataAtPosition, ClipDurationTruncatesToWholeFrames) {
    timeline.clip("Odd", 0.0, 10.49);
    EXPECT_EQ(at(0).clipDuration, brimlock::TimecodeCalculator::framesToTimecode(251, FrameRate::fps24));
    EXPECT_EQ(at(0).clipDuration, "00:00:10:11");
}

TEST_F(ClipMetadataAtPosition, ClipFieldsEffectsAndMarkersAreCopied) {
    timeline.clip("Framed", 0.0, 5.0)
        .metadata({{"reel", "R7"}, {"scene", "12"}, {"shot", "3A"}, {"angle", "Wide"}, {"notes", "Soft focus"}})
        .transform({.positionX = 10.0, .positionY = -4.0, .scaleX = 0.5, .scaleY = 2.0, .rotation = 90.0})
        .marker("Fix", Marker::todo, 1.0);
    timeline.clip("Bare", 0.0, 5.0, {.synchronized = true});

    const auto framed = at(24);
    EXPECT_EQ(framed.sourceFileName, "Framed");
    EXPECT_EQ(framed.mediaIdentifier, fixture.event().assetNamed("Framed").mediaIdentifier);
    EXPECT_EQ(framed.reelName, "R7");
    EXPECT_EQ(framed.scene, "12");
    EXPECT_EQ(framed.shot, "3A");
    EXPECT_EQ(framed.angle, "Wide");
    EXPECT_EQ(framed.notes, "Soft focus");
    EXPECT_EQ(framed.clipType, ClipCategory::simple);
    EXPECT_EQ(framed.resolutionWidth, 1920.0);
    EXPECT_EQ(framed.resolutionHeight, 1080.0);
    EXPECT_EQ(framed.positionX, 10.0);
    EXPECT_EQ(framed.positionY, -4.0);
    EXPECT_EQ(framed.scaleX, 0.5);
    EXPECT_EQ(framed.scaleY, 2.0);
    EXPECT_EQ(framed.rotation, 90.0);
    ASSERT_TRUE(framed.markers.has_value());
    ASSERT_EQ(framed.markers->size(), 1u);
    EXPECT_EQ((*framed.markers)[0].text, "Fix");
    for (const auto& none : {framed.cameraName, framed.take, framed.videoRole}) EXPECT_EQ(none, std::nullopt);
    EXPECT_EQ(framed.audioRoles, std::nullopt);
    EXPECT_EQ(framed.appliedEffects, std::nullopt);
    EXPECT_EQ(framed.hasStabilization, std::nullopt);
    EXPECT_EQ(framed.hasRollingShutterFix, std::nullopt);

    const auto bare = at(5 * 24);
    EXPECT_EQ(bare.sourceClipName, "Bare");
    EXPECT_EQ(bare.clipType, ClipCategory::sync);
    EXPECT_EQ(bare.markers, std::nullopt);
    EXPECT_EQ(bare.positionX, std::nullopt);
    EXPECT_EQ(bare.reelName, std::nullopt);
    EXPECT_EQ(bare.stackedVideoClips, std::nullopt);
    EXPECT_EQ(bare.activeRoleClips, std::nullopt);
    EXPECT_EQ(bare.stackedLayers, std::nullopt);
}

TEST_F(ClipMetadataAtPosition, LayersAndRolesAreThoseOfTheSegmentAtThePosition) {
    fixture.event().roles().role("dia", "Dialogue").subRole("dia.1", "Dialogue-1");
    const auto clip = timeline.clip("A", 0.0, 10.0);
    clip.connect(1, 5.0).clip("Overlay", 3.0, 5.0, {.form = ClipForm::collection});
    clip.connect(-1, 0.0).clip("Voice", 0.0, 4.0).role("dia.1");

    const auto early = atSeconds(1.0);
    EXPECT_EQ(early.stackedVideoClips, std::nullopt);
    EXPECT_EQ(early.stackedLayers, std::nullopt);
    ASSERT_TRUE(early.activeRoleClips.has_value());
    EXPECT_EQ(early.activeRoleClips->at("dia.1").mediaFilename(), "Voice");

    // 4 s to 5 s: the voice has ended, the overlay not begun.
    const auto between = atSeconds(4.5);
    EXPECT_EQ(between.activeRoleClips, std::nullopt);
    EXPECT_EQ(between.stackedVideoClips, std::nullopt);

    // The overlay's segment starts at 5 s exactly.
    for (const auto& over : {atSeconds(5.0), at(5 * 24), atSeconds(9.99)}) {
        EXPECT_EQ(over.stackedVideoClips, Names{"Overlay"});
        ASSERT_TRUE(over.stackedLayers.has_value());
        ASSERT_EQ(over.stackedLayers->size(), 1u);
        EXPECT_EQ((*over.stackedLayers)[0].videoLaneNumber, 2);
        EXPECT_EQ(over.activeRoleClips, std::nullopt);
    }
    EXPECT_EQ(at(5 * 24 - 1).stackedVideoClips, std::nullopt);
}

TEST_F(ClipMetadataAtPosition, AFailingWalkIsPassedOn) {
    for (int i = 0; i < 5; ++i) timeline.clip("C" + std::to_string(i), 0.0, 1.0);
    auto resolver = fixture.resolver();
    resolver->setWalkLimit(3);
    EXPECT_THROW(resolver->resolve(std::int64_t{0}, timeline.sequencePK(), FrameRate::fps24),
                 brimlock::FCPDatabaseError);
    EXPECT_THROW(resolver->resolve(0.0, timeline.sequencePK(), FrameRate::fps24), brimlock::FCPDatabaseError);
}

TEST_F(ClipMetadataAtPosition, PositionsBeyondTheFrameRangeAreHandledSafely) {
    // A damaged clip lasting 2^63 - 1 seconds.
    timeline.clip("Endless", 0.0, quillo::testing::Time(kInt64Max, 1));

    const auto start = at(24);
    EXPECT_EQ(start.sourceClipName, "Endless");
    EXPECT_EQ(start.sourceFrameNumber, 24);
    EXPECT_EQ(start.clipDuration, std::nullopt);  // its frame count leaves the 64-bit range
    EXPECT_EQ(atSeconds(1e15).sourceClipName, "Endless");
    // 1e18 s has no 64-bit frame.
    EXPECT_TRUE(isEmptyRecord(atSeconds(1e18)));
}

TEST(ClipMetadataBuild, SourceStartTimecodeAndSourceInSetTheBase) {
    const auto entry = makeEntry({.timelineIn = 10, .timelineOut = 14, .sourceIn = 2, .sourceStartTC = 1000});
    const auto metadata = ClipMetadataResolver::buildMetadata(entry, 260, FrameRate::fps25);
    EXPECT_EQ(metadata.sourceFrameNumber, 1000 + 50 + 10);
    EXPECT_EQ(metadata.sourceTimecode, brimlock::TimecodeCalculator::framesToTimecode(1060, FrameRate::fps25));
    EXPECT_EQ(metadata.isReversed, false);

    const auto reversed = makeEntry({.timelineIn = 10, .timelineOut = 14, .sourceIn = 2, .isReversed = true});
    EXPECT_EQ(ClipMetadataResolver::buildMetadata(reversed, 260, FrameRate::fps25).sourceFrameNumber, 140);
    // A speed of exactly 1 counts as no retime.
    const auto normal = makeEntry({.timelineIn = 10, .timelineOut = 14, .sourceIn = -4, .speedRate = 1.0});
    EXPECT_EQ(ClipMetadataResolver::buildMetadata(normal, 260, FrameRate::fps25).sourceFrameNumber, 0);
}

TEST(ClipMetadataBuild, OnlyUnretimedSourceFramesAreHeldAtZero) {
    // The source range starts 4 s before the media: base -100 at 25 fps.
    const auto plain = makeEntry({.timelineIn = 10, .timelineOut = 14, .sourceIn = -4});
    const auto plainAt = ClipMetadataResolver::buildMetadata(plain, 260, FrameRate::fps25);
    EXPECT_EQ(plainAt.sourceFrameNumber, 0);
    EXPECT_EQ(plainAt.sourceTimecode, "00:00:00:00");

    const auto retimed = makeEntry({.timelineIn = 10, .timelineOut = 14, .sourceIn = -4, .speedRate = 2.0});
    EXPECT_EQ(ClipMetadataResolver::buildMetadata(retimed, 260, FrameRate::fps25).sourceFrameNumber, -100 + 20);

    const auto reversed = makeEntry({.timelineIn = 10, .timelineOut = 14, .sourceIn = -8, .isReversed = true});
    EXPECT_EQ(ClipMetadataResolver::buildMetadata(reversed, 260, FrameRate::fps25).sourceFrameNumber, -200 + 90);
}

TEST(ClipMetadataBuild, APositionBetweenSegmentsTakesTheLastSegment) {
    std::vector<EditEntry::DisplaySegment> segments;
    segments.push_back(segmentWithClip(0, 5, "First"));
    segments.push_back(segmentWithClip(5.5, 10, "Last"));
    segments.push_back(EditEntry::DisplaySegment{.start = 7, .end = 8});
    const auto entry = makeEntry({.segments = std::move(segments)});

    EXPECT_EQ(ClipMetadataResolver::buildMetadata(entry, 24, FrameRate::fps24).stackedVideoClips, Names{"First"});
    EXPECT_EQ(ClipMetadataResolver::buildMetadata(entry, 144, FrameRate::fps24).stackedVideoClips, Names{"Last"});
    // 5.25 s lies in no segment, so the last one (7 s to 8 s, empty) serves.
    EXPECT_EQ(ClipMetadataResolver::buildMetadata(entry, 126, FrameRate::fps24).stackedVideoClips, std::nullopt);
    // The first match wins over a later overlapping one.
    EXPECT_EQ(ClipMetadataResolver::buildMetadata(entry, 180, FrameRate::fps24).stackedVideoClips, Names{"Last"});
}

TEST(ClipMetadataBuild, ArithmeticOutsideTheFrameRangeLeavesTheValueUnknown) {
    const auto far = makeEntry({.sourceIn = 1e300});
    const auto farAt = ClipMetadataResolver::buildMetadata(far, 24, FrameRate::fps24);
    EXPECT_EQ(farAt.sourceFrameNumber, std::nullopt);
    EXPECT_EQ(farAt.sourceTimecode, FCPMetadata::empty().sourceTimecode);
    EXPECT_EQ(farAt.projectTimecode, "00:00:01:00");
    EXPECT_EQ(farAt.clipDuration, "00:00:10:00");

    const auto overflowing = makeEntry({.sourceIn = 1, .sourceStartTC = kInt64Max});
    EXPECT_EQ(ClipMetadataResolver::buildMetadata(overflowing, 24, FrameRate::fps24).sourceFrameNumber, std::nullopt);
    const auto atTheTop = makeEntry({.sourceStartTC = kInt64Max - 48});
    EXPECT_EQ(ClipMetadataResolver::buildMetadata(atTheTop, 24, FrameRate::fps24).sourceFrameNumber, kInt64Max - 24);

    const auto notANumber = makeEntry({.speedRate = std::nan(""), .isReversed = true});
    EXPECT_EQ(ClipMetadataResolver::buildMetadata(notANumber, 24, FrameRate::fps24).sourceFrameNumber, std::nullopt);
}

class TimelineFrameSize : public ::testing::Test {
protected:
    EventFixture fixture;
};

TEST_F(TimelineFrameSize, TheRectangleOfThePrimaryStorylineGivesTheSize) {
    const auto hd = fixture.timeline("HD");
    const auto uhd = fixture.event().sequence("UHD", {.width = 3840, .height = 2160});
    const auto clip = hd.clip("A", 0.0, 1.0);
    const auto resolver = fixture.resolver();

    const auto hdSize = resolver->timelineResolution(hd.sequencePK());
    ASSERT_TRUE(hdSize.has_value());
    EXPECT_EQ(hdSize->width, 1920.0);
    EXPECT_EQ(hdSize->height, 1080.0);
    const auto uhdSize = resolver->timelineResolution(uhd.sequencePK());
    ASSERT_TRUE(uhdSize.has_value());
    EXPECT_EQ(uhdSize->width, 3840.0);
    EXPECT_EQ(uhdSize->height, 2160.0);
    EXPECT_EQ(resolver->timelineResolution(clip.pk()), std::nullopt);  // no "primaryObject"
    EXPECT_EQ(resolver->timelineResolution(987654), std::nullopt);
}

TEST_F(TimelineFrameSize, AnUnreadableRectangleGivesNoSize) {
    using quillo::testing::ArchiveValue;
    const auto props = [](ArchiveValue pb) { return ArchiveValue::dictionary({{"PB", std::move(pb)}}); };
    const auto three = fixture.timeline("Three numbers");
    three.primaryItem().attribute("videoProps", props("{{0, 0}, {3840}}"));
    const auto bare = fixture.timeline("Bare size");
    bare.primaryItem().attribute("videoProps", props("{1920, 1080}"));
    const auto number = fixture.timeline("Number");
    number.primaryItem().attribute("videoProps", props(1920));
    const auto flat = fixture.timeline("Not a dictionary");
    flat.primaryItem().attribute("videoProps", "{{0, 0}, {1920, 1080}}");
    const auto noise = fixture.timeline("Noise");
    noise.primaryItem().attribute("videoProps", props("{{0, zero, 0}, {1280, x, 720}}"));
    const auto garbage = fixture.timeline("Garbage");
    garbage.primaryItem().blob(quillo::testing::Bytes{'b', 'p', 'l', 'i', 's', 't'});
    const auto nullBlob = fixture.timeline("Null blob");
    nullBlob.primaryItem().blob(quillo::testing::EventDatabase::Blob::null());
    const auto resolver = fixture.resolver();

    for (const auto& timeline : {three, bare, number, flat, garbage, nullBlob})
        EXPECT_EQ(resolver->timelineResolution(timeline.sequencePK()), std::nullopt) << timeline.name();
    // Pieces that are no numbers are left out.
    const auto size = resolver->timelineResolution(noise.sequencePK());
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->width, 1280.0);
    EXPECT_EQ(size->height, 720.0);
}

}  // namespace
