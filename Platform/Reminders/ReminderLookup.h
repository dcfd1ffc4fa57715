#pragma once

#include "Platform/Reminders/Reminder.h"

#include <optional>
#include <string>

namespace platform {

// What the store knows of one reminder identifier: found, known to be gone, or not known because its
// file, or a list folder that may hold it, could not be opened or listed. Only a reminder known to
// be gone may be treated as deleted.
struct ReminderLookup {
    // When found. A file that was read but could not be parsed, or is too large to read, is still the
    // reminder, with nothing but its identifiers: saving it replaces the file.
    std::optional<Reminder> reminder;
    // When not known: what could not be read and the system's reason, for the user.
    std::optional<std::string> unreadableReason;

    bool isGone() const noexcept { return !reminder && !unreadableReason; }
};

}  // namespace platform
