#pragma once

#include "QuilloToDo/Services/FeedbackDiagnostics.h"
#include "QuilloToDo/Services/FeedbackPayload.h"
#include "QuilloToDo/Services/PersistentRetryQueue.h"

#include <QString>
#include <QThread>

#include <chrono>
#include <optional>
#include <vector>

namespace quillo {

class FeedbackUploader;
class IndexController;
class LibraryController;
class PostlabLibraryLocator;
class TodoIPCServer;

// Gets user feedback to the feedback server: each feedback is stored in the persistent retry queue
// first, then uploaded in the background with back-off, across restarts if need be. The user never
// waits for the network and never sees a delivery error.
//
// The queue and the uploads run on the service's own thread; send() only hands the payload over.
class FeedbackService {
public:
    using Payload = FeedbackPayload;

    struct Configuration {
        // The queue file; absent keeps the queue in memory.
        std::optional<QString> storePath;
        // Where the server is; the endpoint path is appended. https, or http to a loopback host.
        // Empty: nothing is delivered, queued feedback waits in the file.
        QString baseURL;
        std::vector<double> backoff{1, 5, 30, 120, 600, 3600};
        std::int64_t maxAttempts = 12;
        // Absent: real timers.
        PersistentRetryQueue::Sleeper sleep;
        std::chrono::milliseconds transferTimeout{60000};
    };

    // The application's configuration: the queue file in the Application Support folder, the server
    // from QUILLOTODO_FEEDBACK_URL or else the one the build was configured with.
    static Configuration defaultConfiguration();
    // The server this build sends to: QUILLOTODO_FEEDBACK_URL, else the one the build was configured
    // with; empty when neither names one (the build has no feedback address).
    static QString configuredBaseURL();

    // The one instance, made on first use (thread-safe); its thread stops when the application quits.
    static FeedbackService& shared();

    // Loads the stored entries and starts delivering them, on the service's thread.
    explicit FeedbackService(Configuration configuration);
    ~FeedbackService();
    FeedbackService(const FeedbackService&) = delete;
    FeedbackService& operator=(const FeedbackService&) = delete;

    // Queues the payload (written to the queue file) and starts delivery if none runs; returns at once.
    void send(const Payload& payload);

    // "<version> (<build>)" of this build; a part that is missing reads "0".
    static QString appVersion();
    static QString formatAppVersion(const std::optional<QString>& version, const std::optional<QString>& build);
    // "Linux " and the running kernel's release as x.y.z.
    static QString osVersion();
    static QString formatOSVersion(const QString& kernelRelease);

    // The diagnostics text from the controllers' state. Main thread only: it reads their properties.
    QString sammeleDiagnose(const LibraryController& libraryController, const IndexController& indexController,
                            const TodoIPCServer& ipcServer, const PostlabLibraryLocator& postlabLocator) const;

private:
    QThread thread_;
    // Lives on `thread_`; the queue and the uploader are made and used only through it.
    QObject* actor_;
    PersistentRetryQueue* queue_ = nullptr;
    FeedbackUploader* uploader_ = nullptr;
};

}  // namespace quillo
