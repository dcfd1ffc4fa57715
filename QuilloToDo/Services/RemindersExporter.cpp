#include "QuilloToDo/Services/RemindersExporter.h"

#include "QuilloToDo/Services/ExportError.h"
#include "QuilloToDo/Services/ReminderTexts.h"

#include "Platform/Foundation/UnicodeText.h"
#include "Platform/QtBridge/QtText.h"

#include <algorithm>
#include <string>
#include <unordered_set>

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

Outcome write(platform::ReminderStore& store, const std::vector<TodoItem>& items, ReminderMapping mapping,
              const QString& newListTitle, const std::optional<QString>& existingListID) {
    const auto list = targetList(store, newListTitle, existingListID);
    Outcome outcome;
    for (const auto& item : items) {
        std::optional<platform::Reminder> reminder;
        if (const auto mapped = mapping.find(item.id); mapped != mapping.end()) {
            reminder = store.calendarItemWithIdentifier(mapped->second);
        }
        if (reminder) {
            ++outcome.result.updatedCount;
        } else {
            reminder = store.newReminder();
            ++outcome.result.createdCount;
        }
        reminder->calendarIdentifier = list.calendarIdentifier;
        reminder->title = platform::toStdString(ReminderTexts::reminderTitle(item));
        reminder->notes = platform::toStdString(ReminderTexts::reminderNotes(item));
        reminder->priority = item.kind == MarkerKind::todo && item.status == TodoStatus::open ? 1 : 0;
        // Completion only ever gets added: one the user ticked off stays, with its own date.
        if (item.status == TodoStatus::done && !reminder->isCompleted) {
            reminder->isCompleted = true;
            reminder->completionDate = platform::Reminder::Date::clock::now();
        }
        store.saveReminder(*reminder);
        mapping[item.id] = reminder->calendarItemIdentifier;
    }
    store.commit();
    const auto written = store.calendarWithIdentifier(list.calendarIdentifier);
    outcome.result.listTitle = platform::toQString(std::string_view(written ? written->title : list.title));
    outcome.mapping = std::move(mapping);
    return outcome;
}

}  // namespace

Outcome run(platform::ReminderStore& store, const std::vector<TodoItem>& items, ReminderMapping mapping,
            const QString& newListTitle, const std::optional<QString>& existingListID) {
    try {
        return write(store, items, std::move(mapping), newListTitle, existingListID);
    } catch (...) {
        // Left pending, the list and reminders of a failed export would go out with the next commit.
        store.reset();
        throw;
    }
}

CompletionState completionState(const platform::ReminderStore& store, const ReminderMapping& mapping) {
    CompletionState state;
    for (const auto& [id, identifier] : mapping) {
        const auto reminder = store.calendarItemWithIdentifier(identifier);
        if (!reminder) {
            state.gone.insert(id);
        } else if (reminder->isCompleted) {
            state.completed.insert(id);
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
