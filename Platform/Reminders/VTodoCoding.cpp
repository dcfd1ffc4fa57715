#include "Platform/Reminders/VTodoCoding.h"

#include "Platform/Foundation/UnicodeText.h"

#include <libical/ical.h>

#include <ctime>
#include <memory>

namespace platform::VTodoCoding {

namespace {

struct ComponentDeleter {
    void operator()(icalcomponent* component) const noexcept { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentDeleter>;

Component parse(std::string_view text) {
    // libical reads C strings: a NUL ends the text, as it would for any other client.
    const std::string terminated(text.substr(0, text.find('\0')));
    return Component(icalparser_parse_string(terminated.c_str()));
}

icalcomponent* first(icalcomponent* root, icalcomponent_kind kind) {
    if (root == nullptr) return nullptr;
    if (icalcomponent_isa(root) == kind) return root;
    return icalcomponent_get_first_component(root, kind);
}

icalcomponent* firstTodo(icalcomponent* root) { return first(root, ICAL_VTODO_COMPONENT); }

// An event or a journal entry: a calendar item of another kind, not a damaged reminder.
bool holdsOtherItem(icalcomponent* root) {
    return first(root, ICAL_VEVENT_COMPONENT) != nullptr || first(root, ICAL_VJOURNAL_COMPONENT) != nullptr;
}

// Any STATUS:COMPLETED counts, not only the first STATUS: libical may write a damaged one back in a
// form it then drops, and what is completed must stay so across a rewrite that leaves it alone.
bool isCompleted(icalcomponent* todo) {
    if (icalcomponent_get_first_property(todo, ICAL_COMPLETED_PROPERTY) != nullptr) return true;
    for (icalproperty* status = icalcomponent_get_first_property(todo, ICAL_STATUS_PROPERTY); status != nullptr;
         status = icalcomponent_get_next_property(todo, ICAL_STATUS_PROPERTY)) {
        if (icalproperty_get_status(status) == ICAL_STATUS_COMPLETED) return true;
    }
    return false;
}

// Well-formed UTF-8 without the control characters iCalendar text cannot carry (line feeds and
// tabs it can); libical would drop some of them on writing and keep others.
std::string textValue(std::string_view text) {
    std::string clean = sanitizedUTF8(text);
    std::erase_if(clean,
                  [](char c) { return (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t') || c == 0x7f; });
    return clean;
}

std::optional<std::string> textOf(icalcomponent* todo, icalproperty_kind kind) {
    icalproperty* property = icalcomponent_get_first_property(todo, kind);
    if (property == nullptr) return std::nullopt;
    const icalvalue* value = icalproperty_get_value(property);
    if (value == nullptr || icalvalue_isa(value) != ICAL_TEXT_VALUE) return std::nullopt;
    const char* text = icalvalue_get_text(value);
    return textValue(text != nullptr ? text : "");
}

void removeAll(icalcomponent* component, icalproperty_kind kind) {
    while (icalproperty* property = icalcomponent_get_first_property(component, kind)) {
        icalcomponent_remove_property(component, property);
        icalproperty_free(property);
    }
}

// Whole seconds since 1970, as stored.
std::time_t storedSeconds(Reminder::Date date) { return std::chrono::system_clock::to_time_t(date); }

icaltimetype utcTime(Reminder::Date date) {
    return icaltime_from_timet_with_zone(storedSeconds(date), 0, icaltimezone_get_utc_timezone());
}

std::optional<Reminder::Date> completionOf(icalcomponent* todo) {
    icalproperty* property = icalcomponent_get_first_property(todo, ICAL_COMPLETED_PROPERTY);
    if (property == nullptr) return std::nullopt;
    const icaltimetype time = icalproperty_get_completed(property);
    if (icaltime_is_null_time(time) || !icaltime_is_valid_time(time)) return std::nullopt;
    const icaltimezone* zone = time.zone != nullptr ? time.zone : icaltimezone_get_utc_timezone();
    const auto seconds = static_cast<long long>(icaltime_as_timet_with_zone(time, zone));
    // The clock counts nanoseconds in 64 bits: about 292 years either side of 1970.
    constexpr long long limit =
        std::chrono::duration_cast<std::chrono::seconds>(Reminder::Date::duration::max()).count();
    if (seconds <= -limit || seconds >= limit) return std::nullopt;
    return Reminder::Date(std::chrono::duration_cast<Reminder::Date::duration>(std::chrono::seconds(seconds)));
}

Component calendarShell() {
    Component calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid("-//QuilloToDo//Reminders//EN"));
    return calendar;
}

Component newCalendar(const std::string& uid, Reminder::Date now) {
    Component calendar = calendarShell();
    icalcomponent* todo = icalcomponent_new(ICAL_VTODO_COMPONENT);
    icalcomponent_add_property(todo, icalproperty_new_uid(uid.c_str()));
    icalcomponent_add_property(todo, icalproperty_new_created(utcTime(now)));
    icalcomponent_add_component(calendar.get(), todo);
    return calendar;
}

void replaceCompletionDate(icalcomponent* todo, Reminder::Date date) {
    removeAll(todo, ICAL_COMPLETED_PROPERTY);
    icalcomponent_add_property(todo, icalproperty_new_completed(utcTime(date)));
}

// Completion is written only when it changed: what another client set (IN-PROCESS, a percentage,
// its own completion date) stays while the reminder's completion stays as it was.
void writeCompletion(icalcomponent* todo, const Reminder& reminder, bool isNew, Reminder::Date now) {
    const bool wasCompleted = !isNew && isCompleted(todo);
    if (reminder.isCompleted && !wasCompleted) {
        removeAll(todo, ICAL_STATUS_PROPERTY);
        removeAll(todo, ICAL_PERCENTCOMPLETE_PROPERTY);
        icalcomponent_add_property(todo, icalproperty_new_status(ICAL_STATUS_COMPLETED));
        icalcomponent_add_property(todo, icalproperty_new_percentcomplete(100));
        replaceCompletionDate(todo, reminder.completionDate.value_or(now));
    } else if (!reminder.isCompleted && (wasCompleted || isNew)) {
        removeAll(todo, ICAL_STATUS_PROPERTY);
        removeAll(todo, ICAL_COMPLETED_PROPERTY);
        removeAll(todo, ICAL_PERCENTCOMPLETE_PROPERTY);
        icalcomponent_add_property(todo, icalproperty_new_status(ICAL_STATUS_NEEDSACTION));
    } else if (reminder.isCompleted && reminder.completionDate) {
        const auto stored = completionOf(todo);
        if (!stored || storedSeconds(*stored) != storedSeconds(*reminder.completionDate)) {
            replaceCompletionDate(todo, *reminder.completionDate);
        }
    }
}

}  // namespace

std::optional<Reminder> read(std::string_view text, const std::string& identifier,
                             const std::string& calendarIdentifier) {
    icalerror_set_errors_are_fatal(0);
    const Component root = parse(text);
    Reminder reminder;
    reminder.calendarItemIdentifier = identifier;
    reminder.calendarIdentifier = calendarIdentifier;
    reminder.storedCalendarIdentifier = calendarIdentifier;
    icalcomponent* todo = firstTodo(root.get());
    if (todo == nullptr) {
        if (holdsOtherItem(root.get())) return std::nullopt;
        return reminder;
    }
    reminder.title = textOf(todo, ICAL_SUMMARY_PROPERTY).value_or("");
    reminder.notes = textOf(todo, ICAL_DESCRIPTION_PROPERTY);
    if (icalproperty* priority = icalcomponent_get_first_property(todo, ICAL_PRIORITY_PROPERTY)) {
        const int value = icalproperty_get_priority(priority);
        reminder.priority = value >= 1 && value <= 9 ? value : 0;
    }
    reminder.completionDate = completionOf(todo);
    reminder.isCompleted = isCompleted(todo);
    reminder.storedText = std::string(text);
    return reminder;
}

std::string write(const Reminder& reminder, Reminder::Date now) {
    icalerror_set_errors_are_fatal(0);
    Component root = reminder.storedText.empty() ? nullptr : parse(reminder.storedText);
    icalcomponent* todo = firstTodo(root.get());
    const bool isNew = todo == nullptr;
    if (isNew) {
        root = newCalendar(reminder.calendarItemIdentifier, now);
        todo = firstTodo(root.get());
    } else if (icalcomponent_isa(root.get()) != ICAL_VCALENDAR_COMPONENT) {
        // A bare VTODO, or one inside something else: a calendar file holds a VCALENDAR.
        Component calendar = calendarShell();
        icalcomponent* copy = icalcomponent_new_clone(todo);
        icalcomponent_add_component(calendar.get(), copy);
        root = std::move(calendar);
        todo = copy;
    }

    // libical's notes on what it could not parse are not the file's content.
    icalcomponent_strip_errors(root.get());
    removeAll(todo, ICAL_SUMMARY_PROPERTY);
    icalcomponent_add_property(todo, icalproperty_new_summary(textValue(reminder.title).c_str()));
    removeAll(todo, ICAL_DESCRIPTION_PROPERTY);
    if (reminder.notes && !reminder.notes->empty()) {
        icalcomponent_add_property(todo, icalproperty_new_description(textValue(*reminder.notes).c_str()));
    }
    removeAll(todo, ICAL_PRIORITY_PROPERTY);
    if (reminder.priority >= 1 && reminder.priority <= 9) {
        icalcomponent_add_property(todo, icalproperty_new_priority(reminder.priority));
    }
    writeCompletion(todo, reminder, isNew, now);
    removeAll(todo, ICAL_DTSTAMP_PROPERTY);
    icalcomponent_add_property(todo, icalproperty_new_dtstamp(utcTime(now)));
    removeAll(todo, ICAL_LASTMODIFIED_PROPERTY);
    icalcomponent_add_property(todo, icalproperty_new_lastmodified(utcTime(now)));

    char* text = icalcomponent_as_ical_string_r(root.get());
    std::string written(text != nullptr ? text : "");
    icalmemory_free_buffer(text);
    return written;
}

}  // namespace platform::VTodoCoding
