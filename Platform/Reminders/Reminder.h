#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace platform {

// One reminder: a VTODO in "<calendarItemIdentifier>.ics" inside its list's folder. The fields are
// the ones the store maps; everything else the file holds is kept in `storedText` and written back
// unchanged, so what other clients put there survives a rewrite.
struct Reminder {
    using Date = std::chrono::system_clock::time_point;

    // The VTODO's UID; stable across launches.
    std::string calendarItemIdentifier;
    // The list the reminder belongs to; changing it moves the file on commit.
    std::string calendarIdentifier;
    std::string title;
    std::optional<std::string> notes;
    // 0 for none, 1 (highest) to 9 (lowest).
    int priority = 0;
    bool isCompleted = false;
    std::optional<Date> completionDate;

    // The calendar as read from disk, empty for a new reminder, and the list it was read from.
    std::string storedText;
    std::string storedCalendarIdentifier;
};

}  // namespace platform
