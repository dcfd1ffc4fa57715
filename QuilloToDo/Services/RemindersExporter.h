#pragma once

#include "QuilloToDo/Services/ExportResult.h"
#include "QuilloToDo/Services/ReminderList.h"
#include "QuilloToDo/Services/ReminderMapping.h"

#include "Platform/Reminders/ReminderStore.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// The reminders export's work on the store, free of any thread or window: RemindersExportService
// runs these on its store's worker thread.
namespace quillo::RemindersExporter {

// Keeps a mapping where it outlives the process.
using MappingSaver = std::function<void(const ReminderMapping&)>;

// Writes one reminder per item, in order, into the list `existingListID` names or, without one, into
// a new list titled `newListTitle` ("QuilloToDo" when empty), and commits once. A mapped reminder
// whose file was read (parsed or not) is rewritten and moved into that list; one that may exist but
// could not be read is left as it is and keeps its entry (counted as untouched); any other item gets
// a new one.
//
// `mapping` is updated in place. `save` gets the new mapping before the commit writes its first
// file, so wherever the commit stops, even with the process, every reminder written is mapped (a
// mapped one that was not written counts as deleted); a save that fails stops the export before
// anything is written. When the commit fails, `mapping` drops the new entries whose reminder is
// known not to have reached the disk and is saved again.
//
// Throws ExportError (listNotFound, noSourceForNewList), the store's error or what `save` throws;
// the store's pending changes are dropped. A failure before the commit leaves `mapping` as it was.
ExportResult run(platform::ReminderStore& store, const std::vector<TodoItem>& items, ReminderMapping& mapping,
                 const QString& newListTitle, const std::optional<QString>& existingListID, const MappingSaver& save);

struct CompletionState {
    ReminderIDSet completed;
    // Mapped to-dos whose reminder is known to be gone.
    ReminderIDSet gone;
    // Mapped to-dos whose reminder is not known to exist or not (unreadable, or in a list that could
    // not be listed), and why for the first of them: neither gone nor known to be completed.
    ReminderIDSet unreadable;
    std::string unreadableReason;
};
// Reads each mapped reminder, listing the lists once.
CompletionState completionState(const platform::ReminderStore& store, const ReminderMapping& mapping);

// The lists that allow changes, by title (locale-aware, ignoring case; equal titles keep the store's
// order).
QList<ReminderList> writableLists(const platform::ReminderStore& store);

}  // namespace quillo::RemindersExporter
