#include "QuilloToDo/Services/FeedbackService.h"

#include "QuilloToDo/Services/FeedbackUploader.h"

#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/LibraryController.h"
#include "QuilloToDo/Controllers/PostlabLibraryLocator.h"
#include "QuilloToDo/IPC/TodoIPCServer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>

#include <mutex>

namespace quillo {

FeedbackService::Configuration FeedbackService::defaultConfiguration() {
    Configuration configuration;
    configuration.storePath = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                              QStringLiteral("/QuilloToDo/feedback_queue.json");
    configuration.baseURL = configuredBaseURL();
    return configuration;
}

QString FeedbackService::configuredBaseURL() {
    const QString override = qEnvironmentVariable("QUILLOTODO_FEEDBACK_URL");
    return override.isEmpty() ? QStringLiteral(QUILLO_FEEDBACK_URL) : override;
}

FeedbackService& FeedbackService::shared() {
    static FeedbackService* instance = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        instance = new FeedbackService(defaultConfiguration());
        // The thread must stop while the application object still exists.
        if (auto* application = QCoreApplication::instance()) {
            QObject::connect(application, &QCoreApplication::aboutToQuit, [] {
                instance->thread_.quit();
                instance->thread_.wait();
            });
        }
    });
    return *instance;
}

FeedbackService::FeedbackService(Configuration configuration) : actor_(new QObject) {
    thread_.setObjectName(QStringLiteral("FeedbackService"));
    actor_->moveToThread(&thread_);
    thread_.start();
    // Everything below runs on the service's thread, before any payload sent afterwards.
    QMetaObject::invokeMethod(actor_, [this, configuration = std::move(configuration)] {
        uploader_ = new FeedbackUploader(configuration.baseURL, configuration.transferTimeout, actor_);
        const auto deliverable = [](const platform::JSON& operation) {
            try {
                decodeFeedbackPayload(operation);
                return true;
            } catch (const platform::DecodingError&) {
                return false;
            }
        };
        queue_ = new PersistentRetryQueue(configuration.storePath, configuration.backoff, configuration.maxAttempts,
                                          configuration.sleep, deliverable, actor_);
        // Without a server nothing could be delivered: entries wait in the file rather than use up
        // their attempts.
        if (configuration.baseURL.isEmpty()) return;
        queue_->setExecutor(
            [uploader = uploader_](const platform::JSON& operation, PersistentRetryQueue::DeliveryCompletion done) {
                uploader->deliver(operation, std::move(done));
            });
        queue_->resume();
    });
}

FeedbackService::~FeedbackService() {
    if (thread_.isRunning()) {
        QMetaObject::invokeMethod(
            actor_, [this] { delete actor_; }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    } else {
        delete actor_;
    }
}

void FeedbackService::send(const Payload& payload) {
    QMetaObject::invokeMethod(actor_,
                              [this, operation = encode(payload)]() mutable { queue_->enqueue(std::move(operation)); });
}

QString FeedbackService::appVersion() {
    const QString build = QStringLiteral(QUILLO_BUILD_NUMBER);
    return formatAppVersion(QStringLiteral(QUILLO_APP_VERSION), build.isEmpty() ? std::nullopt : std::optional(build));
}

QString FeedbackService::formatAppVersion(const std::optional<QString>& version, const std::optional<QString>& build) {
    const auto part = [](const std::optional<QString>& value) {
        return value && !value->isEmpty() ? *value : QStringLiteral("0");
    };
    return part(version) + QStringLiteral(" (") + part(build) + QStringLiteral(")");
}

QString FeedbackService::osVersion() { return formatOSVersion(QSysInfo::kernelVersion()); }

QString FeedbackService::formatOSVersion(const QString& kernelRelease) {
    // "6.1.0-18-amd64": the leading digits of the first three dot-separated parts, 0 where none.
    const QStringList parts = kernelRelease.split(QLatin1Char('.'));
    static const QRegularExpression leadingDigits(QStringLiteral("^\\d+"));
    QStringList numbers;
    for (qsizetype i = 0; i < 3; ++i) {
        const auto match = i < parts.size() ? leadingDigits.match(parts[i]) : QRegularExpressionMatch();
        numbers << (match.hasMatch() ? match.captured() : QStringLiteral("0"));
    }
    return QStringLiteral("Linux ") + numbers.join(QLatin1Char('.'));
}

QString FeedbackService::sammeleDiagnose(const LibraryController& libraryController,
                                         const IndexController& indexController, const TodoIPCServer& ipcServer,
                                         const PostlabLibraryLocator& postlabLocator) const {
    FeedbackDiagnostics diagnostics;
    for (const WatchedLibrary* library : libraryController.watchedLibraries()) {
        diagnostics.libraries.push_back({library->name(), library->isLoaded(), library->errorMessage()});
    }
    diagnostics.markersIndexed = static_cast<int>(indexController.items().size());
    for (const auto& library : indexController.structure()) {
        diagnostics.eventCount += static_cast<int>(library.events.size());
        for (const auto& event : library.events) diagnostics.timelineCount += static_cast<int>(event.timelines.size());
    }
    diagnostics.isRefreshing = indexController.isRefreshing();
    diagnostics.lastRefreshDate = indexController.lastRefreshDate();
    diagnostics.lastRefreshError = indexController.lastRefreshError();
    diagnostics.connectedExtensionCount = ipcServer.connectedExtensionCount();
    diagnostics.isPostlabPolling = postlabLocator.isPolling();
    diagnostics.postlabWatchedNameCount = static_cast<int>(postlabLocator.watchedNames().size());
    return diagnosticsText(diagnostics, QDateTime::currentDateTime(), appVersion(), osVersion());
}

}  // namespace quillo
