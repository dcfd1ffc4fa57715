#pragma once

#include "QuilloToDoKit/QuilloToDoModel/AssigneeSource.h"
#include "QuilloToDoKit/QuilloToDoModel/MarkerKind.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoStatus.h"

#include "Platform/Foundation/Coding.h"
#include "Platform/Foundation/UUID.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace quillo {

// One marker of a timeline of a watched library, as a to-do. A value: the scanner builds items by
// name (`TodoItem{.id = ..., .kind = ...}`), everything else reads them; a new scan makes new items.
// `id` identifies the item and stays the same for the same marker from scan to scan.
//
// Equality covers every field: texts are compared under Unicode canonical equivalence (NFC), numbers
// by IEEE-754 equality (0.0 == -0.0, a NaN equals nothing, not even itself). Absent and present
// optionals differ; an empty text is a value, not absence. A new field is declared here and listed
// with its key in TodoItemFields.h; equality, hashing and both coders follow from that list.
struct TodoItem {
    platform::UUID id;
    MarkerKind kind = MarkerKind::standard;
    // `unknown` for every kind but a to-do, and for a to-do without a completion flag.
    TodoStatus status = TodoStatus::unknown;
    // The marker's completion flag as the library stores it; absent when it stores none.
    std::optional<bool> completedRaw;
    // The marker text without a leading at-sign assignee.
    std::string text;
    // The marker text exactly as stored.
    std::string rawText;
    std::optional<std::string> chapterNote;
    std::optional<std::string> assigneeName;
    AssigneeSource assigneeSource = AssigneeSource::none;
    // The role of the clip that carries the marker.
    std::optional<std::string> roleUID;
    // Display name of `roleUID`; absent when there is no role or it has no name.
    std::optional<std::string> roleName;
    // The parent of a sub-role, else `roleUID` itself; absent when the role is absent or unknown.
    std::optional<std::string> topLevelRoleUID;
    std::string libraryName;
    // Identifier of the watched library the item came from.
    std::string libraryBookmarkID;
    std::string eventName;
    // Identifier of the timeline within its library.
    std::string timelineID;
    std::string timelineName;
    // Seconds from the timeline's start.
    double timelinePositionSeconds = 0;
    // The same position as timecode at `frameRateFPS`, counted from zero at the timeline's start.
    std::string timelineTimecode;
    double frameRateFPS = 0;

    friend bool operator==(const TodoItem& a, const TodoItem& b);
};

// One JSON object whose member names are the field names, written in field order; an absent optional
// is left out (no member, not null). Throws platform::EncodingError when `timelinePositionSeconds` or
// `frameRateFPS` is not finite.
platform::JSON encode(const TodoItem& item, const platform::CodingPath& path = {});
// Every always-present member is required with its JSON type; an optional member may be missing or
// null (both mean absent); a number member takes any JSON number; other members are ignored. Throws
// platform::DecodingError naming the failing member's path; nothing is read partially.
TodoItem decodeTodoItem(const platform::JSON& value, const platform::CodingPath& path = {});

}  // namespace quillo

// Consistent with equality: texts hash in canonical form, -0.0 as 0.0.
template <>
struct std::hash<quillo::TodoItem> {
    std::size_t operator()(const quillo::TodoItem& item) const;
};
