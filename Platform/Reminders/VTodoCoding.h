#pragma once

#include "Platform/Reminders/Reminder.h"

#include <optional>
#include <string>
#include <string_view>

// Reading and writing one reminder as an iCalendar object holding a VTODO (RFC 5545), through
// libical. Text read from a file is made well-formed UTF-8.
namespace platform::VTodoCoding {

// The first VTODO of `text`. Text that holds no VTODO is a damaged reminder, with nothing but
// `identifier` and `calendarIdentifier` (where the file was found) and no stored text, unless it holds
// an event or a journal entry: then it is no reminder, and nothing is returned. STATUS:COMPLETED or a
// COMPLETED property marks it completed; the priority is kept only when it is 1 to 9.
std::optional<Reminder> read(std::string_view text, const std::string& identifier,
                             const std::string& calendarIdentifier);

// The calendar to store for `reminder`: its stored text with SUMMARY, DESCRIPTION, PRIORITY, DTSTAMP
// and LAST-MODIFIED replaced and every other property and component left as it was; a new calendar
// with UID `calendarItemIdentifier` when nothing was stored. STATUS, COMPLETED and PERCENT-COMPLETE
// change only with the completion: marked completed, it gets its completion date (`now` when it has
// none); unmarked, it needs action again; a changed completion date replaces COMPLETED. `now` stamps it.
std::string write(const Reminder& reminder, Reminder::Date now);

}  // namespace platform::VTodoCoding
