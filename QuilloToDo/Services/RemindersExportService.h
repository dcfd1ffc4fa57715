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
#include <string>
#include <vector>

namespace platform {
class ReminderStore;
}

namespace quillo {

// Writes to-dos into a reminders list, one reminder per to-do, remembering which reminder belongs to
// which to-do so a later export updates (and moves) it instead of making a second one; reads back
// which of those reminders were completed. One way: nothing read back changes a to-do.
//
// Lives on the main thread; one per application, shared by its windows. The store and the mapping's
// file are used only on the service's own worker thread, so no operation waits for the disk: each
// returns a future that finishes on the main thread after the properties have been updated. The
// mapping is loaded there first, and exports and refreshes run there one at a time, in the order
// asked for, each with the mapping as the one before left it; the mapping is stored from there too.
class RemindersExportService : public QObject {
    Q_OBJECT
    Q_PROPERTY(platform::ReminderAuthorizationStatus authorizationStatus READ authorizationStatus NOTIFY
                   authorizationStatusChanged)
    Q_PROPERTY(QList<quillo::ReminderList> availableLists READ availableLists NOTIFY availableListsChanged)
    Q_PROPERTY(quillo::ReminderMapping exportedReminderIDs READ exportedReminderIDs NOTIFY exportedReminderIDsChanged)
    Q_PROPERTY(quillo::ReminderIDSet completedInReminders READ completedInReminders NOTIFY completedInRemindersChanged)

public:
    // Keeps the mapping in the file `mappingPath` (ReminderMappingFile::defaultPath() for the
    // application), moving one still kept in `defaults` there; `exportedReminderIDs` follows once it
    // is loaded. Without a store, the one at ReminderStore::defaultRoot() is used.
    RemindersExportService(QSettings* defaults, QString mappingPath,
                           std::unique_ptr<platform::ReminderStore> store = nullptr, QObject* parent = nullptr);
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
    // `newListTitle` trimmed ("QuilloToDo" when nothing is left). Fails with ExportError, the store's
    // ReminderStoreError, or ReminderMappingError when the mapping cannot be loaded or saved (then
    // before any reminder is written). A failed export leaves nothing pending in the store, and the
    // mapping as it was but for the reminders a failed commit may have written already. On success
    // the mapping is stored, the lists reloaded and the completion state refreshed before the future
    // finishes.
    QFuture<ExportResult> exportItems(std::vector<TodoItem> items, std::optional<QString> newListTitle,
                                      std::optional<QString> existingListID);
    // Recomputes `completedInReminders`; mapped reminders known to be gone lose their entry (and the
    // mapping is stored), those that could not be read keep it and their mark (and are logged). Without full
    // access, or with nothing mapped, it only empties the set. Asked for while one runs, it runs once
    // more after that one; asked for again meanwhile, the request joins the waiting one. A refresh
    // that fails is logged, changes nothing and finishes with its error.
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
    // Runs `work` with the store on the worker thread, then `then` with its result on the main
    // thread, in the order the work was asked for; a `then` is skipped when its work throws.
    template <class Work, class Then>
    auto onStore(Work work, Then then);
    void setAuthorizationStatus(platform::ReminderAuthorizationStatus status);
    void setAvailableLists(QList<ReminderList> lists);
    void setExportedReminderIDs(ReminderMapping mapping);
    void setCompletedInReminders(ReminderIDSet completed);
    QFuture<ExportResult> exportWithAccess(std::vector<TodoItem> items, QString newListTitle,
                                           std::optional<QString> existingListID);
    QFuture<void> startRefresh();
    // On the worker thread: loads `mapping_` unless it is loaded; fails with ReminderMappingError.
    void loadMapping();

    QString mappingPath_;
    // The settings file that may still hold the mapping, opened anew on the worker thread.
    QString settingsFile_;
    QSettings::Format settingsFormat_;
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
    bool isMappingLoaded_ = false;
    // The last reason logged for reminders a refresh could not read: logged once, not at every
    // refresh. Worker thread only.
    std::string reportedUnreadable_;
    bool refreshRunning_ = false;
    // Why the last refresh failed, as logged; empty after one that did not.
    std::string reportedRefreshFailure_;
    // The refresh that starts when the running one ends, once asked for.
    std::shared_ptr<QPromise<void>> nextRefresh_;
};

}  // namespace quillo
