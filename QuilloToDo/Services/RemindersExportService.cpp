#include "QuilloToDo/Services/RemindersExportService.h"

#include "QuilloToDo/Services/ExportError.h"
#include "QuilloToDo/Services/RemindersExporter.h"
#include "QuilloToDo/Services/ReminderTexts.h"

#include "Platform/Reminders/ReminderStore.h"

#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>
#include <utility>

namespace quillo {

namespace {

using platform::ReminderAuthorizationStatus;

// An export's outcome carried back from the worker: the exception travels as it was thrown, not
// wrapped the way QtConcurrent wraps foreign exceptions.
struct ExportAttempt {
    ExportResult result;
    std::exception_ptr failure;
    // The mapping afterwards, also after a failure.
    ReminderMapping mapping;
};

struct CompletionAttempt {
    ReminderIDSet completed;
    // The mapping when entries were dropped.
    std::optional<ReminderMapping> mapping;
};

struct ListsAttempt {
    bool hasAccess = false;
    QList<ReminderList> lists;
};

template <class T>
QFuture<T> failedFuture(std::exception_ptr failure) {
    QPromise<T> promise;
    promise.start();
    promise.setException(failure);
    promise.finish();
    return promise.future();
}

}  // namespace

template <class Work>
auto RemindersExportService::onStore(Work work) {
    return QtConcurrent::run(&storeThread_, [store = store_.get(), work = std::move(work)] { return work(*store); });
}

RemindersExportService::RemindersExportService(QSettings* defaults, std::unique_ptr<platform::ReminderStore> store,
                                               QObject* parent)
    : QObject(parent),
      mappingFile_(defaults->fileName()),
      mappingFormat_(defaults->format()),
      store_(store ? std::move(store)
                   : std::make_unique<platform::ReminderStore>(platform::ReminderStore::defaultRoot())) {
    storeThread_.setMaxThreadCount(1);
    exportedReminderIDs_ = mapping_ = ReminderMappingStore::load(*defaults);
    onStore([](platform::ReminderStore& s) {
        return s.authorizationStatus();
    }).then(this, [this](ReminderAuthorizationStatus status) {
        isAuthorizationStatusKnown_ = true;
        if (status == authorizationStatus_) {
            emit authorizationStatusChanged();
        } else {
            setAuthorizationStatus(status);
        }
    });
}

RemindersExportService::~RemindersExportService() { storeThread_.waitForDone(); }

QFuture<bool> RemindersExportService::requestAccess() {
    struct Answer {
        ReminderAuthorizationStatus status;
        QString deniedReason;
    };
    return onStore([](platform::ReminderStore& store) {
               // A failed request counts as a refusal, with the store's reason.
               try {
                   store.requestFullAccess();
               } catch (const std::exception& error) {
                   return Answer{ReminderAuthorizationStatus::denied, QString::fromStdString(error.what())};
               }
               return Answer{store.authorizationStatus(), QString()};
           })
        .then(this, [this](const Answer& answer) {
            const ReminderAuthorizationStatus status = answer.status;
            const bool reasonChanged = answer.deniedReason != accessDeniedReason_;
            accessDeniedReason_ = answer.deniedReason;
            if (status != authorizationStatus_) {
                setAuthorizationStatus(status);
            } else if (reasonChanged) {
                emit authorizationStatusChanged();
            }
            const bool granted = status == ReminderAuthorizationStatus::fullAccess;
            if (granted) reloadLists();
            return granted;
        });
}

QFuture<void> RemindersExportService::reloadLists() {
    return onStore([](const platform::ReminderStore& store) {
               ListsAttempt attempt;
               attempt.hasAccess = store.authorizationStatus() == ReminderAuthorizationStatus::fullAccess;
               if (attempt.hasAccess) attempt.lists = RemindersExporter::writableLists(store);
               return attempt;
           })
        .then(this, [this](const ListsAttempt& attempt) {
            setAvailableLists(attempt.hasAccess ? attempt.lists : QList<ReminderList>());
        });
}

QFuture<ExportResult> RemindersExportService::exportItems(std::vector<TodoItem> items,
                                                          std::optional<QString> newListTitle,
                                                          std::optional<QString> existingListID) {
    if (items.empty())
        return failedFuture<ExportResult>(std::make_exception_ptr(ExportError(ExportError::Kind::nothingToExport)));
    const QString title = newListTitle.value_or(QString());
    if (authorizationStatus_ == ReminderAuthorizationStatus::fullAccess) {
        return exportWithAccess(std::move(items), title, std::move(existingListID));
    }
    auto promise = std::make_shared<QPromise<ExportResult>>();
    promise->start();
    requestAccess().then(this, [this, promise, items = std::move(items), title, existingListID](bool granted) mutable {
        if (!granted) {
            promise->setException(std::make_exception_ptr(ExportError(ExportError::Kind::accessDenied)));
            promise->finish();
            return;
        }
        exportWithAccess(std::move(items), title, existingListID)
            .then(this,
                  [promise](const ExportResult& result) {
                      promise->addResult(result);
                      promise->finish();
                  })
            .onFailed(this, [promise] {
                promise->setException(std::current_exception());
                promise->finish();
            });
    });
    return promise->future();
}

QFuture<ExportResult> RemindersExportService::exportWithAccess(std::vector<TodoItem> items, QString newListTitle,
                                                               std::optional<QString> existingListID) {
    auto promise = std::make_shared<QPromise<ExportResult>>();
    promise->start();
    onStore([this, items = std::move(items), newListTitle, existingListID](platform::ReminderStore& store) {
        ExportAttempt attempt;
        try {
            attempt.result = RemindersExporter::run(store, items, mapping_, newListTitle, existingListID,
                                                    [this](const ReminderMapping& mapping) { saveMapping(mapping); });
        } catch (...) {
            attempt.failure = std::current_exception();
        }
        attempt.mapping = mapping_;
        return attempt;
    }).then(this, [this, promise](const ExportAttempt& attempt) {
        setExportedReminderIDs(attempt.mapping);
        if (attempt.failure) {
            promise->setException(attempt.failure);
            promise->finish();
            return;
        }
        reloadLists();
        refreshCompletionState().then(this, [promise, result = attempt.result] {
            promise->addResult(result);
            promise->finish();
        });
    });
    return promise->future();
}

QFuture<void> RemindersExportService::refreshCompletionState() {
    if (!refreshRunning_) return startRefresh();
    if (!nextRefresh_) {
        nextRefresh_ = std::make_shared<QPromise<void>>();
        nextRefresh_->start();
    }
    return nextRefresh_->future();
}

QFuture<void> RemindersExportService::startRefresh() {
    refreshRunning_ = true;
    return onStore([this](const platform::ReminderStore& store) {
               CompletionAttempt attempt;
               if (store.authorizationStatus() != ReminderAuthorizationStatus::fullAccess || mapping_.empty())
                   return attempt;
               auto state = RemindersExporter::completionState(store, mapping_);
               attempt.completed = std::move(state.completed);
               if (!state.gone.empty()) {
                   for (const auto& id : state.gone) mapping_.erase(id);
                   saveMapping(mapping_);
                   attempt.mapping = mapping_;
               }
               return attempt;
           })
        .then(this, [this](const CompletionAttempt& attempt) {
            if (attempt.mapping) setExportedReminderIDs(*attempt.mapping);
            setCompletedInReminders(attempt.completed);
            refreshRunning_ = false;
            if (auto next = std::exchange(nextRefresh_, nullptr)) {
                startRefresh().then(this, [next] { next->finish(); });
            }
        });
}

void RemindersExportService::saveMapping(const ReminderMapping& mapping) const {
    // The caller's settings object belongs to the main thread; one per thread may share the file.
    QSettings defaults(mappingFile_, mappingFormat_);
    ReminderMappingStore::save(defaults, mapping);
    defaults.sync();
}

QString RemindersExportService::reminderTitle(const TodoItem& item) { return ReminderTexts::reminderTitle(item); }

QString RemindersExportService::reminderNotes(const TodoItem& item) { return ReminderTexts::reminderNotes(item); }

QString RemindersExportService::suggestedListTitle(const std::vector<TodoItem>& items) {
    return ReminderTexts::suggestedListTitle(items, QDate::currentDate());
}

void RemindersExportService::setAuthorizationStatus(ReminderAuthorizationStatus status) {
    if (status == authorizationStatus_) return;
    authorizationStatus_ = status;
    emit authorizationStatusChanged();
}

void RemindersExportService::setAvailableLists(QList<ReminderList> lists) {
    if (lists == availableLists_) return;
    availableLists_ = std::move(lists);
    emit availableListsChanged();
}

void RemindersExportService::setExportedReminderIDs(ReminderMapping mapping) {
    if (mapping == exportedReminderIDs_) return;
    exportedReminderIDs_ = std::move(mapping);
    emit exportedReminderIDsChanged();
}

void RemindersExportService::setCompletedInReminders(ReminderIDSet completed) {
    if (completed == completedInReminders_) return;
    completedInReminders_ = std::move(completed);
    emit completedInRemindersChanged();
}

}  // namespace quillo
