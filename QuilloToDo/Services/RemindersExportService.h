#pragma once

#include "QuilloToDo/Services/ExportResult.h"
#include "QuilloToDo/Services/ReminderList.h"
#include "QuilloToDo/Services/ReminderMapping.h"

#include "Platform/Reminders/ReminderAuthorizationStatus.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include <QDate>
#include <QFuture>
#include <QList>
#include <QObject>
#include <QPromise>
#include <QSettings>
#include <QThreadPool>

#include <memory>
#include <optional>
#include <vector>

namespace platform {
class ReminderStore;
}

namespace quillo {

// Writes to-dos into a reminders list, one reminder per to-do, remembering which reminder belongs to
// which to-do so a later export updates (and moves) it instead of making a second one; reads back
// which of those reminders were completed. One way: nothing read back changes a to-do.
//
// Lives on the main thread. The store is used only on the service's own worker thread, so no
// operation waits for the disk: each returns a future that finishes on the main thread after the
// properties have been updated. Exports and refreshes run there one at a time, in the order asked
// for, each with the mapping as the one before left it; the mapping is stored from there too.
class RemindersExportService : public QObject {
    Q_OBJECT
    Q_PROPERTY(platform::ReminderAuthorizationStatus authorizationStatus READ authorizationStatus NOTIFY
                   authorizationStatusChanged)
    Q_PROPERTY(QList<quillo::ReminderList> availableLists READ availableLists NOTIFY availableListsChanged)
    Q_PROPERTY(quillo::ReminderMapping exportedReminderIDs READ exportedReminderIDs NOTIFY exportedReminderIDsChanged)
    Q_PROPERTY(quillo::ReminderIDSet completedInReminders READ completedInReminders NOTIFY completedInRemindersChanged)

public:
    // Reads the mapping from `defaults` and later writes it to the same file (only the main window's
    // instance exports or refreshes). Without a store, the one at ReminderStore::defaultRoot() is used.
    explicit RemindersExportService(QSettings* defaults, std::unique_ptr<platform::ReminderStore> store = nullptr,
                                    QObject* parent = nullptr);
    ~RemindersExportService() override;

    // Read from the store shortly after creation (notDetermined until then) and after each request;
    // denied after a request that could not create the store's folder.
    platform::ReminderAuthorizationStatus authorizationStatus() const noexcept { return authorizationStatus_; }
    // Whether the first read has returned; authorizationStatusChanged is emitted then in any case.
    bool isAuthorizationStatusKnown() const noexcept { return isAuthorizationStatusKnown_; }
    // Why the last request was refused, when the store said (the folder could not be created); else empty.
    const QString& accessDeniedReason() const noexcept { return accessDeniedReason_; }
    const QList<ReminderList>& availableLists() const noexcept { return availableLists_; }
    const ReminderMapping& exportedReminderIDs() const noexcept { return exportedReminderIDs_; }
    const ReminderIDSet& completedInReminders() const noexcept { return completedInReminders_; }

    // Asks for full access; true when granted, in which case the lists are reloaded as well.
    QFuture<bool> requestAccess();
    // Rebuilds `availableLists`: empty without full access.
    QFuture<void> reloadLists();
    // Exports into the list `existingListID` names or, without one, into a new list titled
    // `newListTitle` trimmed ("QuilloToDo" when nothing is left). Fails with ExportError or the store's
    // ReminderStoreError. A failed export leaves nothing pending in the store, and the mapping as it
    // was but for the reminders a failed commit had written already. On success the mapping is
    // stored, the lists reloaded and the completion state refreshed before the future finishes.
    QFuture<ExportResult> exportItems(std::vector<TodoItem> items, std::optional<QString> newListTitle,
                                      std::optional<QString> existingListID);
    // Recomputes `completedInReminders`; mapped reminders whose file is gone lose their entry (and
    // the mapping is stored). Without full access, or with nothing mapped, it only empties the set.
    // Asked for while one runs, it runs once more after that one; asked for again meanwhile, the
    // request joins the waiting one.
    QFuture<void> refreshCompletionState();

    static QString reminderTitle(const TodoItem& item);
    static QString reminderNotes(const TodoItem& item);
    static QString suggestedListTitle(const std::vector<TodoItem>& items);

signals:
    void authorizationStatusChanged();
    void availableListsChanged();
    void exportedReminderIDsChanged();
    void completedInRemindersChanged();

private:
    // Runs `work` with the store on the worker thread.
    template <class Work>
    auto onStore(Work work);
    void setAuthorizationStatus(platform::ReminderAuthorizationStatus status);
    void setAvailableLists(QList<ReminderList> lists);
    void setExportedReminderIDs(ReminderMapping mapping);
    void setCompletedInReminders(ReminderIDSet completed);
    QFuture<ExportResult> exportWithAccess(std::vector<TodoItem> items, QString newListTitle,
                                           std::optional<QString> existingListID);
    QFuture<void> startRefresh();
    // On the worker thread.
    void saveMapping(const ReminderMapping& mapping) const;

    // Where the mapping is stored, opened anew on the worker thread for each save.
    QString mappingFile_;
    QSettings::Format mappingFormat_;
    std::unique_ptr<platform::ReminderStore> store_;
    // One thread: the store is never used from two at once.
    QThreadPool storeThread_;
    platform::ReminderAuthorizationStatus authorizationStatus_ = platform::ReminderAuthorizationStatus::notDetermined;
    bool isAuthorizationStatusKnown_ = false;
    QString accessDeniedReason_;
    QList<ReminderList> availableLists_;
    ReminderMapping exportedReminderIDs_;
    ReminderIDSet completedInReminders_;
    // The mapping as the last export or refresh left it, touched only on the worker thread;
    // exportedReminderIDs_ is its copy for the main thread.
    ReminderMapping mapping_;
    bool refreshRunning_ = false;
    // The refresh that starts when the running one ends, once asked for.
    std::shared_ptr<QPromise<void>> nextRefresh_;
};

}  // namespace quillo
