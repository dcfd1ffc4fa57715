#include "QuilloToDo/Services/RemindersExportService.h"

#include "QuilloToDo/Services/ExportError.h"
#include "QuilloToDo/Services/RemindersExporter.h"
#include "QuilloToDo/Services/ReminderTexts.h"

#include "Platform/Reminders/ReminderStore.h"
#include "Platform/SystemLog/SystemLog.h"

#include <QPromise>

#include <exception>
#include <memory>
#include <type_traits>
#include <utility>

namespace quillo {

namespace {

using platform::ReminderAuthorizationStatus;

// An export's outcome carried back from the worker: a failure comes with the mapping it left.
struct ExportAttempt {
    ExportResult result;
    std::exception_ptr failure;
    // The mapping afterwards, also after a failure.
    ReminderMapping mapping;
};

struct CompletionAttempt {
    ReminderIDSet completed;
    // Not known to exist or not: they keep the mark they had.
    ReminderIDSet unreadable;
    // The mapping when it was loaded now or entries were dropped.
    std::optional<ReminderMapping> mapping;
    // Set when the refresh could not be made; nothing else is then.
    std::exception_ptr failure;
};

struct ListsAttempt {
    bool hasAccess = false;
    QList<ReminderList> lists;
    bool failed = false;
};

struct StartAttempt {
    ReminderAuthorizationStatus status = ReminderAuthorizationStatus::notDetermined;
    std::optional<ReminderMapping> mapping;
};

void log(const std::string& line) { platform::systemlog::write("[RemindersExport] " + line); }

std::string describe(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "an unknown error";
    }
}

template <class T>
QFuture<T> failedFuture(std::exception_ptr failure) {
    QPromise<T> promise;
    promise.start();
    promise.setException(failure);
    promise.finish();
    return promise.future();
}

}  // namespace

template <class Work, class Then>
auto RemindersExportService::onStore(Work work, Then then) {
    using Result = std::invoke_result_t<Work&, platform::ReminderStore&>;
    auto promise = std::make_shared<QPromise<Result>>();
    promise->start();
    // Attached before the work can end, the continuation is always queued behind those of the work
    // before it. Attached to work that had ended already, it would run at once, ahead of older
    // answers still queued: a status read at the start could then undo the answer to a later request.
    auto continued = promise->future().then(this, std::move(then));
    storeThread_.start([promise, store = store_.get(), work = std::move(work)]() mutable {
        try {
            promise->addResult(work(*store));
        } catch (...) {
            promise->setException(std::current_exception());
        }
        promise->finish();
    });
    return continued;
}

RemindersExportService::RemindersExportService(QSettings* defaults, QString mappingPath,
                                               std::unique_ptr<platform::ReminderStore> store, QObject* parent)
    : QObject(parent),
      mappingPath_(std::move(mappingPath)),
      settingsFile_(defaults->fileName()),
      settingsFormat_(defaults->format()),
      store_(store ? std::move(store)
                   : std::make_unique<platform::ReminderStore>(platform::ReminderStore::defaultRoot())) {
    storeThread_.setMaxThreadCount(1);
    onStore(
        [this](platform::ReminderStore& s) {
            StartAttempt attempt;
            try {
                loadMapping();
                attempt.mapping = mapping_;
            } catch (const std::exception& error) {
                // Tried again by the next export or refresh, which report it.
                log(error.what());
            }
            attempt.status = s.authorizationStatus();
            return attempt;
        },
        [this](const StartAttempt& attempt) {
            if (attempt.mapping) setExportedReminderIDs(*attempt.mapping);
            isAuthorizationStatusKnown_ = true;
            if (attempt.status == authorizationStatus_) {
                emit authorizationStatusChanged();
            } else {
                setAuthorizationStatus(attempt.status);
            }
        });
}

void RemindersExportService::loadMapping() {
    if (isMappingLoaded_) return;
    // The caller's settings object belongs to the main thread; one per thread may share the file.
    QSettings settings(settingsFile_, settingsFormat_);
    mapping_ = ReminderMappingFile::loadMovingFromSettings(mappingPath_, settings);
    isMappingLoaded_ = true;
}

RemindersExportService::~RemindersExportService() { storeThread_.waitForDone(); }

QFuture<bool> RemindersExportService::requestAccess() {
    struct Answer {
        ReminderAuthorizationStatus status;
        QString deniedReason;
    };
    return onStore(
        [](platform::ReminderStore& store) {
            // A failed request counts as a refusal, with the store's reason.
            try {
                store.requestFullAccess();
            } catch (const std::exception& error) {
                return Answer{ReminderAuthorizationStatus::denied, QString::fromStdString(error.what())};
            }
            return Answer{store.authorizationStatus(), QString()};
        },
        [this](const Answer& answer) {
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
    return onStore(
        [](const platform::ReminderStore& store) {
            ListsAttempt attempt;
            attempt.hasAccess = store.authorizationStatus() == ReminderAuthorizationStatus::fullAccess;
            try {
                if (attempt.hasAccess) attempt.lists = RemindersExporter::writableLists(store);
            } catch (const std::exception& error) {
                log(std::string("The reminder lists could not be read: ") + error.what());
                attempt.failed = true;
            }
            return attempt;
        },
        [this](const ListsAttempt& attempt) {
            // Lists that could not be read keep what was shown.
            if (!attempt.failed) setAvailableLists(attempt.hasAccess ? attempt.lists : QList<ReminderList>());
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
    onStore(
        [this, items = std::move(items), newListTitle, existingListID](platform::ReminderStore& store) {
            ExportAttempt attempt;
            try {
                loadMapping();
                attempt.result = RemindersExporter::run(
                    store, items, mapping_, newListTitle, existingListID,
                    [this](const ReminderMapping& m) { ReminderMappingFile::save(mappingPath_, m); });
            } catch (...) {
                attempt.failure = std::current_exception();
            }
            attempt.mapping = mapping_;
            return attempt;
        },
        [this, promise](const ExportAttempt& attempt) {
            setExportedReminderIDs(attempt.mapping);
            if (attempt.failure) {
                promise->setException(attempt.failure);
                promise->finish();
                return;
            }
            reloadLists();
            // The export is done whether or not the refresh after it could be made.
            refreshCompletionState().then(this, [promise, result = attempt.result](const QFuture<void>&) {
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
    auto promise = std::make_shared<QPromise<void>>();
    promise->start();
    onStore(
        [this](const platform::ReminderStore& store) {
            CompletionAttempt attempt;
            try {
                const bool wasLoaded = isMappingLoaded_;
                loadMapping();
                if (!wasLoaded) attempt.mapping = mapping_;
                if (store.authorizationStatus() != ReminderAuthorizationStatus::fullAccess || mapping_.empty())
                    return attempt;
                auto state = RemindersExporter::completionState(store, mapping_);
                attempt.completed = std::move(state.completed);
                attempt.unreadable = std::move(state.unreadable);
                if (!attempt.unreadable.empty() && state.unreadableReason != reportedUnreadable_) {
                    log(std::to_string(attempt.unreadable.size()) +
                        " exported reminders could not be read and keep their entries: " + state.unreadableReason);
                }
                reportedUnreadable_ = std::move(state.unreadableReason);
                if (!state.gone.empty()) {
                    ReminderMapping kept = mapping_;
                    for (const auto& id : state.gone) kept.erase(id);
                    try {
                        ReminderMappingFile::save(mappingPath_, kept);
                        mapping_ = std::move(kept);
                        attempt.mapping = mapping_;
                    } catch (const std::exception& error) {
                        // The entries stay until a save succeeds: the next export makes a gone reminder
                        // anew whether or not its entry is still there.
                        log(error.what());
                    }
                }
            } catch (...) {
                attempt.failure = std::current_exception();
            }
            return attempt;
        },
        [this, promise](const CompletionAttempt& attempt) {
            if (attempt.failure) {
                // Once, not at every activation of the application while it lasts.
                if (std::string why = describe(attempt.failure); why != reportedRefreshFailure_) {
                    log("The completion state could not be refreshed: " + why);
                    reportedRefreshFailure_ = std::move(why);
                }
                promise->setException(attempt.failure);
            } else {
                reportedRefreshFailure_.clear();
                if (attempt.mapping) setExportedReminderIDs(*attempt.mapping);
                ReminderIDSet completed = attempt.completed;
                for (const auto& id : attempt.unreadable) {
                    if (completedInReminders_.contains(id)) completed.insert(id);
                }
                setCompletedInReminders(std::move(completed));
            }
            promise->finish();
            refreshRunning_ = false;
            if (auto next = std::exchange(nextRefresh_, nullptr)) {
                startRefresh().then(this, [next](QFuture<void> finished) {
                    try {
                        finished.waitForFinished();
                    } catch (...) {
                        next->setException(std::current_exception());
                    }
                    next->finish();
                });
            }
        });
    return promise->future();
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
