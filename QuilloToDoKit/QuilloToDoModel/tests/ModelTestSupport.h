#pragma once

#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include "Platform/Foundation/Coding.h"
#include "Platform/Foundation/UUID.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quillo::test {

// An item with every field set to a plausible value, so that a test can vary one field at a time.
inline TodoItem plausibleItem() {
    return TodoItem{
        .id = *platform::UUID::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"),
        .kind = MarkerKind::todo,
        .status = TodoStatus::open,
        .completedRaw = false,
        .text = "Fix the colour in shot 4",
        .rawText = "@Anna Fix the colour in shot 4",
        .chapterNote = "Reel two",
        .assigneeName = "Anna",
        .assigneeSource = AssigneeSource::prefix,
        .roleUID = "video.titles-1",
        .roleName = "Titles 1",
        .topLevelRoleUID = "video.titles",
        .libraryName = "Documentary",
        .libraryBookmarkID = "0C1D2E3F-4A5B-4C6D-8E7F-8091A2B3C4D5",
        .eventName = "Day 1",
        .timelineID = "timeline-7",
        .timelineName = "Main cut",
        .timelinePositionSeconds = 83.25,
        .timelineTimecode = "00:01:23:06",
        .frameRateFPS = 24.0,
    };
}

// A chapter marker's item without any of the optional values.
inline TodoItem bareChapter() {
    TodoItem item = plausibleItem();
    item.kind = MarkerKind::chapter;
    item.status = TodoStatus::unknown;
    item.completedRaw = std::nullopt;
    item.text = item.rawText = "Act two";
    item.chapterNote = item.assigneeName = std::nullopt;
    item.assigneeSource = AssigneeSource::none;
    item.roleUID = item.roleName = item.topLevelRoleUID = std::nullopt;
    return item;
}

}  // namespace quillo::test
