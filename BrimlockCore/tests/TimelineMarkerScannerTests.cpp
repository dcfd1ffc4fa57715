#include "BrimlockCore/Resolver/MarkerFields.h"

#include "ResolverTestSupport.h"

#include "testing/Projected.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using brimlock::ScannedMarker;
using namespace resolvertest;
using quillo::testing::projected;

namespace {

using Texts = std::vector<std::string>;

Texts texts(const std::vector<ScannedMarker>& markers) { return projected(markers, &ScannedMarker::text); }

std::vector<double> positions(const std::vector<ScannedMarker>& markers) {
    return projected(markers, &ScannedMarker::timelinePositionSeconds);
}

const ScannedMarker& withText(const std::vector<ScannedMarker>& markers, const std::string& text) {
    for (const auto& marker : markers)
        if (marker.text == text) return marker;
    throw std::runtime_error("no marker " + text);
}

class MarkerScan : public ::testing::Test {
protected:
    EventFixture fixture;
    TimelineBuilder timeline = fixture.timeline();
};

TEST_F(MarkerScan, KindsCompletionAndChapterNotesComeFromTheMarkerBlob) {
    const auto clip = timeline.clip("A", 0.0, 60.0);
    clip.marker("Plain", Marker::standard, 1.0);
    clip.marker("Open", Marker::todo, 2.0, {.completed = false});
    clip.marker("Done", Marker::todo, 3.0, {.completed = true, .completionKey = "markerCompleted"});
    clip.marker("Undecided", Marker::todo, 4.0);
    clip.addMarker("Stored false", Marker::todo, 5.0).attribute("isTodo", false);
    clip.addMarker("Chapter to-do", Marker::chapter, 6.0, {.chapterNote = "Act two"})
        .attribute("isTodo", true)
        .attribute("checked", 0);
    clip.addMarker("Text then integer", Marker::todo, 7.0).attribute("isCompleted", "yes").attribute("completed", 1);
    clip.addMarker("Real only", Marker::todo, 8.0).attribute("isCompleted", 1.0);
    clip.marker("Standard with note", Marker::standard, 9.0, {.chapterNote = "Ignored"});
    clip.marker("To-do with note", Marker::todo, 10.0, {.chapterNote = "Ignored"});
    clip.addMarker("Numbered note", Marker::chapter, 11.0)
        .attribute("metadata", ArchiveValue::dictionary({{"notes", 42}}));
    clip.addMarker("Integer chapter flag", Marker::standard, 12.0).attribute("isChapter", 1);
    clip.addMarker("", Marker::standard, 13.0).removeAttribute("displayName");
    clip.addMarker("", Marker::standard, 14.0).attribute("displayName", 7);
    clip.addMarker("", Marker::standard, 15.0);
    clip.connect(0, 16.0).item("FFAnchoredKeywordMarker", "Keyword", 0.0, 1.0);
    clip.addMarker("No blob", Marker::todo, 17.0).blob(EventDatabase::Blob::noRow());
    clip.addMarker("Garbage", Marker::todo, 18.0).blob(Bytes{'n', 'o', 'p', 'e'});

    const auto markers = fixture.markers(timeline);
    EXPECT_EQ(texts(markers), (Texts{"Plain", "Open", "Done", "Undecided", "Stored false", "Chapter to-do",
                                     "Text then integer", "Real only", "Standard with note", "To-do with note",
                                     "Numbered note", "Integer chapter flag", "Marker", "Marker", ""}));
    using brimlock::MarkerType;
    const auto check = [&](const std::string& text, MarkerType type, std::optional<bool> completed,
                           std::optional<std::string> note = std::nullopt) {
        const auto& marker = withText(markers, text);
        EXPECT_EQ(marker.type, type) << text;
        EXPECT_EQ(marker.completed, completed) << text;
        EXPECT_EQ(marker.chapterNote, note) << text;
    };
    check("Plain", MarkerType::standard, std::nullopt);
    check("Open", MarkerType::todo, false);
    check("Done", MarkerType::todo, true);
    check("Undecided", MarkerType::todo, std::nullopt);
    check("Stored false", MarkerType::todo, std::nullopt);
    check("Chapter to-do", MarkerType::chapter, false, "Act two");
    check("Text then integer", MarkerType::todo, true);
    check("Real only", MarkerType::todo, std::nullopt);
    check("Standard with note", MarkerType::standard, std::nullopt);
    check("To-do with note", MarkerType::todo, std::nullopt);
    check("Numbered note", MarkerType::chapter, std::nullopt);
    check("Integer chapter flag", MarkerType::standard, std::nullopt);

    for (const auto& marker : markers) {
        EXPECT_EQ(marker.roleUID, std::nullopt);
        EXPECT_EQ(marker.containingClipName, "A");
    }
}

TEST_F(MarkerScan, PositionsCountFromTheItemsSourceStart) {
    timeline.clip("Lead", 0.0, 10.0);
    const auto second = timeline.clip("Second", 4.0, 10.0);
    second.addMarker("No range", Marker::todo, 0.0).removeAttribute("clippedRange");
    const auto ranged = second.addMarker("At five", Marker::todo, 1.0);
    second.addMarker("Before the clip", Marker::todo, 0.0).attribute("clippedRange", "{0/1,1/1}");
    second.addMarker("Far away", Marker::todo, 0.0).attribute("clippedRange", "{9223372036854775807/1,1/1}");
    const auto compound = timeline.compound("Twice", 0.0, 2.0);
    const auto repeated = compound.inner().clip("Repeated", 0.0, 2.0).addMarker("Again", Marker::todo, 0.5);
    timeline.compoundReference("Twice again", compound.inner().mediaIdentifier(), 0.0, 2.0);

    const auto markers = fixture.markers(timeline);
    EXPECT_EQ(texts(markers), (Texts{"No range", "At five", "Before the clip", "Far away", "Again", "Again"}));
    EXPECT_EQ(positions(markers)[0], 6.0);
    EXPECT_EQ(positions(markers)[1], 11.0);
    EXPECT_EQ(positions(markers)[2], 6.0);
    EXPECT_EQ(positions(markers)[3], 9223372036854775807.0 - 4.0 + 10.0);
    EXPECT_EQ(markers[1].markerPK, ranged.pk());
    // One marker reached twice: same key, each at its own place.
    EXPECT_EQ(positions(markers)[4], 20.5);
    EXPECT_EQ(positions(markers)[5], 22.5);
    EXPECT_EQ(markers[4].markerPK, repeated.pk());
    EXPECT_EQ(markers[5].markerPK, repeated.pk());
}

TEST_F(MarkerScan, ConnectedItemsLendTheirRoleAndOnlyEnabledOnesCount) {
    const auto clip = timeline.clip("A", 2.0, 20.0).role("spine-role").disabled();
    clip.marker("On a disabled storyline clip", Marker::todo, 1.0);
    const auto broll = clip.connected("B-roll", 3.0, 5.0, 4.0).role("dia.1");
    broll.marker("On B-roll", Marker::todo, 1.0);
    broll.connected("Below B-roll", 1.0, 0.0, 2.0).marker("Deeper", Marker::standard, 0.5);
    const auto off = clip.connected("Off", 1.0, 0.0, 4.0).disabled();
    off.marker("On a disabled clip", Marker::todo, 1.0);
    off.connected("Below off", 0.0, 0.0, 1.0).marker("Below a disabled clip", Marker::todo, 0.5);
    const auto storyline = clip.connect(2, 4.0).storyline();
    storyline.clip("S1", 0.0, 2.0);
    storyline.clip("S2", 0.0, 2.0).marker("In a storyline", Marker::chapter, 0.5);

    const auto markers = fixture.markers(timeline);
    EXPECT_EQ(texts(markers), (Texts{"On a disabled storyline clip", "On B-roll", "Deeper", "In a storyline"}));
    EXPECT_EQ(positions(markers), (std::vector<double>{1.0, 4.0, 4.5, 6.5}));
    EXPECT_EQ(markers[0].roleUID, std::nullopt);
    EXPECT_EQ(markers[1].roleUID, "dia.1");
    EXPECT_EQ(markers[1].containingClipName, "B-roll");
    EXPECT_EQ(markers[2].containingClipName, "Below B-roll");
    EXPECT_EQ(markers[3].containingClipName, "S2");
}

TEST_F(MarkerScan, ItemsWithoutAnEditOfTheirOwnStillCarryMarkers) {
    const auto lead = timeline.clip("A", 0.0, 10.0);
    lead.marker("a", Marker::todo, 1.0);
    const auto gap = timeline.gap(3.0);
    gap.marker("gap", Marker::todo, 1.0);
    gap.connected("Title", 0.5, 0.0, 2.0).role("titles").marker("title", Marker::todo, 0.25);
    const auto compound = timeline.compound("C", 2.0, 4.0);
    compound.marker("compound", Marker::todo, 1.0);
    compound.connected("Music", 0.0, 0.0, 4.0, -1).marker("music", Marker::todo, 2.0);
    compound.inner().clip("In", 0.0, 4.0).marker("in", Marker::todo, 0.5);
    const auto audition = timeline.audition();
    audition.marker("stack", Marker::todo, 1.0);
    audition.connected("Stack B", 2.0, 0.0, 1.0).marker("stack b", Marker::todo, 0.5);
    audition.active().clip("Take", 0.0, 3.0).marker("take", Marker::todo, 0.5);
    const auto off = timeline.compound("Off", 0.0, 2.0);
    off.disabled().marker("off", Marker::todo, 0.5);
    off.inner().clip("Hidden", 0.0, 2.0).marker("hidden", Marker::todo, 0.5);
    timeline.clip("Z", 0.0, 2.0).marker("z", Marker::todo, 1.0);

    const auto markers = fixture.markers(timeline);
    EXPECT_EQ(texts(markers), (Texts{"a", "gap", "title", "in", "compound", "music", "take", "stack", "stack b", "z"}));
    EXPECT_EQ(positions(markers), (std::vector<double>{1.0, 11.0, 10.75, 13.5, 14.0, 15.0, 17.5, 18.0, 19.5, 23.0}));
    EXPECT_EQ(withText(markers, "gap").containingClipName, "Gap");
    EXPECT_EQ(withText(markers, "gap").roleUID, std::nullopt);
    EXPECT_EQ(withText(markers, "title").roleUID, "titles");
    EXPECT_EQ(withText(markers, "compound").containingClipName, "C");
    EXPECT_EQ(withText(markers, "stack").containingClipName, "Audition");
    EXPECT_EQ(withText(markers, "music").containingClipName, "Music");

    // The edit list itself is as before: the laid-in items sit beside it.
    const auto list = fixture.edl(timeline);
    EXPECT_EQ(clipNames(*list), (Texts{"A", "In", "Take", "Z"}));
    ASSERT_EQ(list->laidInItems().size(), 3u);
    EXPECT_EQ(list->laidInItems()[0].collectionPK, gap.pk());
    EXPECT_EQ(list->laidInItems()[0].entriesBefore, 1u);
    EXPECT_EQ(list->laidInItems()[1].collectionPK, compound.pk());
    EXPECT_EQ(list->laidInItems()[1].sourceStart, 2.0);
    EXPECT_EQ(list->laidInItems()[1].timelineStart, 13.0);
    EXPECT_EQ(list->laidInItems()[1].entriesBefore, 2u);
    EXPECT_EQ(list->laidInItems()[2].collectionPK, audition.pk());
    EXPECT_EQ(list->laidInItems()[2].entriesBefore, 3u);
}

TEST_F(MarkerScan, NestedContainersFollowTheirContents) {
    timeline.gap(1.0).marker("leading gap", Marker::todo, 0.5);
    const auto outer = timeline.compound("Outer", 0.0, 1.0);
    outer.marker("outer", Marker::todo, 0.0);
    outer.inner().clip("I1", 0.0, 1.0).marker("i1", Marker::todo, 0.0);
    const auto nested = outer.inner().compound("Nested", 0.0, 1.0);
    nested.marker("nested", Marker::todo, 0.0);
    nested.inner().clip("I2", 0.0, 1.0).marker("i2", Marker::todo, 0.0);
    const auto audition = timeline.audition("Outer audition");
    audition.marker("outer audition", Marker::todo, 0.0);
    const auto inner = audition.active().audition("Inner audition");
    inner.marker("inner audition", Marker::todo, 0.0);
    inner.active().gap(2.0).marker("picked gap", Marker::todo, 0.5);

    const auto markers = fixture.markers(timeline);
    EXPECT_EQ(texts(markers),
              (Texts{"leading gap", "i1", "i2", "nested", "outer", "picked gap", "inner audition", "outer audition"}));
    EXPECT_EQ(positions(markers), (std::vector<double>{0.5, 1.0, 2.0, 2.0, 1.0, 3.5, 3.0, 3.0}));
}

TEST_F(MarkerScan, LaidInItemsFollowTheEditTheyFollowedOnTheWalk) {
    // A gap of negative length moves the next clip before the first: the list is sorted by time,
    // and the gap's markers stay right after those of the clip it followed.
    timeline.clip("A", 0.0, 10.0).marker("a", Marker::todo, 1.0);
    timeline.gap(3.0).attribute("clippedRange", "{0/1,-12/1}").marker("gap", Marker::todo, 1.0);
    timeline.clip("B", 0.0, 1.0).marker("b", Marker::todo, 0.5);

    const auto list = fixture.edl(timeline);
    EXPECT_EQ(clipNames(*list), (Texts{"B", "A"}));
    ASSERT_EQ(list->laidInItems().size(), 1u);
    EXPECT_EQ(list->laidInItems()[0].entriesBefore, 2u);
    const auto markers = fixture.markers(timeline);
    EXPECT_EQ(texts(markers), (Texts{"b", "a", "gap"}));
    EXPECT_EQ(positions(markers), (std::vector<double>{-1.5, 1.0, 11.0}));
}

TEST_F(MarkerScan, EmptyTimelinesAndBareClipsHaveNoMarkers) {
    const auto bare = fixture.timeline("Bare");
    bare.clip("Nothing on it", 0.0, 5.0);
    EXPECT_TRUE(fixture.markers(timeline).empty());
    EXPECT_TRUE(fixture.markers(bare).empty());
}

TEST(MarkerPosition, OnlyFiniteNumbersArePositions) {
    constexpr double infinity = std::numeric_limits<double>::infinity();
    constexpr double largest = std::numeric_limits<double>::max();
    EXPECT_EQ(brimlock::markerTimelinePosition(5.0, 4.0, 10.0), 11.0);
    EXPECT_EQ(brimlock::markerTimelinePosition(0.0, 5.0, 2.0), -3.0);
    EXPECT_EQ(brimlock::markerTimelinePosition(infinity, 0.0, 0.0), std::nullopt);
    EXPECT_EQ(brimlock::markerTimelinePosition(0.0, 0.0, -infinity), std::nullopt);
    EXPECT_EQ(brimlock::markerTimelinePosition(std::nan(""), 0.0, 0.0), std::nullopt);
    EXPECT_EQ(brimlock::markerTimelinePosition(largest, -largest, 0.0), std::nullopt);
}

}  // namespace
