#pragma once

#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include <array>
#include <cstddef>
#include <string_view>

// The coded form of a TodoItem, shared by the JSON tree coder and the direct text coder of to-do lists.
namespace quillo::itemfields {

// In field order, which is also the order members are written in.
enum class Field {
    id, kind, status, completedRaw, text, rawText, chapterNote, assigneeName, assigneeSource, roleUID, roleName,
    topLevelRoleUID, libraryName, libraryBookmarkID, eventName, timelineID, timelineName, timelinePositionSeconds,
    timelineTimecode, frameRateFPS
};

inline constexpr auto kKeys = std::to_array<std::string_view>(
    {"id", "kind", "status", "completedRaw", "text", "rawText", "chapterNote", "assigneeName", "assigneeSource",
     "roleUID", "roleName", "topLevelRoleUID", "libraryName", "libraryBookmarkID", "eventName", "timelineID",
     "timelineName", "timelinePositionSeconds", "timelineTimecode", "frameRateFPS"});
inline constexpr std::size_t kCount = kKeys.size();
static_assert(static_cast<std::size_t>(Field::frameRateFPS) + 1 == kCount);

constexpr std::string_view key(Field field) noexcept { return kKeys[static_cast<std::size_t>(field)]; }

// Calls `visit(field, value)` for each present member in order, with the value as it is coded: a
// std::string_view for texts, enumerations and the id, a bool or a double. Absent optionals are skipped.
template <class Visitor>
void visitMembers(const TodoItem& item, Visitor&& visit) {
    visit(Field::id, std::string_view(item.id().uuidString()));
    visit(Field::kind, rawValue(item.kind()));
    visit(Field::status, rawValue(item.status()));
    if (item.completedRaw()) visit(Field::completedRaw, *item.completedRaw());
    visit(Field::text, std::string_view(item.text()));
    visit(Field::rawText, std::string_view(item.rawText()));
    if (item.chapterNote()) visit(Field::chapterNote, std::string_view(*item.chapterNote()));
    if (item.assigneeName()) visit(Field::assigneeName, std::string_view(*item.assigneeName()));
    visit(Field::assigneeSource, rawValue(item.assigneeSource()));
    if (item.roleUID()) visit(Field::roleUID, std::string_view(*item.roleUID()));
    if (item.roleName()) visit(Field::roleName, std::string_view(*item.roleName()));
    if (item.topLevelRoleUID()) visit(Field::topLevelRoleUID, std::string_view(*item.topLevelRoleUID()));
    visit(Field::libraryName, std::string_view(item.libraryName()));
    visit(Field::libraryBookmarkID, std::string_view(item.libraryBookmarkID()));
    visit(Field::eventName, std::string_view(item.eventName()));
    visit(Field::timelineID, std::string_view(item.timelineID()));
    visit(Field::timelineName, std::string_view(item.timelineName()));
    visit(Field::timelinePositionSeconds, item.timelinePositionSeconds());
    visit(Field::timelineTimecode, std::string_view(item.timelineTimecode()));
    visit(Field::frameRateFPS, item.frameRateFPS());
}

}  // namespace quillo::itemfields
