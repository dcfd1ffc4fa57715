#include "QuilloToDo/Services/RemindersExportService.h"

#include "QuilloToDo/Services/ExportError.h"
#include "QuilloToDo/Services/RemindersExporter.h"
#include "QuilloToDo/Services/ReminderTexts.h"

#include "Platform/Reminders/ReminderStore.h"

#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>

namespace quillo {

namespace {

using platform::ReminderAuthorizationStatus;

// An export's outcome carried back from the worker: the exception travels as it was thrown, not
// wrapped the way QtConcurrent wraps foreign exceptions.
struct ExportAttempt {
    std::optional<RemindersExporter::Outcome> outcome;
    std::exception_ptr failure;
};

struct CompletionAttempt {
    bool hasAccess = false;
    RemindersExporter::CompletionState state;
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
      defaults_(defaults),
      store_(store ? std::move(store)
                   : std::make_unique<platform::ReminderStore>(platform::ReminderStore::defaultRoot())) {
    storeThread_.setMaxThreadCount(1);
    exportedReminderIDs_ = ReminderMappingStore::load(*defaults_);
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
    onStore([items = std::move(items), mapping = exportedReminderIDs_, newListTitle,
             existingListID](platform::ReminderStore& store) {
        ExportAttempt attempt;
        try {
            attempt.outcome = RemindersExporter::run(store, items, mapping, newListTitle, existingListID);
        } catch (...) {
            attempt.failure = std::current_exception();
        }
        return attempt;
    }).then(this, [this, promise](const ExportAttempt& attempt) {
        if (attempt.failure) {
            promise->setException(attempt.failure);
            promise->finish();
            return;
        }
        setExportedReminderIDs(attempt.outcome->mapping);
        ReminderMappingStore::save(*defaults_, exportedReminderIDs_);
        reloadLists();
        const ExportResult result = attempt.outcome->result;
        refreshCompletionState().then(this, [promise, result] {
            promise->addResult(result);
            promise->finish();
        });
    });
    return promise->future();
}

QFuture<void> RemindersExportService::refreshCompletionState() {
    return onStore([mapping = exportedReminderIDs_](const platform::ReminderStore& store) {
               CompletionAttempt attempt;
               attempt.hasAccess = store.authorizationStatus() == ReminderAuthorizationStatus::fullAccess;
               if (attempt.hasAccess && !mapping.empty())
                   attempt.state = RemindersExporter::completionState(store, mapping);
               return attempt;
           })
        .then(this, [this](const CompletionAttempt& attempt) {
            if (!attempt.state.gone.empty()) {
                ReminderMapping mapping = exportedReminderIDs_;
                for (const auto& id : attempt.state.gone) mapping.erase(id);
                setExportedReminderIDs(std::move(mapping));
                ReminderMappingStore::save(*defaults_, exportedReminderIDs_);
            }
            setCompletedInReminders(attempt.state.completed);
        });
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
