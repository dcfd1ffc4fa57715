#pragma once

#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include "Platform/Foundation/Coding.h"
#include "Platform/Foundation/UUID.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quillo::test {

// Every field of an item with plausible values, so that a test can vary one field at a time.
struct ItemFields {
    platform::UUID id = *platform::UUID::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    MarkerKind kind = MarkerKind::todo;
    TodoStatus status = TodoStatus::open;
    std::optional<bool> completedRaw = false;
    std::string text = "Fix the colour in shot 4";
    std::string rawText = "@Anna Fix the colour in shot 4";
    std::optional<std::string> chapterNote = "Reel two";
    std::optional<std::string> assigneeName = "Anna";
    AssigneeSource assigneeSource = AssigneeSource::prefix;
    std::optional<std::string> roleUID = "video.titles-1";
    std::optional<std::string> roleName = "Titles 1";
    std::optional<std::string> topLevelRoleUID = "video.titles";
    std::string libraryName = "Documentary";
    std::string libraryBookmarkID = "0C1D2E3F-4A5B-4C6D-8E7F-8091A2B3C4D5";
    std::string eventName = "Day 1";
    std::string timelineID = "timeline-7";
    std::string timelineName = "Main cut";
    double timelinePositionSeconds = 83.25;
    std::string timelineTimecode = "00:01:23:06";
    double frameRateFPS = 24.0;

    TodoItem build() const {
        return TodoItem(id, kind, status, completedRaw, text, rawText, chapterNote, assigneeName, assigneeSource,
                        roleUID, roleName, topLevelRoleUID, libraryName, libraryBookmarkID, eventName, timelineID,
                        timelineName, timelinePositionSeconds, timelineTimecode, frameRateFPS);
    }
};

// The fields of a chapter marker without any of the optional values.
inline ItemFields bareChapterFields() {
    ItemFields fields;
    fields.kind = MarkerKind::chapter;
    fields.status = TodoStatus::unknown;
    fields.completedRaw = std::nullopt;
    fields.text = fields.rawText = "Act two";
    fields.chapterNote = fields.assigneeName = std::nullopt;
    fields.assigneeSource = AssigneeSource::none;
    fields.roleUID = fields.roleName = fields.topLevelRoleUID = std::nullopt;
    return fields;
}

}  // namespace quillo::test
