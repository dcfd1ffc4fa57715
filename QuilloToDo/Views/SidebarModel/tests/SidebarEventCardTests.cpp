#include "QuilloToDo/Views/SidebarModel/ExpandedEvents.h"
#include "QuilloToDo/Views/SidebarModel/SidebarEventCard.h"

#include <gtest/gtest.h>

using namespace quillo;

namespace {

struct Count {
    std::string library;
    std::string timeline;
    std::int64_t count;
};

TimelineCounts countsOf(const std::vector<Count>& counts) {
    TimelineCounts table;
    for (const auto& [library, timeline, count] : counts) table.counter(library, timeline) = count;
    return table;
}

SidebarLibrary library(std::string id, std::string name, std::vector<SidebarEvent> events) {
    for (auto& event : events) event.libraryName = name;
    return SidebarLibrary{.bookmarkID = std::move(id), .name = std::move(name), .events = std::move(events)};
}

SidebarEvent event(std::string name, std::vector<SidebarTimeline> timelines) {
    return SidebarEvent{.libraryName = {}, .name = std::move(name), .timelines = std::move(timelines)};
}

}  // namespace

TEST(ExpandedEvents, WritesSortedIDsJoinedBySeparatorsAndReadsStraySeparatorsAway) {
    EXPECT_EQ(ExpandedEvents::encode({}), "");
    EXPECT_EQ(ExpandedEvents::encode({"B|Day", "A|Day"}),
              "A|Day\x01"
              "B|Day");
    const ExpandedEvents::IDSet clean{"A|Day", "B|Day"};
    EXPECT_EQ(ExpandedEvents::decode("A|Day\x01"
                                     "B|Day"),
              clean);
    EXPECT_EQ(ExpandedEvents::decode("\x01\x01"
                                     "A|Day\x01\x01"
                                     "B|Day\x01"
                                     "A|Day\x01"),
              clean);
    EXPECT_TRUE(ExpandedEvents::decode("\x01\x01").empty());
    // Code-point order: "Z" before "a", and U+00E9 after both.
    EXPECT_EQ(ExpandedEvents::encode({"\xC3\xA9|x", "a|x", "Z|x"}),
              "Z|x\x01"
              "a|x\x01"
              "\xC3\xA9|x");
}

TEST(ExpandedEvents, TogglingTwiceRestoresTheValueAndKeepsUnknownIDs) {
    const std::string stored =
        "Gone|Old\x01"
        "Lib|Day 1";
    const auto once = ExpandedEvents::toggled(stored, "Lib|Day 2");
    EXPECT_EQ(once,
              "Gone|Old\x01"
              "Lib|Day 1\x01"
              "Lib|Day 2");
    EXPECT_EQ(ExpandedEvents::toggled(once, "Lib|Day 2"), stored);
    // Library B's event first, then A's: A's id comes first in the stored value.
    EXPECT_EQ(ExpandedEvents::toggled(ExpandedEvents::toggled("", "B|Day"), "A|Day"),
              "A|Day\x01"
              "B|Day");
    // A decomposed spelling names the same event as the precomposed one.
    EXPECT_EQ(ExpandedEvents::toggled("Lib|Caf\xC3\xA9", "Lib|Cafe\xCC\x81"), "");
}

TEST(EventCheckbox, ThreeStatesWithTheirSymbolsTooltipsAndClicks) {
    const EventCheckbox all(3, 3), some(3, 1), none(3, 0), empty(0, 0);
    EXPECT_EQ(all.symbol(), "checkmark.square.fill");
    EXPECT_EQ(all.tooltip(), "Exclude all timelines");
    EXPECT_FALSE(all.clickIncludes());
    EXPECT_TRUE(all.isAccented());
    EXPECT_EQ(some.symbol(), "minus.square.fill");
    EXPECT_EQ(some.tooltip(), "Include all timelines");
    EXPECT_TRUE(some.clickIncludes());
    EXPECT_TRUE(some.isAccented());
    EXPECT_EQ(none.symbol(), "square");
    EXPECT_TRUE(none.clickIncludes());
    EXPECT_FALSE(none.isAccented());
    EXPECT_EQ(empty.state(), EventCheckbox::State::allIncluded);
}

TEST(SidebarEventCards, TimelinesTakeTheirCountsAndTheirStateOfExclusion) {
    const std::vector structure{
        library("L1", "Cut", {event("Day", {{"T1", "Main"}, {"T2", "Teaser"}, {"T3", "Promo"}})})};
    // A timeline of another library with the same id, and one outside the structure, count for nothing.
    const auto counts = countsOf({{"L1", "T1", 4}, {"L1", "T2", 1}, {"L1", "T9", 7}, {"Other", "T3", 5}});
    const auto cards = sidebarEventCards(structure, counts, {"T1"}, {});
    ASSERT_EQ(cards.size(), 1u);
    const auto& card = cards[0];
    ASSERT_EQ(card.timelines.size(), 3u);
    EXPECT_FALSE(card.timelines[0].isIncluded);
    EXPECT_EQ(card.timelines[0].count, 4);  // excluded, and still counted
    EXPECT_TRUE(card.timelines[1].isIncluded);
    EXPECT_EQ(card.timelines[1].count, 1);
    EXPECT_EQ(card.timelines[2].count, 0);
    EXPECT_EQ(card.count(), 5);
    EXPECT_EQ(card.checkbox().state(), EventCheckbox::State::someIncluded);
}

TEST(SidebarEventCards, ALoneEventIsOpenWithoutHeaderAndTitlesNameTheLibraryOnlyWithSeveral) {
    const auto lone = sidebarEventCards({library("L1", "Cut", {event("Day", {})})}, {}, {}, {});
    ASSERT_EQ(lone.size(), 1u);
    EXPECT_FALSE(lone[0].showHeader);
    EXPECT_TRUE(lone[0].isExpanded);

    const std::vector one{library("L1", "Cut", {event("Day 1", {}), event("Day 2", {})})};
    const auto two = sidebarEventCards(one, {}, {}, {"Cut|Day 2"});
    EXPECT_TRUE(two[0].showHeader);
    EXPECT_FALSE(two[0].isExpanded);
    EXPECT_TRUE(two[1].isExpanded);
    EXPECT_EQ(two[0].title(), "Day 1");

    const std::vector both{library("L1", "Cut", {event("Day 1", {})}), library("L2", "Promo", {event("Day 1", {})})};
    const auto cards = sidebarEventCards(both, {}, {}, {});
    EXPECT_EQ(cards[0].title(), "Cut / Day 1");
    EXPECT_EQ(cards[1].title(), "Promo / Day 1");
    EXPECT_EQ(cards[1].storedID, "Promo|Day 1");
}

// Two bundles named alike in different folders: one card's expansion and counts never reach the other.
TEST(SidebarEventCards, LibrariesOfTheSameNameKeepTheirEventsApart) {
    const std::vector structure{library("B1", "Cut", {event("Day", {{"T", "Main"}})}),
                                library("B2", "Cut", {event("Day", {{"T", "Main"}})})};
    const auto counts = countsOf({{"B1", "T", 2}, {"B2", "T", 1}});
    const auto cards = sidebarEventCards(structure, counts, {}, {"B2|Day"});
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_NE(cards[0].key(), cards[1].key());
    EXPECT_NE(cards[0].storedID, cards[1].storedID);
    EXPECT_FALSE(cards[0].isExpanded);
    EXPECT_TRUE(cards[1].isExpanded);
    EXPECT_EQ(cards[0].count(), 2);
    EXPECT_EQ(cards[1].count(), 1);
    // A stored "<library name>|<event name>" id would have opened both.
    const auto byName = sidebarEventCards(structure, counts, {}, {"Cut|Day"});
    EXPECT_FALSE(byName[0].isExpanded);
    EXPECT_FALSE(byName[1].isExpanded);
}
