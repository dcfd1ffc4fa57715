#include "QuilloToDo/Services/PersistentRetryQueue.h"

#include "QuilloToDo/Services/AtomicFileWriter.h"
#include "QuilloToDo/Services/PermanentRetryFailure.h"

#include <QFile>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

namespace quillo {

namespace {

std::vector<double> checkedBackoff(std::vector<double> backoff) {
    if (backoff.empty()) return {1.0};
    for (double& seconds : backoff) {
        // NaN compares false both ways: it becomes no pause rather than an undefined wait.
        if (!(seconds > 0)) seconds = 0;
        seconds = std::min(seconds, PersistentRetryQueue::kMaximumPauseSeconds);
    }
    return backoff;
}

bool isPermanent(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const PermanentRetryFailure&) {
        return true;
    } catch (...) {
        return false;
    }
}

// Runs `work` on the queue's thread, later, unless the queue is gone by then.
void post(PersistentRetryQueue* queue, std::function<void()> work) {
    QMetaObject::invokeMethod(
        queue,
        [queue = QPointer(queue), work = std::move(work)] {
            if (queue) work();
        },
        Qt::QueuedConnection);
}

}  // namespace

PersistentRetryQueue::PersistentRetryQueue(std::optional<QString> storePath, std::vector<double> backoff,
                                           std::int64_t maxAttempts, Sleeper sleep,
                                           RetryQueueFile::OperationCheck operationCheck, QObject* parent)
    : QObject(parent),
      storePath_(std::move(storePath)),
      backoff_(checkedBackoff(std::move(backoff))),
      maxAttempts_(std::max<std::int64_t>(maxAttempts, 1)),
      sleep_(std::move(sleep)) {
    if (!sleep_) {
        sleep_ = [this](double seconds, std::function<void()> wake) {
            const auto milliseconds = std::chrono::milliseconds(std::llround(seconds * 1000));
            QTimer::singleShot(milliseconds, this, std::move(wake));
        };
    }
    if (!storePath_) return;
    QFile file(*storePath_);
    if (!file.open(QIODevice::ReadOnly)) return;
    const QByteArray bytes = file.readAll();
    file.close();
    auto contents = RetryQueueFile::decode(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                                           operationCheck);
    if (!contents.isArray) {
        // Nothing in it can be read, but a person might still recover the feedback it holds.
        const QString aside = *storePath_ + QStringLiteral(".corrupt");
        QFile::remove(aside);
        QFile::rename(*storePath_, aside);
        return;
    }
    entries_ = std::move(contents.entries);
}

void PersistentRetryQueue::setExecutor(Executor executor) { executor_ = std::move(executor); }

platform::UUID PersistentRetryQueue::enqueue(platform::JSON operation, std::optional<std::string> dedupKey) {
    const auto id = platform::UUID::random();
    entries_.push_back(RetryQueueEntry{.id = id, .operation = std::move(operation), .dedupKey = std::move(dedupKey)});
    persist();
    resume();
    return id;
}

int PersistentRetryQueue::cancel(const std::string& dedupKey) {
    const auto removed =
        std::erase_if(entries_, [&](const RetryQueueEntry& entry) { return entry.dedupKey == dedupKey; });
    if (removed > 0) persist();
    return static_cast<int>(removed);
}

void PersistentRetryQueue::resume() {
    if (!executor_ || entries_.empty() || isDraining_) return;
    isDraining_ = true;
    post(this, [this] { drainStep(); });
}

void PersistentRetryQueue::drainStep() {
    if (entries_.empty() || !executor_) {
        isDraining_ = false;
        return;
    }
    const std::uint64_t delivery = ++currentStep_;
    const RetryQueueEntry head = entries_.front();
    executor_(head.operation, [this, self = QPointer(this), delivery, id = head.id](std::exception_ptr failure) {
        if (!self) return;
        post(this, [this, delivery, id, failure] { deliveryFinished(delivery, id, failure); });
    });
}

void PersistentRetryQueue::deliveryFinished(std::uint64_t delivery, platform::UUID id, std::exception_ptr failure) {
    if (delivery != currentStep_) return;  // a second report of a delivery already handled
    ++currentStep_;

    if (!failure) {
        // Entries may have been cancelled meanwhile; only the delivered one leaves the queue.
        if (!entries_.empty() && entries_.front().id == id) {
            entries_.erase(entries_.begin());
            persist();
        }
        continueDrain();
        return;
    }

    const auto found =
        std::find_if(entries_.begin(), entries_.end(), [&](const auto& entry) { return entry.id == id; });
    if (found == entries_.end()) {
        continueDrain();
        return;
    }
    const auto index = static_cast<std::size_t>(found - entries_.begin());
    if (found->attempts < std::numeric_limits<std::int64_t>::max()) ++found->attempts;
    const std::int64_t failures = found->attempts;

    if (isPermanent(failure) || failures >= maxAttempts_) {
        giveUp(index);
        continueDrain();
        return;
    }
    persist();
    const auto last = static_cast<std::int64_t>(backoff_.size()) - 1;
    const double pause = backoff_[static_cast<std::size_t>(std::min(failures - 1, last))];
    const std::uint64_t wait = currentStep_;
    sleep_(pause, [this, self = QPointer(this), wait] {
        if (!self) return;
        post(this, [this, wait] {
            if (wait != currentStep_) return;
            drainStep();
        });
    });
}

void PersistentRetryQueue::giveUp(std::size_t index) {
    deadLetter_.push_back(entries_[index]);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    persist();
}

void PersistentRetryQueue::continueDrain() {
    // Through the event loop, so a long run of instant outcomes never deepens the stack.
    post(this, [this] { drainStep(); });
}

void PersistentRetryQueue::persist() {
    if (!storePath_) return;
    // A failed write is dropped: the queue carries on in memory and the next write catches up.
    const std::string bytes = RetryQueueFile::encode(entries_);
    writeFileAtomically(*storePath_, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

}  // namespace quillo
