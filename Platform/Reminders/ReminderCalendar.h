#pragma once

#include <string>

namespace platform {

// A reminder list: one folder under the store's root. Its identifier is the folder's name, its title
// the content of the folder's "displayname" file (the folder's name when it has none).
struct ReminderCalendar {
    std::string calendarIdentifier;
    std::string title;
    bool allowsContentModifications = true;
    std::string sourceIdentifier;
};

}  // namespace platform
