#include "QuilloToDo/Services/RemindersExporter.h"

#include "QuilloToDo/Services/ExportError.h"
#include "QuilloToDo/Services/ReminderTexts.h"

#include "Platform/Foundation/UnicodeText.h"
#include "Platform/QtBridge/QtText.h"
#include "Platform/SystemLog/SystemLog.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace quillo::RemindersExporter {

namespace {

using platform::ReminderSource;

std::optional<std::string> sourceForNewList(const platform::ReminderStore& store) {
    if (const auto fallback = store.defaultCalendarForNewReminders()) return fallback->sourceIdentifier;
    const auto sources = store.sources();
    for (const auto type : {ReminderSource::Type::calDAV, ReminderSource::Type::local}) {
        const auto found =
            std::find_if(sources.begin(), sources.end(), [&](const auto& s) { return s.sourceType == type; });
        if (found != sources.end()) return found->sourceIdentifier;
    }
    return std::nullopt;
}

// A new list never takes the name of a list already there (todoman refuses a folder in which two
// lists share a name): the first free of "NAME", "NAME 2", "NAME 3", ...
std::string freeListTitle(const platform::ReminderStore& store, const std::string& wanted) {
    std::unordered_set<std::string> taken;
    for (const auto& calendar : store.calendars()) taken.insert(calendar.title);
    std::string title = wanted;
    for (int number = 2; taken.contains(title); ++number) title = wanted + ' ' + std::to_string(number);
    return title;
}

platform::ReminderCalendar targetList(platform::ReminderStore& store, const QString& newListTitle,
                                      const std::optional<QString>& existingListID) {
    if (existingListID) {
        auto list = store.calendarWithIdentifier(platform::toStdString(*existingListID));
        if (!list) throw ExportError(ExportError::Kind::listNotFound);
        return *list;
    }
    const QString title = newListTitle.trimmed();
    auto list = store.newCalendar();
    list.title = freeListTitle(store, platform::toStdString(title.isEmpty() ? QStringLiteral("QuilloToDo") : title));
    const auto source = sourceForNewList(store);
    if (!source) throw ExportError(ExportError::Kind::noSourceForNewList);
    list.sourceIdentifier = *source;
    store.saveCalendar(list);
    return list;
}

// The mapping after a failed commit: `planned`, except that a new entry whose reminder is known not
// to have reached the disk goes back to what `before` had. One whose landing cannot be told stays:
// its file may be there.
ReminderMapping landed(const platform::ReminderStore& store, const ReminderMapping& before,
                       const ReminderMapping& planned) {
    std::vector<std::pair<platform::UUID, std::string>> changed;
    for (const auto& [id, identifier] : planned) {
        const auto old = before.find(id);
        if (old == before.end() || old->second != identifier) changed.emplace_back(id, identifier);
    }
    std::vector<std::string> identifiers;
    for (const auto& entry : changed) identifiers.push_back(entry.second);
    const auto written = store.calendarItemsWithIdentifiers(identifiers);
    ReminderMapping mapping = planned;
    for (std::size_t i = 0; i < changed.size(); ++i) {
        if (!written[i].isGone()) continue;
        const auto old = before.find(changed[i].first);
        if (old != before.end()) {
            mapping[changed[i].first] = old->second;
        } else {
            mapping.erase(changed[i].first);
        }
    }
    return mapping;
}

ExportResult write(platform::ReminderStore& store, const std::vector<TodoItem>& items, ReminderMapping& mapping,
                   const QString& newListTitle, const std::optional<QString>& existingListID,
                   const MappingSaver& save) {
    const auto list = targetList(store, newListTitle, existingListID);

    // The mapped reminders, from one listing of the lists, then each reminder as last saved here: an
    // item given twice is written once.
    std::vector<std::string> mapped;
    for (const auto& item : items) {
        if (const auto entry = mapping.find(item.id); entry != mapping.end()) mapped.push_back(entry->second);
    }
    auto found = store.calendarItemsWithIdentifiers(mapped);
    std::unordered_map<std::string, platform::Reminder> reminders;
    // Mapped reminders that may exist but could not be read, with why: written over or made anew,
    // what other clients set in them would be lost, or they would be there twice.
    std::unordered_map<std::string, std::string> unreadable;
    for (std::size_t i = 0; i < mapped.size(); ++i) {
        if (found[i].reminder) reminders.try_emplace(mapped[i], std::move(*found[i].reminder));
        if (found[i].unreadableReason) unreadable.try_emplace(mapped[i], std::move(*found[i].unreadableReason));
    }

    ReminderMapping planned = mapping;
    ExportResult result;
    for (const auto& item : items) {
        const auto entry = planned.find(item.id);
        if (entry != planned.end()) {
            if (const auto why = unreadable.find(entry->second); why != unreadable.end()) {
                if (result.untouchedCount++ == 0)
                    result.untouchedReason = platform::toQString(std::string_view(why->second));
                continue;
            }
        }
        const auto existing = entry != planned.end() ? reminders.find(entry->second) : reminders.end();
        platform::Reminder reminder;
        if (existing != reminders.end()) {
            reminder = existing->second;
            ++result.updatedCount;
        } else {
            reminder = store.newReminder();
            ++result.createdCount;
        }
        reminder.calendarIdentifier = list.calendarIdentifier;
        reminder.title = platform::toStdString(ReminderTexts::reminderTitle(item));
        reminder.notes = platform::toStdString(ReminderTexts::reminderNotes(item));
        reminder.priority = item.kind == MarkerKind::todo && item.status == TodoStatus::open ? 1 : 0;
        // Completion only ever gets added: one the user ticked off stays, with its own date.
        if (item.status == TodoStatus::done && !reminder.isCompleted) {
            reminder.isCompleted = true;
            reminder.completionDate = platform::Reminder::Date::clock::now();
        }
        store.saveReminder(reminder);
        planned[item.id] = reminder.calendarItemIdentifier;
        reminders.insert_or_assign(reminder.calendarItemIdentifier, std::move(reminder));
    }

    save(planned);
    try {
        store.commit();
    } catch (...) {
        store.reset();
        mapping = landed(store, mapping, planned);
        try {
            save(mapping);
        } catch (const std::exception& error) {
            // What was saved before the commit still maps every file it wrote (and some it did not,
            // which count as gone later): the commit's failure is the one to report.
            platform::systemlog::write(std::string("[RemindersExport] ") + error.what());
        }
        throw;
    }
    mapping = std::move(planned);
    const auto written = store.calendarWithIdentifier(list.calendarIdentifier);
    result.listTitle = platform::toQString(std::string_view(written ? written->title : list.title));
    return result;
}

}  // namespace

ExportResult run(platform::ReminderStore& store, const std::vector<TodoItem>& items, ReminderMapping& mapping,
                 const QString& newListTitle, const std::optional<QString>& existingListID, const MappingSaver& save) {
    try {
        return write(store, items, mapping, newListTitle, existingListID, save);
    } catch (...) {
        // Left pending, the list and reminders of a failed export would go out with the next commit.
        store.reset();
        throw;
    }
}

CompletionState completionState(const platform::ReminderStore& store, const ReminderMapping& mapping) {
    std::vector<platform::UUID> ids;
    std::vector<std::string> identifiers;
    for (const auto& [id, identifier] : mapping) {
        ids.push_back(id);
        identifiers.push_back(identifier);
    }
    const auto reminders = store.calendarItemsWithIdentifiers(identifiers);
    CompletionState state;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (reminders[i].isGone()) {
            state.gone.insert(ids[i]);
        } else if (reminders[i].reminder && reminders[i].reminder->isCompleted) {
            state.completed.insert(ids[i]);
        } else if (reminders[i].unreadableReason) {
            if (state.unreadable.empty()) state.unreadableReason = *reminders[i].unreadableReason;
            state.unreadable.insert(ids[i]);
        }
    }
    return state;
}

QList<ReminderList> writableLists(const platform::ReminderStore& store) {
    QList<ReminderList> lists;
    std::vector<platform::ReminderCalendar> calendars = store.calendars();
    std::erase_if(calendars, [](const auto& c) { return !c.allowsContentModifications; });
    std::stable_sort(calendars.begin(), calendars.end(), [](const auto& a, const auto& b) {
        return platform::localizedCaseInsensitiveCompare(a.title, b.title) < 0;
    });
    for (const auto& calendar : calendars) {
        lists.append(ReminderList{platform::toQString(std::string_view(calendar.calendarIdentifier)),
                                  platform::toQString(std::string_view(calendar.title))});
    }
    return lists;
}

}  // namespace quillo::RemindersExporter
