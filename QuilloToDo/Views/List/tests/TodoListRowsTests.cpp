#include "QuilloToDo/Views/List/TodoListRows.h"

#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <vector>

namespace quillo {
namespace {

TodoItem item(std::string text, std::optional<std::string> assignee, double position = 0, std::string library = "Lib",
              std::string event = "Day 1", std::string timeline = "Main") {
    TodoItem result;
    result.id = platform::UUID::random();
    result.kind = MarkerKind::todo;
    result.status = TodoStatus::open;
    result.text = text;
    result.rawText = text;
    result.assigneeName = std::move(assignee);
    result.libraryName = std::move(library);
    result.eventName = std::move(event);
    result.timelineName = std::move(timeline);
    result.timelinePositionSeconds = position;
    result.timelineTimecode = "00:00:01:00";
    return result;
}

// Each row as "# key" for a header and the item's text for an item.
std::vector<const TodoItem*> pointers(const std::vector<TodoItem>& items) {
    std::vector<const TodoItem*> result;
    for (const TodoItem& item : items) result.push_back(&item);
    return result;
}

std::vector<std::string> rowTexts(const std::vector<TodoItem>& items, ListGrouping grouping) {
    const TodoListRows rows(pointers(items), grouping);
    std::vector<std::string> texts;
    for (const auto& row : rows.rows()) {
        texts.push_back(row.kind == TodoListRows::Row::Kind::header ? "# " + rows.headerKey(row)
                                                                    : items[row.index].text);
    }
    return texts;
}

using Texts = std::vector<std::string>;

TEST(TodoListRows, AssigneeGroupsSortByCodePointsWithUnassignedLast) {
    const std::vector<TodoItem> items = {
        item("nobody", std::nullopt), item("to bob", "bob"),         item("to adam", "adam"),
        item("to Zoe", "Zoe"),        item("literal", "Unassigned"), item("to Alice", "Alice"),
    };
    EXPECT_EQ(rowTexts(items, ListGrouping::assignee),
              (Texts{"# Alice", "to Alice", "# Zoe", "to Zoe", "# adam", "to adam", "# bob", "to bob", "# Unassigned",
                     "nobody", "literal"}));
}

TEST(TodoListRows, KeysCompareAsCodePointsOfCanonicalText) {
    // U+FF21 (fullwidth A) sorts before U+1D49C (outside the BMP) by code point, after it by UTF-16
    // unit; "É" precomposed and decomposed are one group.
    const std::vector<TodoItem> items = {
        item("astral", "\U0001D49C"),
        item("fullwidth", "\uFF21"),
        item("composed", "\u00C9mile"),
        item("decomposed", "E\u0301mile"),
    };
    EXPECT_EQ(rowTexts(items, ListGrouping::assignee),
              (Texts{"# \u00C9mile", "composed", "decomposed", "# \uFF21", "fullwidth", "# \U0001D49C", "astral"}));
}

TEST(TodoListRows, EventAndTimelineKeys) {
    const std::vector<TodoItem> items = {
        item("b late", std::nullopt, 9, "B", "Day 1", "Main"),
        item("a", std::nullopt, 5, "A", "Day 1", "Main"),
        item("b early", std::nullopt, 1, "B", "Day 1", "Main"),
        item("a same position", std::nullopt, 5, "A", "Day 1", "Main"),
    };
    // The same event in two libraries: two groups.
    EXPECT_EQ(rowTexts(items, ListGrouping::event),
              (Texts{"# A / Day 1", "a", "a same position", "# B / Day 1", "b early", "b late"}));
    // The same event and timeline names in two libraries: one group, merged by position, ties stable.
    EXPECT_EQ(rowTexts(items, ListGrouping::timeline),
              (Texts{"# Day 1 / Main", "b early", "a", "a same position", "b late"}));
    // "Unassigned" is special only when grouping by assignee.
    const std::vector<TodoItem> named = {item("u", std::nullopt, 0, "L", "Unassigned", "T"),
                                         item("z", std::nullopt, 0, "L", "zz", "T")};
    EXPECT_EQ(rowTexts(named, ListGrouping::timeline), (Texts{"# Unassigned / T", "u", "# zz / T", "z"}));
}

TEST(TodoListRows, PositionsSortStablyEvenWithNaN) {
    const std::vector<TodoItem> items = {
        item("nan", "a", std::nan("")),
        item("two", "a", 2),
        item("one", "a", 1),
        item("two again", "a", 2),
    };
    EXPECT_EQ(rowTexts(items, ListGrouping::assignee), (Texts{"# a", "one", "two", "two again", "nan"}));
}

// Narrowed rows are the rows built anew, under every grouping, with equal positions, groups of
// canonically equal keys and groups left empty; a list that is not a part of the wider one in its
// order gets nothing.
TEST(TodoListRows, NarrowedRowsAreTheRowsBuiltAnew) {
    const std::vector<TodoItem> items = {
        item("a", "Zoe", 2, "L", "Day 1", "Main"),       item("b", std::nullopt, 1, "L", "Day 1", "Main"),
        item("c", "Zoe", 2, "L", "Day 2", "Main"),       item("d", "Ann", std::nan(""), "L", "Day 2", "Cut"),
        item("e", "\u00C9mile", 0, "L", "Day 1", "Cut"), item("f", "E\u0301mile", 3, "L", "Day 1", "Cut"),
        item("g", "Zoe", 1, "M", "Day 1", "Main"),
    };
    const auto all = pointers(items);
    for (ListGrouping grouping : kAllListGroupings) {
        const TodoListRows wide(all, grouping);
        for (unsigned mask = 0; mask < (1u << items.size()); ++mask) {
            std::vector<const TodoItem*> part;
            for (std::size_t i = 0; i < items.size(); ++i) {
                if (mask & (1u << i)) part.push_back(all[i]);
            }
            const auto narrowed = TodoListRows::narrowed(wide, all, part);
            ASSERT_TRUE(narrowed) << mask;
            const TodoListRows anew(part, grouping);
            ASSERT_EQ(narrowed->keys(), anew.keys()) << mask;
            ASSERT_EQ(narrowed->size(), anew.size()) << mask;
            for (std::size_t row = 0; row < anew.size(); ++row) {
                ASSERT_EQ((*narrowed)[row].kind, anew[row].kind) << mask;
                ASSERT_EQ((*narrowed)[row].index, anew[row].index) << mask;
            }
        }
        EXPECT_FALSE(TodoListRows::narrowed(wide, all, {all[2], all[1]}));
        EXPECT_FALSE(TodoListRows::narrowed(wide, all, {all[1], all[1]}));
        const TodoItem stranger = item("x", "Zoe");
        EXPECT_FALSE(TodoListRows::narrowed(wide, all, {all[0], &stranger}));
    }
}

TEST(TodoListRows, IdsUseUpperCaseUUIDsAndNoItemsGiveNoRows) {
    std::vector<TodoItem> items = {item("x", "Ann")};
    items[0].id = *platform::UUID::parse("0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d");
    const TodoListRows rows(pointers(items), ListGrouping::assignee);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows.id(0, pointers(items)), "header-Ann");
    EXPECT_EQ(rows.id(1, pointers(items)), "item-0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D");
    EXPECT_TRUE(TodoListRows({}, ListGrouping::event).empty());
}

TEST(TodoListRows, DetailLine) {
    TodoItem x = item("x", std::nullopt, 0, "L", "Day 2", "Teaser");
    x.timelineTimecode = "01:00:02:03";
    EXPECT_EQ(rowDetailLine(x), "Day 2 / Teaser \u00B7 01:00:02:03");
}

}  // namespace
}  // namespace quillo
