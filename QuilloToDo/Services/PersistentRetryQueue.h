#pragma once

#include "QuilloToDo/Services/RetryQueueEntry.h"
#include "QuilloToDo/Services/RetryQueueFile.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <vector>

namespace quillo {

// A disk-backed work queue that delivers its operations one after another through a delivery
// function its owner installs, pauses after a failed delivery and tries again, gives an entry up
// after `maxAttempts` failures or at once on a PermanentRetryFailure, and keeps what is pending in a
// JSON file so it survives a restart.
//
// The queue is confined to the thread it lives on: call every member there (from elsewhere through
// QMetaObject::invokeMethod). Deliveries and pauses never block that thread: both report back
// through callbacks, and entries can be queued while a delivery is under way.
class PersistentRetryQueue : public QObject {
    Q_OBJECT

public:
    // Reports how one delivery ended: null for delivered, else the failure. May be called from any
    // thread while the queue exists; only the first call of each delivery counts.
    using DeliveryCompletion = std::function<void(std::exception_ptr failure)>;
    using Executor = std::function<void(const platform::JSON& operation, DeliveryCompletion done)>;
    // Waits `seconds`, then calls `wake` (from any thread). The default sleeper is a timer on the
    // queue's thread.
    using Sleeper = std::function<void(double seconds, std::function<void()> wake)>;

    // The longest pause between two attempts; longer, negative or NaN back-off values are clamped
    // into 0 s .. this.
    static constexpr double kMaximumPauseSeconds = 24 * 60 * 60;

    // Reads the pending entries from `storePath` when given (no path: the queue lives in memory).
    // A file that cannot be read starts the queue empty and stays in place until the next write. A
    // file that is not a JSON array is moved aside to "<storePath>.corrupt" (replacing an older one);
    // from an array every valid entry is kept. An empty `backoff` becomes {1.0}; `maxAttempts` below
    // 1 becomes 1. Nothing is delivered before an executor is installed and resume() is called.
    PersistentRetryQueue(std::optional<QString> storePath, std::vector<double> backoff, std::int64_t maxAttempts,
                         Sleeper sleep = {}, RetryQueueFile::OperationCheck operationCheck = {},
                         QObject* parent = nullptr);

    int pendingCount() const { return static_cast<int>(entries_.size()); }
    // Entries given up since the queue was created; they are never written to disk.
    int deadLetterCount() const { return static_cast<int>(deadLetter_.size()); }
    const std::vector<RetryQueueEntry>& pendingEntries() const noexcept { return entries_; }
    const std::vector<double>& backoff() const noexcept { return backoff_; }
    std::int64_t maxAttempts() const noexcept { return maxAttempts_; }

    // Replaces any earlier delivery function; call resume() afterwards to start delivering.
    void setExecutor(Executor executor);
    // Appends the operation (a JSON object) as a new entry, writes the file and resumes. A key is
    // stored with the entry and compared with nothing: the same operation queued twice goes out twice.
    platform::UUID enqueue(platform::JSON operation, std::optional<std::string> dedupKey = std::nullopt);
    // Removes every pending entry with this key and returns how many there were. One that is being
    // delivered leaves the queue too; its outcome then changes nothing.
    int cancel(const std::string& dedupKey);
    // Starts draining when an executor is installed, something is pending and no drain runs.
    void resume();

private:
    void drainStep();
    void deliveryFinished(std::uint64_t delivery, platform::UUID id, std::exception_ptr failure);
    void giveUp(std::size_t index);
    void continueDrain();
    void persist();

    std::vector<RetryQueueEntry> entries_;
    std::optional<QString> storePath_;
    std::vector<double> backoff_;
    std::int64_t maxAttempts_;
    std::vector<RetryQueueEntry> deadLetter_;
    Executor executor_;
    Sleeper sleep_;
    bool isDraining_ = false;
    // Numbers each delivery and pause, so a late or repeated callback is recognised and ignored.
    std::uint64_t currentStep_ = 0;
};

}  // namespace quillo
