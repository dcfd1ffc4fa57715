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

// One marker of a timeline of a watched library, as a to-do. An immutable value: only the scanner
// builds items, everything else reads them; a new scan makes new items. `id` identifies the item and
// stays the same for the same marker from scan to scan.
//
// Equality covers all twenty fields: texts are compared under Unicode canonical equivalence (NFC),
// numbers by IEEE-754 equality (0.0 == -0.0, a NaN equals nothing, not even itself). Absent and
// present optionals differ; an empty text is a value, not absence.
class TodoItem {
public:
    // All twenty values in field order; only stores them.
    TodoItem(platform::UUID id, MarkerKind kind, TodoStatus status, std::optional<bool> completedRaw,
             std::string text, std::string rawText, std::optional<std::string> chapterNote,
             std::optional<std::string> assigneeName, AssigneeSource assigneeSource,
             std::optional<std::string> roleUID, std::optional<std::string> roleName,
             std::optional<std::string> topLevelRoleUID, std::string libraryName, std::string libraryBookmarkID,
             std::string eventName, std::string timelineID, std::string timelineName,
             double timelinePositionSeconds, std::string timelineTimecode, double frameRateFPS);

    const platform::UUID& id() const noexcept { return id_; }
    MarkerKind kind() const noexcept { return kind_; }
    // `unknown` for every kind but a to-do, and for a to-do without a completion flag.
    TodoStatus status() const noexcept { return status_; }
    // The marker's completion flag as the library stores it; absent when it stores none.
    const std::optional<bool>& completedRaw() const noexcept { return completedRaw_; }
    // The marker text without a leading at-sign assignee.
    const std::string& text() const noexcept { return text_; }
    // The marker text exactly as stored.
    const std::string& rawText() const noexcept { return rawText_; }
    const std::optional<std::string>& chapterNote() const noexcept { return chapterNote_; }
    const std::optional<std::string>& assigneeName() const noexcept { return assigneeName_; }
    AssigneeSource assigneeSource() const noexcept { return assigneeSource_; }
    // The role of the clip that carries the marker.
    const std::optional<std::string>& roleUID() const noexcept { return roleUID_; }
    // Display name of `roleUID`; absent when there is no role or it has no name.
    const std::optional<std::string>& roleName() const noexcept { return roleName_; }
    // The parent of a sub-role, else `roleUID` itself; absent when the role is absent or unknown.
    const std::optional<std::string>& topLevelRoleUID() const noexcept { return topLevelRoleUID_; }
    const std::string& libraryName() const noexcept { return libraryName_; }
    // Identifier of the watched library the item came from.
    const std::string& libraryBookmarkID() const noexcept { return libraryBookmarkID_; }
    const std::string& eventName() const noexcept { return eventName_; }
    // Identifier of the timeline within its library.
    const std::string& timelineID() const noexcept { return timelineID_; }
    const std::string& timelineName() const noexcept { return timelineName_; }
    // Seconds from the timeline's start.
    double timelinePositionSeconds() const noexcept { return timelinePositionSeconds_; }
    // The same position as timecode at `frameRateFPS`, counted from zero at the timeline's start.
    const std::string& timelineTimecode() const noexcept { return timelineTimecode_; }
    double frameRateFPS() const noexcept { return frameRateFPS_; }

    friend bool operator==(const TodoItem& a, const TodoItem& b);

private:
    platform::UUID id_;
    MarkerKind kind_;
    TodoStatus status_;
    std::optional<bool> completedRaw_;
    std::string text_;
    std::string rawText_;
    std::optional<std::string> chapterNote_;
    std::optional<std::string> assigneeName_;
    AssigneeSource assigneeSource_;
    std::optional<std::string> roleUID_;
    std::optional<std::string> roleName_;
    std::optional<std::string> topLevelRoleUID_;
    std::string libraryName_;
    std::string libraryBookmarkID_;
    std::string eventName_;
    std::string timelineID_;
    std::string timelineName_;
    double timelinePositionSeconds_;
    std::string timelineTimecode_;
    double frameRateFPS_;
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
