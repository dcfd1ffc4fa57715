#include "QuilloToDo/Views/List/TodoListRows.h"

#include "Platform/Foundation/UnicodeText.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numeric>
#include <stdexcept>
#include <unordered_map>

namespace quillo {
namespace {

constexpr std::string_view kUnassigned = "Unassigned";

// Writes the key into a buffer that is reused from item to item, so grouping allocates per group,
// not per item.
void writeGroupKey(const TodoItem& item, ListGrouping grouping, std::string& key) {
    key.clear();
    switch (grouping) {
    case ListGrouping::assignee:
        key.append(item.assigneeName ? std::string_view(*item.assigneeName) : kUnassigned);
        return;
    case ListGrouping::event: key.append(item.libraryName).append(" / ").append(item.eventName); return;
    case ListGrouping::timeline: key.append(item.eventName).append(" / ").append(item.timelineName); return;
    }
}

struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
};
using GroupIndex = std::unordered_map<std::string, std::uint32_t, TextHash, std::equal_to<>>;

// A strict weak order on positions even with NaN among them (NaN last), which a plain `<` is not.
bool positionPrecedes(double a, double b) noexcept { return !std::isnan(a) && (std::isnan(b) || a < b); }

std::uint32_t checkedIndex(std::size_t index) {
    if (index > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("too many to-do items");
    return static_cast<std::uint32_t>(index);
}

}  // namespace

std::string groupKey(const TodoItem& item, ListGrouping grouping) {
    std::string key;
    writeGroupKey(item, grouping, key);
    return key;
}

TodoListRows::TodoListRows(const std::vector<const TodoItem*>& items, ListGrouping grouping) {
    // Group members by first appearance; raw keys map to groups through their canonical form, which is
    // computed once per distinct raw key.
    GroupIndex byRawKey;
    GroupIndex byCanonicalKey;
    std::vector<std::vector<std::uint32_t>> members;
    std::string key;
    std::string previousKey;
    std::uint32_t previousGroup = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        writeGroupKey(*items[i], grouping, key);
        std::uint32_t group;
        if (i > 0 && key == previousKey) {
            group = previousGroup;  // neighbours mostly share a timeline, and so a key
        } else if (auto found = byRawKey.find(std::string_view(key)); found != byRawKey.end()) {
            group = found->second;
        } else {
            std::string canonical = platform::canonicalForm(key);
            auto [entry, isNew] = byCanonicalKey.try_emplace(canonical, checkedIndex(keys_.size()));
            if (isNew) {
                keys_.push_back(std::move(canonical));
                members.emplace_back();
            }
            group = entry->second;
            byRawKey.emplace(key, group);
        }
        members[group].push_back(checkedIndex(i));
        previousKey.assign(key);
        previousGroup = group;
    }

    // Keys are canonical already, so the order is plain byte order apart from "Unassigned".
    std::vector<std::uint32_t> order(keys_.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        const std::string& keyA = keys_[a];
        const std::string& keyB = keys_[b];
        if (grouping == ListGrouping::assignee) {
            if (keyA == kUnassigned) return false;
            if (keyB == kUnassigned) return true;
        }
        return keyA < keyB;
    });

    std::vector<std::string> sortedKeys;
    sortedKeys.reserve(keys_.size());
    rows_.reserve(keys_.size() + items.size());
    for (std::uint32_t group : order) {
        std::vector<std::uint32_t>& groupItems = members[group];
        std::stable_sort(groupItems.begin(), groupItems.end(), [&](std::uint32_t a, std::uint32_t b) {
            return positionPrecedes(items[a]->timelinePositionSeconds, items[b]->timelinePositionSeconds);
        });
        rows_.push_back({Row::Kind::header, checkedIndex(sortedKeys.size())});
        sortedKeys.push_back(std::move(keys_[group]));
        for (std::uint32_t item : groupItems) rows_.push_back({Row::Kind::item, item});
    }
    keys_ = std::move(sortedKeys);
}

std::optional<TodoListRows> TodoListRows::narrowed(const TodoListRows& widerRows,
                                                   const std::vector<const TodoItem*>& wider,
                                                   const std::vector<const TodoItem*>& items) {
    // Where each item of `wider` stands in `items`, if it does.
    constexpr std::uint32_t kAbsent = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint32_t> place(wider.size(), kAbsent);
    std::size_t next = 0;
    for (std::size_t i = 0; i < wider.size() && next < items.size(); ++i) {
        if (wider[i] == items[next]) place[i] = checkedIndex(next++);
    }
    if (next != items.size()) return std::nullopt;

    // Within a group, positions that compare equal keep the order of `wider`, which `items` shares:
    // the sorted order of `wider` restricted to `items` is the sorted order of `items`.
    TodoListRows rows;
    rows.rows_.reserve(items.size() + widerRows.keys_.size());
    std::optional<std::uint32_t> pendingHeader;
    for (const Row& row : widerRows.rows_) {
        if (row.kind == Row::Kind::header) {
            pendingHeader = row.index;
            continue;
        }
        const std::uint32_t at = place[row.index];
        if (at == kAbsent) continue;
        if (pendingHeader) {
            rows.rows_.push_back({Row::Kind::header, checkedIndex(rows.keys_.size())});
            rows.keys_.push_back(widerRows.keys_[*pendingHeader]);
            pendingHeader.reset();
        }
        rows.rows_.push_back({Row::Kind::item, at});
    }
    return rows;
}

std::string rowAccessibleDescription(const TodoItem& item, bool isDoneInReminders) {
    std::string description(displayName(item.kind));
    if (item.kind == MarkerKind::todo) {
        switch (item.status) {
        case TodoStatus::open: description += ", open"; break;
        case TodoStatus::done: description += ", done"; break;
        case TodoStatus::unknown: description += ", status unknown"; break;
        }
    }
    if (isDoneInReminders) description += ", completed in its reminders list";
    return description;
}

std::string rowDetailLine(const TodoItem& item) {
    std::string line;
    line.reserve(item.eventName.size() + item.timelineName.size() + item.timelineTimecode.size() + 8);
    line.append(item.eventName)
        .append(" / ")
        .append(item.timelineName)
        .append(" \u00B7 ")
        .append(item.timelineTimecode);
    return line;
}

std::string TodoListRows::id(std::size_t row, const std::vector<const TodoItem*>& items) const {
    const Row& entry = rows_.at(row);
    return entry.kind == Row::Kind::header ? headerID(keys_[entry.index]) : itemID(*items.at(entry.index));
}

std::string TodoListRows::headerID(std::string_view key) { return "header-" + std::string(key); }

std::string TodoListRows::itemID(const TodoItem& item) { return "item-" + item.id.uuidString(); }

}  // namespace quillo
