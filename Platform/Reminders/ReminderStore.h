#pragma once

#include "Platform/Reminders/Reminder.h"
#include "Platform/Reminders/ReminderAuthorizationStatus.h"
#include "Platform/Reminders/ReminderCalendar.h"
#include "Platform/Reminders/ReminderLookup.h"
#include "Platform/Reminders/ReminderSource.h"

#include <deque>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

// The reminders database: a vdir of iCalendar files, the layout todoman and khal read and vdirsyncer
// syncs with CalDAV servers. The root folder holds one folder per list, named by the list's
// identifier, with the list's title in a "displayname" file; each reminder is "<UID>.ics" in its
// list's folder. The root itself is the one local source; there is no default list for new
// reminders.
//
// Saves are pending until commit(), which writes each file atomically (a temporary file renamed over
// the target, keeping its permissions; each folder written is synced once at the end), makes a new list folder complete
// under a hidden name before renaming it into place, and moves a reminder's file when its list
// changed; reset() drops what is pending. Reads see the disk, overlaid with pending reminders. Not
// thread-safe: use one store from one thread at a time. Failures throw ReminderStoreError.
class ReminderStore {
public:
    explicit ReminderStore(std::filesystem::path root);
    virtual ~ReminderStore();
    ReminderStore(const ReminderStore&) = delete;
    ReminderStore& operator=(const ReminderStore&) = delete;

    // $QUILLOTODO_REMINDERS_DIR when set, else $XDG_DATA_HOME/calendars (~/.local/share/calendars).
    static std::filesystem::path defaultRoot();

    const std::filesystem::path& root() const noexcept { return root_; }

    ReminderAuthorizationStatus authorizationStatus() const;
    // Creates the root folder; true when the store grants full access afterwards. Fails with a
    // ReminderStoreError saying why when the folder cannot be created.
    bool requestFullAccess();

    // Every list, ordered by identifier; folders whose names begin with a dot are not lists. Fails
    // when the root cannot be listed (a root that is not there has no lists).
    std::vector<ReminderCalendar> calendars() const;
    std::optional<ReminderCalendar> calendarWithIdentifier(const std::string& identifier) const;
    std::vector<ReminderSource> sources() const;
    std::optional<ReminderCalendar> defaultCalendarForNewReminders() const { return std::nullopt; }
    // A list that is not saved yet, with a fresh identifier, in the local source.
    ReminderCalendar newCalendar() const;
    virtual void saveCalendar(const ReminderCalendar& calendar);

    // The reminder with this identifier in any list, pending ones first. Gone when no list holds an
    // "<identifier>.ics" (every list folder was listed) or the file holds an event or a journal entry
    // instead; an identifier that could name a path outside a list folder names nothing. Not known
    // when its file cannot be opened or read, or when it is in no list that could be listed and some
    // list folder (or the root) could not be. A file that was read but cannot be parsed, or is too
    // large to read, is found with nothing but its identifiers; saving it replaces the file.
    ReminderLookup calendarItemWithIdentifier(const std::string& identifier) const;
    // calendarItemWithIdentifier for each identifier, in their order, listing each list folder once.
    virtual std::vector<ReminderLookup> calendarItemsWithIdentifiers(const std::vector<std::string>& identifiers) const;
    // A reminder that is not saved yet, with a fresh identifier.
    Reminder newReminder() const;
    // Fails when the reminder's list neither exists nor is pending.
    virtual void saveReminder(const Reminder& reminder);

    // Writes what is pending, lists first. A failure stops it: what was written stays written and
    // leaves the pending changes, the rest stays pending.
    virtual void commit();
    void reset();

protected:
    // Each file of a commit goes through here, written atomically; its folder is synced at the end
    // of the commit.
    virtual void writeFile(const std::filesystem::path& target, std::string_view bytes);

private:
    const Reminder* pendingReminder(const std::string& identifier) const;
    void commitCalendar(const ReminderCalendar& calendar);
    void commitReminder(const Reminder& reminder, Reminder::Date now);
    // Syncs the folders written or renamed into since the last time; the first failure, if any.
    std::optional<std::string> syncFolders();

    std::filesystem::path root_;
    std::vector<ReminderCalendar> pendingCalendars_;
    std::unordered_map<std::string, Reminder> pendingReminders_;
    // The identifiers of pendingReminders_ in the order they were first saved.
    std::deque<std::string> pendingOrder_;
    std::set<std::filesystem::path> unsyncedFolders_;
};

}  // namespace platform
