#pragma once

#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include <optional>
#include <string>

namespace quillo::test {

// The few fields the controllers look at; everything else plausible and fixed.
struct ItemSpec {
    std::string timelineID = "timeline-1";
    std::string text = "Fix the colour";
    std::optional<std::string> roleUID{};
    std::optional<std::string> roleName{};
    std::optional<std::string> topLevelRoleUID{};
};

inline TodoItem makeItem(const ItemSpec& spec) {
    return TodoItem{.id = platform::UUID::random(),
                    .kind = MarkerKind::todo,
                    .status = TodoStatus::open,
                    .completedRaw = false,
                    .text = spec.text,
                    .rawText = spec.text,
                    .chapterNote = std::nullopt,
                    .assigneeName = std::nullopt,
                    .assigneeSource = AssigneeSource::none,
                    .roleUID = spec.roleUID,
                    .roleName = spec.roleName,
                    .topLevelRoleUID = spec.topLevelRoleUID,
                    .libraryName = "Feature",
                    .libraryBookmarkID = "8E3C8E7A-1B36-4A0B-9E55-2F1C3D4B5A69",
                    .eventName = "Day 1",
                    .timelineID = spec.timelineID,
                    .timelineName = "Main Edit",
                    .timelinePositionSeconds = 2.0,
                    .timelineTimecode = "00:00:02:00",
                    .frameRateFPS = 24.0};
}

}  // namespace quillo::test
