#pragma once

#include "QuilloToDo/Services/ExportResult.h"
#include "QuilloToDo/Services/ReminderList.h"
#include "QuilloToDo/Services/ReminderMapping.h"

#include "Platform/Reminders/ReminderStore.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include <QString>

#include <optional>
#include <vector>

// The reminders export's work on the store, free of any thread or window: RemindersExportService
// runs these on its store's worker thread.
namespace quillo::RemindersExporter {

struct Outcome {
    ExportResult result;
    // The mapping as it stands after the export.
    ReminderMapping mapping;
};

// Writes one reminder per item, in order, into the list `existingListID` names or, without one, into
// a new list titled `newListTitle` ("QuilloToDo" when empty), and commits once. A mapped reminder
// that still exists is rewritten and moved into that list; any other item gets a new one.
//
// Throws ExportError (listNotFound, noSourceForNewList) or the store's error. A failure leaves nothing
// behind: the store's pending changes are dropped, and the caller's mapping was never touched.
Outcome run(platform::ReminderStore& store, const std::vector<TodoItem>& items, ReminderMapping mapping,
            const QString& newListTitle, const std::optional<QString>& existingListID);

struct CompletionState {
    ReminderIDSet completed;
    // Mapped to-dos whose reminder no longer exists.
    ReminderIDSet gone;
};
CompletionState completionState(const platform::ReminderStore& store, const ReminderMapping& mapping);

// The lists that allow changes, by title (locale-aware, ignoring case; equal titles keep the store's
// order).
QList<ReminderList> writableLists(const platform::ReminderStore& store);

}  // namespace quillo::RemindersExporter
