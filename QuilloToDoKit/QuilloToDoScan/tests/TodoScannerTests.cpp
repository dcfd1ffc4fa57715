#include "QuilloToDoKit/QuilloToDoScan/TodoScanner.h"

#include "testing/LibraryBuilder.h"
#include "testing/Projected.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace quillo;
using quillo::testing::LibraryBuilder;
using quillo::testing::MarkerType;
using quillo::testing::projected;
using quillo::testing::TemporaryDirectory;
using quillo::testing::TimelineBuilder;

namespace {

const TodoItem& itemWithRawText(const std::vector<TodoItem>& items, const std::string& rawText) {
    const auto found =
        std::find_if(items.begin(), items.end(), [&](const TodoItem& item) { return item.rawText == rawText; });
    if (found == items.end()) throw std::runtime_error("no item " + rawText);
    return *found;
}

std::vector<std::string> rawTexts(const std::vector<TodoItem>& items) { return projected(items, &TodoItem::rawText); }

}  // namespace

TEST(TodoScanner, ItemIDsAreTheFirstHalfOfASHA256) {
    EXPECT_EQ(TodoScanner::itemID("Main", "T1", 42).uuidString(), "608A5D42-B080-BEC7-C12B-CEBEEBBF9972");
    EXPECT_NE(TodoScanner::itemID("Main", "T1", -42), TodoScanner::itemID("Main", "T1", 42));
    EXPECT_EQ(TodoScanner::itemID("Main", "T1", 42, 1), TodoScanner::itemID("Main", "T1", 42));
    EXPECT_NE(TodoScanner::itemID("Main", "T1", 42, 2), TodoScanner::itemID("Main", "T1", 42));
}

TEST(TodoScanner, MarkersBecomeItemsWithKindsStatusesAssigneesAndRoles) {
    TemporaryDirectory dir;
    LibraryBuilder library(dir.path(), "Feature");
    auto& event = library.event("Day 1");
    event.roles().addStandardRoles();
    event.roles().role("anna", "Anna").subRole("anna.grade", "Anna-Grade");
    TimelineBuilder edit = event.sequence("Main Edit", {.identifier = "T1"});
    edit.clip("Interview", 0.0, 10.0)
        .marker("Act One", MarkerType::chapter, 0.0, {.completed = true, .chapterNote = "Opening"})
        .marker("@Bob fix the colour", MarkerType::todo, 2.0, {.completed = false})
        .marker("no flag", MarkerType::todo, 3.0)
        .marker("finished", MarkerType::todo, 4.0, {.completed = true})
        .marker("just a note", MarkerType::standard, 5.0)
        .connected("B-roll", 6.0, 0.0, 3.0)
        .role("anna.grade")
        .marker("@Bob warmer", MarkerType::todo, 1.0, {.completed = false});
    edit.clip("Dialogue Clip", 0.0, 5.0)
        .connected("Voice", 1.0, 0.0, 3.0)
        .role("dialogue.dialogue-1")
        .marker("@Cleo level the voice", MarkerType::todo, 0.5, {.completed = false});
    library.finish();

    const auto items = TodoScanner().scan({{library.bundlePath(), "Feature", "BOOK"}});
    ASSERT_EQ(items.size(), 7u);

    const auto& chapter = itemWithRawText(items, "Act One");
    EXPECT_EQ(chapter.kind, MarkerKind::chapter);
    EXPECT_EQ(chapter.status, TodoStatus::unknown);
    EXPECT_EQ(chapter.chapterNote, "Opening");
    EXPECT_EQ(chapter.libraryName, "Feature");
    EXPECT_EQ(chapter.libraryBookmarkID, "BOOK");
    EXPECT_EQ(chapter.eventName, "Day 1");
    EXPECT_EQ(chapter.timelineID, "T1");
    EXPECT_EQ(chapter.timelineName, "Main Edit");

    const auto& open = itemWithRawText(items, "@Bob fix the colour");
    EXPECT_EQ(open.status, TodoStatus::open);
    EXPECT_EQ(open.completedRaw, false);
    EXPECT_EQ(open.text, "fix the colour");
    EXPECT_EQ(open.assigneeName, "Bob");
    EXPECT_EQ(open.assigneeSource, AssigneeSource::prefix);
    EXPECT_FALSE(open.roleUID);  // markers on the primary storyline carry no role
    EXPECT_EQ(open.timelineTimecode, "00:00:02:00");
    EXPECT_EQ(open.frameRateFPS, 24.0);

    EXPECT_EQ(itemWithRawText(items, "no flag").status, TodoStatus::unknown);
    EXPECT_FALSE(itemWithRawText(items, "no flag").completedRaw);
    EXPECT_EQ(itemWithRawText(items, "finished").status, TodoStatus::done);
    EXPECT_EQ(itemWithRawText(items, "just a note").kind, MarkerKind::standard);

    const auto& roleItem = itemWithRawText(items, "@Bob warmer");
    EXPECT_EQ(roleItem.roleUID, "anna.grade");
    EXPECT_EQ(roleItem.roleName, "Anna-Grade");
    EXPECT_EQ(roleItem.topLevelRoleUID, "anna");
    EXPECT_EQ(roleItem.assigneeName, "Anna");  // the role wins over the prefix
    EXPECT_EQ(roleItem.assigneeSource, AssigneeSource::role);
    EXPECT_EQ(roleItem.text, "warmer");
    EXPECT_DOUBLE_EQ(roleItem.timelinePositionSeconds, 7.0);

    const auto& standardRole = itemWithRawText(items, "@Cleo level the voice");
    EXPECT_EQ(standardRole.assigneeName, "Cleo");  // Dialogue is a standard role
    EXPECT_EQ(standardRole.roleName, "Dialogue-1");
    EXPECT_EQ(standardRole.topLevelRoleUID, "dialogue");

    // The id of every item follows from the library name, the timeline id and the marker key.
    const auto again = TodoScanner().scan({{library.bundlePath(), "Feature", "OTHER"}});
    ASSERT_EQ(again.size(), items.size());
    for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(again[i].id, items[i].id);
    const auto renamed = TodoScanner().scan({{library.bundlePath(), "Renamed", "BOOK"}});
    for (std::size_t i = 0; i < items.size(); ++i) EXPECT_NE(renamed[i].id, items[i].id);
}

TEST(TodoScanner, TimecodesRoundHalfAwayFromZeroAt24FramesPerSecond) {
    TemporaryDirectory dir;
    LibraryBuilder library(dir.path(), "Rounding");
    auto edit = library.event("E").sequence("T");
    // The clip starts late in its source: a marker before that start lies before the timeline's start.
    edit.clip("Clip", 10.0, 20.0)
        .marker("at 1.02", MarkerType::standard, 1.02)
        .marker("at 1.0625", MarkerType::standard, 1.0625)
        .marker("early", MarkerType::standard, -3.0);
    library.finish();

    const auto items = TodoScanner().scan({{library.bundlePath(), "Rounding", "B"}});
    EXPECT_EQ(itemWithRawText(items, "at 1.02").timelineTimecode, "00:00:01:00");
    EXPECT_EQ(itemWithRawText(items, "at 1.0625").timelineTimecode, "00:00:01:02");
    const auto& early = itemWithRawText(items, "early");
    EXPECT_DOUBLE_EQ(early.timelinePositionSeconds, -3.0);
    EXPECT_EQ(early.timelineTimecode, "00:00:00:00");
}

TEST(TodoScanner, ACompoundClipUsedTwiceGivesEachOccurrenceItsOwnID) {
    TemporaryDirectory dir;
    LibraryBuilder library(dir.path(), "Twice");
    auto edit = library.event("E").sequence("T", {.identifier = "TL"});
    auto scene = edit.compound("Scene", 0.0, 4.0);
    const auto marker =
        scene.inner().clip("Inside", 0.0, 4.0).addMarker("inner note", MarkerType::todo, 1.0, {.completed = false});
    edit.compoundReference("Scene again", scene.inner().mediaIdentifier(), 0.0, 4.0);
    library.finish();

    const auto items = TodoScanner().scan({{library.bundlePath(), "Twice", "B"}});
    ASSERT_EQ(rawTexts(items), (std::vector<std::string>{"inner note", "inner note"}));
    EXPECT_NE(items[0].id, items[1].id);
    EXPECT_DOUBLE_EQ(items[0].timelinePositionSeconds, 1.0);
    EXPECT_DOUBLE_EQ(items[1].timelinePositionSeconds, 5.0);
    // The first occurrence keeps the plain id; the second adds its count.
    EXPECT_EQ(items[0].id, TodoScanner::itemID("Twice", "TL", marker.pk()));
    EXPECT_EQ(items[1].id, TodoScanner::itemID("Twice", "TL", marker.pk(), 2));
    const auto again = TodoScanner().scan({{library.bundlePath(), "Twice", "B"}});
    EXPECT_EQ(again[0].id, items[0].id);
    EXPECT_EQ(again[1].id, items[1].id);
}

TEST(TodoScanner, UnreadableLibrariesAndEventsAddNothing) {
    TemporaryDirectory dir;
    LibraryBuilder first(dir.path(), "First");
    first.event("E").sequence("T").clip("C", 0.0, 2.0).marker("one", MarkerType::todo, 1.0);
    first.unreadableEvent("Broken");
    first.finish();
    LibraryBuilder second(dir.path(), "Second");
    second.event("E").sequence("T").clip("C", 0.0, 2.0).marker("two", MarkerType::todo, 1.0);
    second.finish();

    const auto items = TodoScanner().scan({{first.bundlePath(), "First", "1"},
                                           {dir.path() / "Missing.fcpbundle", "Missing", "2"},
                                           {second.bundlePath(), "Second", "3"}});
    EXPECT_EQ(rawTexts(items), (std::vector<std::string>{"one", "two"}));
    EXPECT_TRUE(TodoScanner().scan({}).empty());
}
