#include "BrimlockCore/Database/FCPDatabaseError.h"
#include "BrimlockCore/Resolver/LocalSequenceIndex.h"

#include "ResolverTestSupport.h"

#include "testing/Projected.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using brimlock::ClipCategory;
using brimlock::EditEntry;
using brimlock::FrameRate;
using namespace resolvertest;
using quillo::testing::projected;

namespace {

using Spans = std::vector<std::pair<double, double>>;
using Names = std::vector<std::string>;

const EditEntry& entryNamed(const brimlock::EditDecisionList& list, const std::string& name) {
    for (const auto& entry : list.entries())
        if (entry.clipName == name) return entry;
    throw std::runtime_error("no entry named " + name);
}

// A chain of `levels` compound clips, each inside the previous one's sequence, the last holding a
// 2 s clip "Deep"; then a 1 s clip "After" on the timeline.
void nestCompounds(const TimelineBuilder& timeline, int levels) {
    ItemContainer container = timeline;
    for (int level = 1; level <= levels; ++level)
        container = container.compound("C" + std::to_string(level), 0.0, 1.0).inner();
    container.clip("Deep", 0.0, 2.0);
    timeline.clip("After", 0.0, 1.0);
}

// A chain of `levels` auditions, each the pick of the previous one, the last picking a 2 s clip.
void nestAuditions(const TimelineBuilder& timeline, int levels) {
    ItemContainer container = timeline;
    for (int level = 0; level < levels; ++level) container = container.audition().active();
    container.clip("Deep", 0.0, 2.0);
    timeline.clip("After", 0.0, 1.0);
}

class TimelineResolution : public ::testing::Test {
protected:
    EventFixture fixture;
    TimelineBuilder timeline = fixture.timeline();
};

TEST_F(TimelineResolution, AnEmptyTimelineHasNoEdits) {
    const auto withGroup = fixture.timeline("Empty storyline");
    withGroup.groupPK();
    for (const auto& built : {timeline, withGroup}) {
        const auto list = fixture.edl(built);
        EXPECT_EQ(list->timelineID(), built.sequencePK());
        EXPECT_EQ(list->count(), 0u);
        EXPECT_EQ(list->duration(), 0.0);
        EXPECT_EQ(list->lookup(0.0), nullptr);
        EXPECT_TRUE(list->lookup(0.0, 10.0).empty());
        EXPECT_TRUE(list->laidInItems().empty());
    }
}

TEST_F(TimelineResolution, EditsCoverTheirStartButNotTheirEnd) {
    timeline.clip("Ten", 0.0, 10.0);
    timeline.clip("Five", 0.0, 5.0);
    const auto list = fixture.edl(timeline);

    EXPECT_EQ(spans(*list), (Spans{{0.0, 10.0}, {10.0, 15.0}}));
    EXPECT_EQ(list->duration(), 15.0);
    EXPECT_EQ(list->lookup(9.999)->clipName, "Ten");
    EXPECT_EQ(list->lookup(10.0)->clipName, "Five");
    EXPECT_EQ(list->lookup(15.0), nullptr);
    EXPECT_EQ(list->lookup(-1.0), nullptr);
    EXPECT_EQ(list->lookup(std::nan("")), nullptr);
    EXPECT_EQ(list->lookup(std::int64_t{239}, FrameRate::fps24)->clipName, "Ten");
    EXPECT_EQ(list->lookup(std::int64_t{240}, FrameRate::fps24)->clipName, "Five");

    const auto names = [](const std::vector<const EditEntry*>& found) {
        return projected(found, &EditEntry::clipName);
    };
    EXPECT_EQ(names(list->lookup(10.0, 10.5)), Names{"Five"});
    EXPECT_EQ(names(list->lookup(9.5, 10.0)), Names{"Ten"});
    EXPECT_EQ(names(list->lookup(0.0, 15.0)), (Names{"Ten", "Five"}));
    EXPECT_TRUE(list->lookup(15.0, 20.0).empty());
}

TEST_F(TimelineResolution, TheStoryLineOrderIsTheStoredOrderThenTheRestByKey) {
    const auto one = timeline.clip("One", 0.0, 1.0);
    timeline.clip("Two", 0.0, 2.0);
    const auto three = timeline.clip("Three", 0.0, 3.0);
    timeline.clip("Four", 0.0, 4.0);
    timeline.storeOrder({three, one});
    const auto unordered = fixture.timeline("Unordered");
    unordered.clip("X", 0.0, 1.0);
    unordered.clip("Y", 0.0, 2.0);
    unordered.omitStoredOrder();
    // A damaged order naming a clip twice still lays it in once.
    const auto repeated = fixture.timeline("Repeated");
    const auto p = repeated.clip("P", 0.0, 1.0);
    const auto q = repeated.clip("Q", 0.0, 2.0);
    const auto text = [](const ItemBuilder& item) {
        return ArchiveValue::rawObject(PlistValue::string(item.identifier()));
    };
    fixture.event().setBlob(repeated.groupPK(),
                            KeyedArchiveWriter::archive(ArchiveValue::dictionary(
                                {{"identifiers", ArchiveValue::array({text(q), text(p), text(q)})}})));

    auto list = fixture.edl(timeline);
    EXPECT_EQ(clipNames(*list), (Names{"Three", "One", "Two", "Four"}));
    EXPECT_EQ(spans(*list), (Spans{{0.0, 3.0}, {3.0, 4.0}, {4.0, 6.0}, {6.0, 10.0}}));
    list = fixture.edl(unordered);
    EXPECT_EQ(clipNames(*list), (Names{"X", "Y"}));
    list = fixture.edl(repeated);
    EXPECT_EQ(clipNames(*list), (Names{"Q", "P"}));
    EXPECT_EQ(list->duration(), 3.0);
}

TEST_F(TimelineResolution, GapsAndPlaceholdersTakeTheirTimeWithoutAnEdit) {
    timeline.clip("A", 0.0, 5.0);
    const auto gap = timeline.gap(3.0);
    gap.connect(1, 1.0).clip("Over the gap", 0.0, 4.0, {.form = ClipForm::collection});
    timeline.clip("B", 0.0, 2.0);
    timeline.clip("Gap", 0.0, 2.0, {.form = ClipForm::collection});
    timeline.clip("New Stack", 0.0, 1.0, {.form = ClipForm::collection});
    timeline.clip("Empty", 0.0, 0.0);
    timeline.clip("C", 0.0, 1.0);

    const auto list = fixture.edl(timeline);
    EXPECT_EQ(clipNames(*list), (Names{"A", "B", "C"}));
    EXPECT_EQ(spans(*list), (Spans{{0.0, 5.0}, {8.0, 10.0}, {13.0, 14.0}}));
    // The clip connected to the gap runs from 6 s to 10 s, over all of B.
    const auto& b = entryNamed(*list, "B");
    ASSERT_EQ(b.displaySegments.size(), 1u);
    EXPECT_EQ(b.displaySegments[0].stackedVideoClips, Names{"Over the gap"});
    EXPECT_TRUE(entryNamed(*list, "A").displaySegments[0].stackedVideoClips.empty());
}

TEST_F(TimelineResolution, GeneratorsAreTitlesWhenATitleEffectLiesBelow) {
    timeline.title("Lower third", 2.0, 5.0).disabled();
    timeline.generator("Solid", 0.0, 3.0);
    timeline.generator("Flash", 0.0, 1.0).attribute("clippedRange", "{0/1,0/1}");
    timeline.generator("Hidden title", 0.0, 2.0)
        .child("persistedAnchoredObject", "FFGenerator", {{"effectType", "effect.video.title"}});
    timeline.generator("Unranged", 0.0, 2.0).removeAttribute("clippedRange");

    const auto list = fixture.edl(timeline);
    EXPECT_EQ(clipNames(*list), (Names{"Lower third", "Solid", "Hidden title"}));
    EXPECT_EQ(spans(*list), (Spans{{0.0, 5.0}, {5.0, 8.0}, {8.0, 10.0}}));
    EXPECT_EQ(list->entries()[0].clipType, ClipCategory::title);
    EXPECT_EQ(list->entries()[0].sourceIn, 2.0);
    EXPECT_EQ(list->entries()[1].clipType, ClipCategory::generator);
    EXPECT_EQ(list->entries()[2].clipType, ClipCategory::generator);
    EXPECT_EQ(list->entries()[0].resolution.has_value(), false);
}

TEST_F(TimelineResolution, CompoundClipsLayInTheirWholeSequence) {
    timeline.clip("A", 0.0, 10.0);
    const auto compound = timeline.compound("C", 0.0, 6.0);
    compound.inner().clip("In 1", 2.0, 3.0);
    compound.inner().clip("In 2", 7.0, 3.0);
    timeline.clip("B", 0.0, 4.0);
    const auto trimmed = timeline.compound("Trimmed", 0.0, 5.0);
    trimmed.inner().clip("Long", 0.0, 20.0);
    const auto disabled = timeline.compound("Off", 0.0, 5.0);
    disabled.disabled();
    disabled.inner().clip("Hidden", 0.0, 20.0);
    timeline.compoundReference("Dangling", "NO-SUCH-SEQUENCE", 0.0, 5.0);
    timeline.clip("End", 0.0, 1.0);

    const auto list = fixture.edl(timeline);
    EXPECT_EQ(clipNames(*list), (Names{"A", "In 1", "In 2", "B", "Long", "End"}));
    EXPECT_EQ(spans(*list), (Spans{{0, 10}, {10, 13}, {13, 16}, {16, 20}, {20, 40}, {60, 61}}));
    EXPECT_EQ(entryNamed(*list, "In 1").sourceIn, 2.0);
    EXPECT_EQ(entryNamed(*list, "In 2").sourceIn, 7.0);
}

TEST_F(TimelineResolution, CompoundClipsNestSevenDeep) {
    nestCompounds(timeline, 7);
    const auto tooDeep = fixture.timeline("Too deep");
    nestCompounds(tooDeep, 8);

    auto list = fixture.edl(timeline);
    EXPECT_EQ(clipNames(*list), (Names{"Deep", "After"}));
    EXPECT_EQ(spans(*list), (Spans{{0.0, 2.0}, {2.0, 3.0}}));
    list = fixture.edl(tooDeep);
    EXPECT_EQ(clipNames(*list), Names{"After"});
    EXPECT_EQ(spans(*list), (Spans{{0.0, 1.0}}));
}

TEST_F(TimelineResolution, ATimelineThatIsOneCompoundClipLaysInItsSequence) {
    EventBuilder& event = fixture.event();
    const auto inner = event.sequence("Inner", {.kind = SequenceKind::inner});
    inner.clip("Inside", 0.0, 4.0);
    // The sequence's primary object is itself a reference to the other sequence.
    const auto wrapper = event.addChild(event.projectData(), "items", "FFAnchoredSequence", {{"sequenceType", 1}});
    ItemBuilder(event, event.addChild(wrapper, "primaryObject", "FFAnchoredClip", {{"displayName", "Ref"}}))
        .child("media", "FFClipRef", {{"mediaIdentifier", inner.mediaIdentifier()}});
    const auto disabledWrapper =
        event.addChild(event.projectData(), "items", "FFAnchoredSequence", {{"sequenceType", 1}});
    ItemBuilder(event, event.addChild(disabledWrapper, "primaryObject", "FFAnchoredClip", {{"playEnable", false}}))
        .child("media", "FFClipRef", {{"mediaIdentifier", inner.mediaIdentifier()}});

    EXPECT_EQ(clipNames(*fixture.edl(wrapper)), Names{"Inside"});
    EXPECT_EQ(fixture.edl(disabledWrapper)->count(), 0u);
}

TEST_F(TimelineResolution, AuditionsFollowTheirPickFourDeep) {
    const auto audition = timeline.audition();
    audition.active().clip("Pick", 1.0, 3.0);
    audition.alternatives().clip("Alternative", 0.0, 5.0);
    timeline.audition().active().compound("Compound pick", 0.0, 2.0).inner().clip("Never", 0.0, 2.0);
    timeline.clip("Next", 0.0, 1.0);
    const auto four = fixture.timeline("Four");
    nestAuditions(four, 4);
    const auto five = fixture.timeline("Five");
    nestAuditions(five, 5);

    auto list = fixture.edl(timeline);
    EXPECT_EQ(clipNames(*list), (Names{"Pick", "Next"}));
    EXPECT_EQ(spans(*list), (Spans{{0.0, 3.0}, {3.0, 4.0}}));
    EXPECT_EQ(list->entries()[0].sourceIn, 1.0);
    EXPECT_EQ(clipNames(*fixture.edl(four)), (Names{"Deep", "After"}));
    list = fixture.edl(five);
    EXPECT_EQ(clipNames(*list), Names{"After"});
    EXPECT_EQ(spans(*list), (Spans{{0.0, 1.0}}));
}

TEST_F(TimelineResolution, ClipAttributesFillTheEdit) {
    const auto sync = timeline.clip("Sync", 2.0, 5.0, {.synchronized = true, .videoAngle = "cam1"});
    timeline.clip("Framed", 0.0, 5.0, {.synchronized = true, .videoAngle = "cam2"})
        .metadata({{"angle", "Wide"}, {"reel", "R7"}, {"scene", "12"}, {"shot", 3}, {"notes", "Soft focus"}});
    timeline.clip("Angle", 0.0, 5.0, {.videoAngle = "cam3"});
    timeline.clip("Flagged", 0.0, 5.0, {.compoundFlag = true});
    timeline.clip("Plain", 0.0, 5.0)
        .marker("Fix", Marker::todo, 1.0)
        .marker("Act", Marker::chapter, 2.0, {.chapterNote = "Opening"})
        .connected("Over", 1.0, 0.0, 2.0)
        .marker("Also", Marker::standard, 0.5);
    timeline.clip("Nameless", 0.0, 5.0).removeAttribute("displayName");

    const auto list = fixture.edl(timeline);
    EXPECT_EQ(clipNames(*list), (Names{"Sync", "Framed", "Angle", "Flagged", "Plain", "Unknown"}));
    const auto& syncEntry = entryNamed(*list, "Sync");
    EXPECT_EQ(syncEntry.clipType, ClipCategory::sync);
    EXPECT_TRUE(syncEntry.isSyncClip);
    EXPECT_EQ(syncEntry.videoAngle, "cam1");
    EXPECT_EQ(syncEntry.angle, "cam1");
    EXPECT_EQ(syncEntry.sourceIn, 2.0);
    EXPECT_EQ(syncEntry.assetName, "Sync");
    EXPECT_EQ(syncEntry.mediaIdentifier, fixture.event().assetNamed("Sync").mediaIdentifier);
    EXPECT_EQ(syncEntry.frameRate, std::nullopt);
    ASSERT_TRUE(syncEntry.resolution.has_value());
    EXPECT_EQ(syncEntry.resolution->width, 1920.0);
    EXPECT_EQ(syncEntry.resolution->height, 1080.0);
    EXPECT_EQ(syncEntry.collectionPK, sync.pk());

    const auto& framed = entryNamed(*list, "Framed");
    EXPECT_EQ(framed.angle, "Wide");
    EXPECT_EQ(framed.reelName, "R7");
    EXPECT_EQ(framed.scene, "12");
    EXPECT_EQ(framed.shot, std::nullopt);  // a number is no text
    EXPECT_EQ(framed.notes, "Soft focus");
    EXPECT_EQ(entryNamed(*list, "Angle").clipType, ClipCategory::multicam);
    EXPECT_EQ(entryNamed(*list, "Flagged").clipType, ClipCategory::compound);
    EXPECT_TRUE(entryNamed(*list, "Flagged").isCompoundClip);

    const auto& plain = entryNamed(*list, "Plain");
    EXPECT_EQ(plain.clipType, ClipCategory::simple);
    ASSERT_EQ(plain.markers.size(), 3u);
    EXPECT_EQ(plain.markers[0].text, "Fix");
    EXPECT_EQ(plain.markers[0].type, brimlock::MarkerType::todo);
    EXPECT_EQ(plain.markers[1].type, brimlock::MarkerType::chapter);
    EXPECT_EQ(plain.markers[1].chapterNote, "Opening");
    EXPECT_EQ(plain.markers[2].text, "Also");  // on the connected clip
    EXPECT_EQ(plain.speedRate, std::nullopt);
    EXPECT_FALSE(plain.isReversed);
    EXPECT_EQ(plain.positionX, std::nullopt);
}

TEST_F(TimelineResolution, RetimeAndTransformValuesComeFromTheClipsEffects) {
    timeline.clip("Half speed", 0.0, 4.0)
        .retime({.speedPercent = 50.0, .reversed = true, .timeMap = {{0.0, 0.0}, {2.0, 1.0}}});
    timeline.clip("No keypoints", 0.0, 4.0).retime({.speedPercent = 50.0});
    timeline.clip("Moved", 0.0, 4.0).transform({}).transform({.positionX = 10.0, .scaleX = 0.5, .rotation = 90.0});
    const auto connectedOnly = timeline.clip("Connected effect", 0.0, 4.0);
    connectedOnly.connected("Over", 0.0, 0.0, 1.0)
        .transform({.positionY = 5.0})
        .retime({.timeMap = {{0.0, 0.0}, {1.0, 2.0}}});

    const auto list = fixture.edl(timeline);
    const auto& half = entryNamed(*list, "Half speed");
    EXPECT_EQ(half.speedRate, 0.5);
    EXPECT_TRUE(half.isReversed);
    EXPECT_EQ(entryNamed(*list, "No keypoints").speedRate, std::nullopt);
    const auto& moved = entryNamed(*list, "Moved");
    EXPECT_EQ(moved.positionX, 10.0);
    EXPECT_EQ(moved.positionY, 0.0);
    EXPECT_EQ(moved.scaleX, 0.5);
    EXPECT_EQ(moved.scaleY, 1.0);
    EXPECT_EQ(moved.rotation, 90.0);
    const auto& untouched = entryNamed(*list, "Connected effect");
    EXPECT_EQ(untouched.positionY, std::nullopt);
    EXPECT_EQ(untouched.speedRate, std::nullopt);
}

TEST_F(TimelineResolution, DisplaySegmentsShowTheLayersAndRolesOverEachPart) {
    fixture.event().roles().role("dia", "Dialogue").subRole("dia.1", "Dialogue-1");
    const auto clip = timeline.clip("A", 0.0, 10.0);
    clip.connect(1, 5.0).clip("Overlay", 3.0, 5.0, {.form = ClipForm::collection});
    clip.connect(-1, 0.0).clip("Voice 1", 0.0, 10.0).role("dia.1");
    clip.connect(-2, 0.0).clip("Voice 2", 0.0, 10.0).role("dia.1");
    clip.connect(-3, 0.0).clip("Voice 3", 0.0, 10.0).role("dia.1");
    clip.connect(-4, 0.0).clip("Stranger", 0.0, 10.0).role("ghost");
    clip.connect(2, 0.0).clip("Switched off", 0.0, 10.0, {.form = ClipForm::collection}).disabled();

    const auto list = fixture.edl(timeline);
    const auto& segments = list->entries()[0].displaySegments;
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_EQ(segments[0].start, 0.0);
    EXPECT_EQ(segments[0].end, 5.0);
    EXPECT_TRUE(segments[0].stackedVideoClips.empty());
    EXPECT_EQ(segments[1].stackedVideoClips, Names{"Overlay"});
    ASSERT_EQ(segments[1].stackedLayers.size(), 1u);
    EXPECT_EQ(segments[1].stackedLayers[0].videoLaneNumber, 2);
    EXPECT_EQ(segments[1].stackedLayers[0].layerTimelineStart, 5.0);

    const auto& roles = segments[0].activeRoleClips;
    ASSERT_EQ(roles.size(), 3u);
    EXPECT_EQ(roles.at("dia.1").roleName(), "Dialogue-1");
    EXPECT_EQ(roles.at("dia.1").mediaFilename(), "Voice 1");
    EXPECT_EQ(roles.at("dia").roleName(), "Dialogue");
    EXPECT_EQ(roles.at("dia").mediaFilename(), "Voice 2");
    EXPECT_EQ(roles.at("ghost").roleName(), "?");
}

TEST_F(TimelineResolution, ListsAreCachedUntilInvalidated) {
    timeline.clip("A", 0.0, 1.0);
    const auto other = fixture.timeline("Other");
    other.clip("B", 0.0, 1.0);
    const auto resolver = fixture.resolver();
    const auto first = resolver->getEDL(timeline.sequencePK());
    EXPECT_EQ(resolver->getEDL(timeline.sequencePK()), first);
    EXPECT_EQ(clipNames(*resolver->getEDL(other.sequencePK())), Names{"B"});
    resolver->invalidateCache(other.sequencePK());
    EXPECT_EQ(resolver->getEDL(timeline.sequencePK()), first);
    resolver->invalidateCache();
    const auto again = resolver->getEDL(timeline.sequencePK());
    EXPECT_NE(again, first);
    EXPECT_EQ(clipNames(*again), Names{"A"});
}

TEST_F(TimelineResolution, ASharedSequenceIndexGivesTheSameCompoundContents) {
    const auto compound = timeline.compound("C", 0.0, 1.0);
    compound.inner().clip("Inside", 0.0, 2.0);
    // A second sequence with the same media identifier, later in row order: the first one wins.
    const auto impostor = fixture.event().sequence("Impostor", {.kind = SequenceKind::inner});
    impostor.sequence().attribute("mediaIdentifier", compound.inner().mediaIdentifier());
    impostor.clip("Impostor clip", 0.0, 2.0);

    brimlock::LocalSequenceIndex shared(fixture.db());
    brimlock::AssetStore store;
    brimlock::MulticamMediaIndex index;
    for (int round = 0; round < 2; ++round) {
        brimlock::TimelineResolver resolver(fixture.db(), store, fixture.roles(), index, &shared);
        EXPECT_EQ(clipNames(*resolver.getEDL(timeline.sequencePK())), Names{"Inside"});
    }
    EXPECT_EQ(clipNames(*fixture.edl(timeline)), Names{"Inside"});
    EXPECT_EQ(shared.sequencePK(compound.inner().mediaIdentifier()), compound.inner().sequencePK());
    EXPECT_EQ(shared.sequencePK("NO-SUCH-SEQUENCE"), std::nullopt);
}

TEST_F(TimelineResolution, ALoadedMulticamIndexLocatesSequencesAndAngles) {
    const auto compound = timeline.compound("C", 0.0, 1.0);
    compound.inner().clip("Inside", 0.0, 2.0).marker("inside", Marker::todo, 0.5);
    auto multicam = fixture.event().multicam("MC", 10.0);
    multicam.angle("Cam A", "a1").clip("Angle A clip", 0.0, 10.0);
    multicam.angle("Cam B", "b1").clip("Angle B clip", 0.0, 10.0);
    timeline.multicam("Multi", multicam, 0.0, 5.0, "b1");

    EXPECT_EQ(entryNamed(*fixture.edl(timeline), "Multi").assetName, std::nullopt);
    const auto resolver = fixture.resolver();
    resolver->loadMulticamIndex(fixture.bundlePath());
    // The compound clip's sequence is read through the index's own connection.
    const auto list = resolver->getEDL(timeline.sequencePK());
    EXPECT_EQ(clipNames(*list), (Names{"Inside", "Multi"}));
    EXPECT_EQ(entryNamed(*list, "Multi").clipType, ClipCategory::multicam);
    EXPECT_EQ(entryNamed(*list, "Multi").assetName, "Angle B clip");
    const auto markers = brimlock::TimelineMarkerScanner::scan(timeline.sequencePK(), fixture.db(), *resolver);
    ASSERT_EQ(markers.size(), 1u);
    EXPECT_EQ(markers[0].timelinePositionSeconds, 0.5);
}

TEST_F(TimelineResolution, ACompoundClipReferringBackToItsTimelineIsNotEntered) {
    timeline.clip("A", 0.0, 2.0);
    timeline.compoundReference("Self", timeline.mediaIdentifier(), 0.0, 5.0);
    const auto compound = timeline.compound("Outer", 0.0, 1.0);
    compound.inner().clip("Inner", 0.0, 1.0);
    compound.inner().compoundReference("Back to the timeline", timeline.mediaIdentifier(), 0.0, 5.0);
    compound.inner().compoundReference("Back to itself", compound.inner().mediaIdentifier(), 0.0, 5.0);
    timeline.clip("B", 0.0, 1.0);

    const auto list = fixture.edl(timeline);
    EXPECT_EQ(clipNames(*list), (Names{"A", "Inner", "B"}));
    EXPECT_EQ(spans(*list), (Spans{{0.0, 2.0}, {2.0, 3.0}, {3.0, 4.0}}));
}

TEST_F(TimelineResolution, AWalkThatFansOutBeyondTheBudgetDropsTheTimeline) {
    // Three levels of twenty compound clips referring to the next level's sequence, the last holding
    // a thousand items: 8000 walks of that storyline, eight million items, through 1060 rows.
    const auto leaves = fixture.event().sequence("Leaves", {.kind = SequenceKind::inner});
    for (int item = 0; item < 1000; ++item) leaves.item("FFUnknownItem", "Leaf", 0.0, 1.0);
    std::string nextIdentifier = leaves.mediaIdentifier();
    for (int level = 2; level >= 1; --level) {
        const auto sequence = fixture.event().sequence("Level " + std::to_string(level), {.kind = SequenceKind::inner});
        for (int copy = 0; copy < 20; ++copy) sequence.compoundReference("Fan", nextIdentifier, 0.0, 1.0);
        nextIdentifier = sequence.mediaIdentifier();
    }
    for (int copy = 0; copy < 20; ++copy) timeline.compoundReference("Fan", nextIdentifier, 0.0, 1.0);
    // A smaller fan-out stays within the budget.
    const auto modest = fixture.timeline("Modest");
    modest.compoundReference("Once", leaves.mediaIdentifier(), 0.0, 1.0);
    modest.clip("Real", 0.0, 1.0);

    const auto resolver = fixture.resolver();
    EXPECT_THROW(resolver->getEDL(timeline.sequencePK()), brimlock::FCPDatabaseError);
    // Nothing half-read was kept: the marker scan meets the same failure.
    EXPECT_THROW(brimlock::TimelineMarkerScanner::scan(timeline.sequencePK(), fixture.db(), *resolver),
                 brimlock::FCPDatabaseError);
    EXPECT_EQ(clipNames(*resolver->getEDL(modest.sequencePK())), Names{"Real"});
}

}  // namespace
