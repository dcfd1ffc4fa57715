#include "BrimlockCore/Resolver/ConnectedItemResolver.h"
#include "BrimlockCore/Timecode/TimecodeCalculator.h"

#include "ResolverTestSupport.h"

#include "testing/Projected.h"

#include <gtest/gtest.h>

#include <limits>

using brimlock::ConnectedItemResolver::ConnectedItem;
using brimlock::ConnectedItemResolver::findConnectedItems;
using namespace resolvertest;
using quillo::testing::projected;

namespace {

constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();

std::vector<std::string> names(const std::vector<ConnectedItem>& items) {
    return projected(items, [](const ConnectedItem& item) { return item.name.value_or("(none)"); });
}

std::vector<double> starts(const std::vector<ConnectedItem>& items) {
    return projected(items, &ConnectedItem::timelineStart);
}

const ConnectedItem& named(const std::vector<ConnectedItem>& items, const std::string& name) {
    for (const auto& item : items)
        if (item.name == name) return item;
    throw std::runtime_error("no connected item named " + name);
}

class ConnectedItems : public ::testing::Test {
protected:
    std::vector<ConnectedItem> find(const ItemBuilder& clip, double timelineStart, double sourceStart,
                                    bool enabled = true, const brimlock::AssetStore* store = nullptr) {
        return findConnectedItems(fixture.db(), clip.pk(), timelineStart, sourceStart, enabled, store, nullptr);
    }

    EventFixture fixture;
    TimelineBuilder timeline = fixture.timeline();
};

TEST_F(ConnectedItems, AnchorPairAndClippedRangePlaceTheItemOnTheTimeline) {
    const auto clip = timeline.clip("A", 5.0, 200.0);
    // Start 3 s, length 2 s, anchored from 10 s of its own time to 12 s of the clip's.
    const auto anchored = clip.connect(1, 0.0).clip("Anchored", 3.0, 2.0).attribute("anchorPair", "{10/1,12/1}");
    // Neither range nor anchor: it sits where the clip's source start lies on the timeline.
    clip.connect(2, 0.0)
        .item("FFAnchoredMediaComponent", "Bare", 0.0, 1.0)
        .removeAttribute("clippedRange")
        .removeAttribute("anchorPair");
    // As the builder connects: 4 s into the clip, whatever the clip's and the item's source starts.
    clip.connected("Built", 4.0, 7.0, 3.0);

    const auto items = find(clip, 100.0, 5.0);
    ASSERT_EQ(names(items), (std::vector<std::string>{"Anchored", "Bare", "Built"}));
    EXPECT_EQ(items[0].collectionPK, anchored.pk());
    EXPECT_EQ(items[0].type, "FFAnchoredMediaComponent");
    EXPECT_DOUBLE_EQ(items[0].timelineStart, 3.0 + (12.0 - 10.0) - 5.0 + 100.0);
    EXPECT_DOUBLE_EQ(items[0].sourceStart, 3.0);
    EXPECT_DOUBLE_EQ(items[0].duration, 2.0);
    EXPECT_DOUBLE_EQ(items[1].timelineStart, 95.0);
    EXPECT_DOUBLE_EQ(items[1].duration, 0.0);
    EXPECT_DOUBLE_EQ(items[1].sourceStart, 0.0);
    EXPECT_DOUBLE_EQ(items[2].timelineStart, 104.0);
    EXPECT_DOUBLE_EQ(items[2].sourceStart, 7.0);
    EXPECT_TRUE(items[2].isEnabled);
}

TEST_F(ConnectedItems, LanesAreInheritedWhenUnsetOrMarkedUnset) {
    const auto clip = timeline.clip("A", 0.0, 30.0);
    const auto upper = clip.connected("Upper", 1.0, 0.0, 10.0, 2);
    upper.connect(999999, 0.0).clip("Marked", 0.0, 1.0);
    upper.connect(999998, 0.0).clip("Far", 0.0, 1.0);
    upper.connect(5, 0.0).clip("Unset", 0.0, 1.0).removeAttribute("anchoredLane");
    upper.connect(5, 0.0).clip("Text", 0.0, 1.0).attribute("anchoredLane", "3");
    clip.connected("Below", 1.0, 0.0, 1.0, -1);
    clip.connected("Top", 1.0, 0.0, 1.0, kInt64Max);

    const auto items = find(clip, 0.0, 0.0);
    EXPECT_EQ(named(items, "Upper").lane, 2);
    EXPECT_EQ(named(items, "Marked").lane, 2);
    EXPECT_EQ(named(items, "Far").lane, 999998);
    EXPECT_EQ(named(items, "Unset").lane, 2);
    EXPECT_EQ(named(items, "Text").lane, 2);

    EXPECT_EQ(named(items, "Upper").videoLaneNumber(), 3);
    EXPECT_EQ(named(items, "Below").videoLaneNumber(), std::nullopt);
    EXPECT_EQ(named(items, "Top").videoLaneNumber(), kInt64Max);
}

TEST_F(ConnectedItems, RecordsComeDepthFirstWithoutMarkersAndEightLevelsDeep) {
    const auto clip = timeline.clip("A", 0.0, 30.0).marker("On the clip", Marker::todo, 1.0);
    const auto first = clip.connected("First", 2.0, 0.0, 5.0);
    first.marker("On first", Marker::standard, 1.0);
    first.connected("Nested", 1.0, 0.0, 1.0);
    clip.connected("Second", 3.0, 0.0, 5.0);
    clip.connect(1, 0.0).item("FFAnchoredSomethingMarker", "Odd marker", 0.0, 1.0);

    // Anchoring levels 0 to 7 are read: a chain of nine yields eight records.
    const auto chainRoot = timeline.clip("B", 0.0, 30.0);
    ItemBuilder link = chainRoot;
    for (int level = 0; level < 9; ++level) link = link.connected("L" + std::to_string(level), 1.0, 0.0, 5.0);

    auto items = find(clip, 10.0, 0.0);
    EXPECT_EQ(names(items), (std::vector<std::string>{"First", "Nested", "Second"}));
    EXPECT_EQ(starts(items), (std::vector<double>{12.0, 13.0, 13.0}));
    items = find(chainRoot, 0.0, 0.0);
    EXPECT_EQ(names(items), (std::vector<std::string>{"L0", "L1", "L2", "L3", "L4", "L5", "L6", "L7"}));
    EXPECT_EQ(items.back().timelineStart, 8.0);
}

TEST_F(ConnectedItems, ConnectedStorylinesLayTheirReadableClipsEndToEnd) {
    const auto clip = timeline.clip("A", 5.0, 30.0);
    const auto storyline = clip.connect(2, 1.0).storyline();
    storyline.clip("S1", 0.0, 2.0);
    const auto second = storyline.clip("S2", 10.0, 3.0);
    second.connected("On S2", 0.5, 0.0, 1.0, 4);
    storyline.gap(1.0);
    storyline.clip("S3", 0.0, 1.0).disabled();
    const auto unreadable = clip.connect(3, 0.0).storyline();
    unreadable.clip("U1", 0.0, 2.0).blob(EventDatabase::Blob::noRow());
    unreadable.clip("U2", 0.0, 2.0);

    const auto items = find(clip, 0.0, 5.0);
    EXPECT_EQ(names(items), (std::vector<std::string>{"S1", "S2", "On S2", "Gap", "S3", "U2"}));
    // The storyline starts 1 s into the clip; its clips follow each other on its lane.
    EXPECT_EQ(starts(items), (std::vector<double>{1.0, 3.0, 3.5, 6.0, 7.0, 0.0}));
    EXPECT_EQ(named(items, "S2").lane, 2);
    EXPECT_EQ(named(items, "S2").sourceStart, 10.0);
    EXPECT_EQ(named(items, "On S2").lane, 4);
    EXPECT_EQ(named(items, "Gap").type, "FFAnchoredGapGeneratorComponent");
    EXPECT_FALSE(named(items, "S3").isEnabled);
    EXPECT_EQ(named(items, "U2").lane, 3);
}

TEST_F(ConnectedItems, StorylineOrderIsTheStoredOrderThenTheRestByKey) {
    const auto clip = timeline.clip("A", 0.0, 30.0);
    const auto storyline = clip.connect(1, 0.0).storyline();
    const auto one = storyline.clip("One", 0.0, 1.0);
    storyline.clip("Two", 0.0, 2.0);
    const auto three = storyline.clip("Three", 0.0, 3.0);
    storyline.clip("Four", 0.0, 4.0);
    storyline.storeOrder({three, one});
    const auto unordered = clip.connect(2, 0.0).storyline();
    unordered.clip("X", 0.0, 1.0);
    unordered.clip("Y", 0.0, 1.0);
    unordered.omitStoredOrder();

    const auto items = find(clip, 0.0, 0.0);
    EXPECT_EQ(names(items), (std::vector<std::string>{"Three", "One", "Two", "Four", "X", "Y"}));
    EXPECT_EQ(starts(items), (std::vector<double>{0.0, 3.0, 4.0, 6.0, 0.0, 1.0}));
}

TEST_F(ConnectedItems, EnabledStateIsTheConjunctionDownTheAnchoring) {
    const auto clip = timeline.clip("A", 0.0, 30.0);
    clip.connected("Plain", 0.0, 0.0, 1.0);
    clip.connected("Off", 0.0, 0.0, 1.0).disabled().connected("Below off", 0.0, 0.0, 1.0);
    clip.connected("Zero", 0.0, 0.0, 1.0).attribute("playEnable", 0);
    clip.connected("Two", 0.0, 0.0, 1.0).attribute("playEnable", 2);
    clip.connected("Text", 0.0, 0.0, 1.0).attribute("playEnable", "no");
    clip.connected("Absent", 0.0, 0.0, 1.0).removeAttribute("playEnable");

    auto items = find(clip, 0.0, 0.0);
    std::vector<std::string> enabled;
    for (const auto& item : items)
        if (item.isEnabled) enabled.push_back(*item.name);
    EXPECT_EQ(enabled, (std::vector<std::string>{"Plain", "Two", "Text", "Absent"}));

    // Below a disabled storyline clip everything is disabled, whatever its own state.
    items = find(clip, 0.0, 0.0, false);
    ASSERT_EQ(items.size(), 7u);
    for (const auto& item : items) EXPECT_FALSE(item.isEnabled) << *item.name;
}

TEST_F(ConnectedItems, AuditionsYieldTheirActivePick) {
    const auto clip = timeline.clip("A", 5.0, 30.0);
    const auto audition = clip.connect(1, 2.0).audition("Aud");
    const auto pick = audition.active().clip("Pick", 4.0, 3.0);
    audition.active().clip("Also active", 0.0, 1.0);
    audition.alternatives().clip("Alternative", 0.0, 1.0);
    pick.connected("On pick", 1.0, 0.0, 1.0);
    audition.connected("On stack", 0.0, 0.0, 1.0);
    clip.connect(1, 0.0).audition("No pick");
    const auto storyline = clip.connect(3, 0.0).storyline();
    storyline.audition("Empty in storyline");
    storyline.clip("After", 0.0, 1.0);

    const auto items = find(clip, 0.0, 5.0);
    EXPECT_EQ(names(items), (std::vector<std::string>{"Pick", "On pick", "Empty in storyline", "After"}));
    EXPECT_EQ(items[0].collectionPK, pick.pk());
    EXPECT_EQ(items[0].type, "FFAnchoredMediaComponent");
    EXPECT_EQ(items[0].lane, 1);
    EXPECT_DOUBLE_EQ(items[0].timelineStart, 2.0);
    EXPECT_DOUBLE_EQ(items[0].sourceStart, 4.0);
    EXPECT_DOUBLE_EQ(items[1].timelineStart, 3.0);
    // Inside a storyline an audition without a pick stands for itself.
    EXPECT_EQ(items[2].type, "FFAnchoredStack");
    EXPECT_DOUBLE_EQ(items[2].duration, 0.0);
    EXPECT_DOUBLE_EQ(items[3].timelineStart, 0.0);
}

TEST_F(ConnectedItems, RoleComesFromTheLowestChannelThenTheClipThenBelowIt) {
    const auto clip = timeline.clip("A", 0.0, 30.0);
    clip.connected("Channels", 0.0, 0.0, 1.0).audioChannelRole("r3", "3").audioChannelRole("r1", "+1").role("own");
    clip.connected("Unnumbered", 0.0, 0.0, 1.0).audioChannelRole("none", "x").audioChannelRole("r5", "5");
    clip.connected("Equal", 0.0, 0.0, 1.0).audioChannelRole("first", "2").audioChannelRole("second", "2");
    clip.connected("Own", 0.0, 0.0, 1.0).role("own");
    const auto inner = clip.connected("Inner", 0.0, 0.0, 1.0);
    inner.connected("Anchored", 0.0, 0.0, 1.0).role("anchored");
    inner.child("effects", "FFEffect", {{"roleUID", "inner"}});
    clip.connected("None", 0.0, 0.0, 1.0);

    // A layout tree is read down to depth 9 only.
    const auto deep = clip.connected("Deep", 0.0, 0.0, 1.0);
    EventBuilder& event = fixture.event();
    std::int64_t parent = event.relation(deep.pk(), "audioComponentsLayoutMap");
    for (int depth = 1; depth <= 9; ++depth) {
        if (depth == 9) {
            event.link(parent,
                       event.addObject("FFMutableAudioClipComponentsLayoutItem",
                                       {{"roleUID", "deepEnough"}, {"channelMap", ArchiveValue::array({"5"})}}));
        }
        const auto node = event.addObject("FFLayoutNode");
        event.link(parent, node);
        parent = node;
    }
    event.link(parent, event.addObject("FFMutableAudioClipComponentsLayoutItem",
                                       {{"roleUID", "tooDeep"}, {"channelMap", ArchiveValue::array({"0"})}}));

    const auto items = find(clip, 0.0, 0.0);
    EXPECT_EQ(named(items, "Channels").roleUID, "r1");
    EXPECT_EQ(named(items, "Unnumbered").roleUID, "r5");
    EXPECT_EQ(named(items, "Equal").roleUID, "first");
    EXPECT_EQ(named(items, "Own").roleUID, "own");
    EXPECT_EQ(named(items, "Inner").roleUID, "inner");
    EXPECT_EQ(named(items, "Anchored").roleUID, "anchored");
    EXPECT_EQ(named(items, "None").roleUID, std::nullopt);
    EXPECT_EQ(named(items, "Deep").roleUID, "deepEnough");
}

TEST_F(ConnectedItems, SourceFieldsNeedTheAssetRate) {
    const auto clip = timeline.clip("A", 0.0, 30.0);
    clip.connected("B", 1.0, 1.5, 2.0);
    clip.connected("Half frame", 1.0, 0.0625, 2.0);
    clip.connected("Before", 1.0, -0.0625, 2.0);
    const auto ntsc = fixture.event().asset({.name = "NTSC", .frameDuration = "1001/30000"});
    clip.connect(1, 0.0).clip("NTSC clip", 1.0, 2.0, {.asset = ntsc});
    clip.connected("Huge", 0.0, 0.0, 1.0).attribute("clippedRange", "{9223372036854775807/1,1/1}");
    const auto scene = clip.connect(1, 0.0).clip("Scene", 0.0, 1.0, {.media = false});
    scene.child("containedItems", "FFAnchoredCollection",
                {{"metadata", ArchiveValue::dictionary({{"scene", "12"}, {"shot", "3"}})}});
    const auto sceneOnly = clip.connect(1, 0.0).clip("Scene only", 0.0, 1.0, {.media = false});
    sceneOnly.child("containedItems", "FFAnchoredCollection",
                    {{"metadata", ArchiveValue::dictionary({{"scene", "12"}})}});

    brimlock::AssetStore& store = fixture.assetStore();
    store.loadAssets(fixture.db());
    auto items = find(clip, 0.0, 0.0, true, &store);

    const auto& b = named(items, "B");
    EXPECT_EQ(b.sourceFileName, "B");
    EXPECT_EQ(b.sourceFrameNumber, 36);
    EXPECT_EQ(b.sourceTimecode, "00:00:01:12");
    EXPECT_EQ(b.correctedSourceStart, 1.5);
    EXPECT_EQ(b.sourceFpsNum, 24);
    EXPECT_EQ(b.sourceFpsDen, 1);
    EXPECT_EQ(b.sourceRateString, "24");
    EXPECT_EQ(named(items, "Half frame").sourceFrameNumber, 2);
    EXPECT_EQ(named(items, "Before").sourceFrameNumber, -2);
    EXPECT_EQ(named(items, "Before").sourceTimecode, "00:00:00:00");
    const auto& ntscItem = named(items, "NTSC clip");
    EXPECT_EQ(ntscItem.sourceFrameNumber, 30);
    EXPECT_EQ(ntscItem.sourceFpsNum, 30000);
    EXPECT_EQ(ntscItem.sourceFpsDen, 1001);
    EXPECT_EQ(ntscItem.sourceRateString, "29.97");
    // A frame count beyond the 64-bit range is held at its top.
    EXPECT_EQ(named(items, "Huge").sourceFrameNumber, kInt64Max);
    EXPECT_EQ(named(items, "Huge").sourceTimecode,
              brimlock::TimecodeCalculator::framesToTimecode(kInt64Max, brimlock::FrameRate::fps24));
    EXPECT_EQ(named(items, "Scene").sceneShot, "12/3");
    EXPECT_EQ(named(items, "Scene only").sceneShot, "12");
    EXPECT_EQ(b.sceneShot, std::nullopt);

    // Without the asset's rate only the name-like fields are filled.
    const brimlock::AssetStore empty;
    items = find(clip, 0.0, 0.0, true, &empty);
    EXPECT_EQ(named(items, "B").sourceFileName, "B");
    EXPECT_EQ(named(items, "B").sourceTimecode, std::nullopt);
    EXPECT_EQ(named(items, "B").sourceFrameNumber, std::nullopt);
    EXPECT_EQ(named(items, "B").sourceFpsNum, std::nullopt);
    // Without a store nothing is looked up.
    items = find(clip, 0.0, 0.0);
    EXPECT_EQ(named(items, "B").sourceFileName, std::nullopt);
}

TEST_F(ConnectedItems, ALinkBackUpTheAnchoringIsNotFollowed) {
    const auto clip = timeline.clip("A", 0.0, 30.0);
    const auto child = clip.connected("Child", 1.0, 0.0, 5.0);
    const auto grandchild = child.connected("Grandchild", 1.0, 0.0, 2.0);
    EventBuilder& event = fixture.event();
    event.link(event.relation(grandchild.pk(), "anchoredItems"), clip.pk());
    event.link(event.relation(grandchild.pk(), "anchoredItems"), child.pk());

    const auto items = find(clip, 0.0, 0.0);
    EXPECT_EQ(names(items), (std::vector<std::string>{"Child", "Grandchild"}));
}

}  // namespace
