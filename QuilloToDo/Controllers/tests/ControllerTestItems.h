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
    return TodoItem(platform::UUID::random(), MarkerKind::todo, TodoStatus::open, false, spec.text, spec.text,
                    std::nullopt, std::nullopt, AssigneeSource::none, spec.roleUID, spec.roleName,
                    spec.topLevelRoleUID, "Feature", "8E3C8E7A-1B36-4A0B-9E55-2F1C3D4B5A69", "Day 1",
                    spec.timelineID, "Main Edit", 2.0, "00:00:02:00", 24.0);
}

}  // namespace quillo::test
