#pragma once

#include "QuilloToDo/Controllers/ListGrouping.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillo {

// The group key of an item under a grouping, which is also its group header's text:
//   assignee  the assignee's name, "Unassigned" when it has none
//   event     library name + " / " + event name
//   timeline  event name + " / " + timeline name
std::string groupKey(const TodoItem& item, ListGrouping grouping);

// The second line of an item's row: event name + " / " + timeline name + " · " + timecode.
std::string rowDetailLine(const TodoItem& item);

// What a screen reader says of an item's row after its text: the kind, a to-do's status, and
// whether its reminder was completed: "To-Do, open", "Chapter", "To-Do, done, completed in its
// reminders list".
std::string rowAccessibleDescription(const TodoItem& item, bool isDoneInReminders);

// The flat sequence of the to-do list: for each group, in key order, its header and then its items by
// position on the timeline (a stable sort: equal positions keep their order in the given items).
// Keys sort by the Unicode code points of their canonical (NFC) forms, case-sensitive and not
// locale-aware, so every upper-case ASCII letter sorts before every lower-case one ("Zoe" before
// "adam"); under the assignee grouping "Unassigned" comes last.
//
// Rows refer to the items by index so that building them for tens of thousands of items copies no
// item; they are valid for the list of items they were built from (pointers, as the filter controller
// hands out the shown items).
class TodoListRows {
public:
    struct Row {
        enum class Kind : std::uint8_t { header, item };
        Kind kind;
        std::uint32_t index;  // into keys() for a header, into the items for an item
    };

    TodoListRows() = default;
    TodoListRows(const std::vector<const TodoItem*>& items, ListGrouping grouping);

    // The rows of `items` taken from `widerRows`, the rows of `wider` under the same grouping, without
    // grouping and sorting again: the rows TodoListRows(items, grouping) builds, while `items` is a
    // part of `wider` in the same order (as a narrower filter leaves it); else nothing.
    static std::optional<TodoListRows> narrowed(const TodoListRows& widerRows,
                                                const std::vector<const TodoItem*>& wider,
                                                const std::vector<const TodoItem*>& items);

    std::size_t size() const noexcept { return rows_.size(); }
    bool empty() const noexcept { return rows_.empty(); }
    const Row& operator[](std::size_t row) const noexcept { return rows_[row]; }
    const std::vector<Row>& rows() const noexcept { return rows_; }

    // The group keys in display order, in canonical form: items whose keys are canonically
    // equivalent share one group.
    const std::vector<std::string>& keys() const noexcept { return keys_; }
    const std::string& headerKey(const Row& row) const noexcept { return keys_[row.index]; }

    // "header-" + the group key, or "item-" + the item's UUID in upper case: unique while item ids are.
    std::string id(std::size_t row, const std::vector<const TodoItem*>& items) const;
    static std::string headerID(std::string_view key);
    static std::string itemID(const TodoItem& item);

private:
    std::vector<std::string> keys_;
    std::vector<Row> rows_;
};

}  // namespace quillo
