#include "QuilloToDo/Services/PermanentRetryFailure.h"
#include "QuilloToDo/Services/PersistentRetryQueue.h"

#include "Platform/QtBridge/QtText.h"
#include "testing/TemporaryDirectory.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace quillo {
namespace {

struct Ordinary : std::runtime_error {
    Ordinary() : std::runtime_error("offline") {}
};
struct Permanent : std::runtime_error, PermanentRetryFailure {
    Permanent() : std::runtime_error("rejected") {}
};

const std::vector<double> kFeedbackBackoff{1, 5, 30, 120, 600, 3600};

platform::JSON operation(int number) { return platform::JSON{{"n", number}}; }

// Every pause the queue asked for, with the queue file as it stood at that moment.
struct RecordingSleeper {
    std::vector<double> pauses;
    std::vector<QByteArray> filesAtPause;
    QString file;

    PersistentRetryQueue::Sleeper sleeper() {
        return [this](double seconds, std::function<void()> wake) {
            pauses.push_back(seconds);
            if (!file.isEmpty()) filesAtPause.push_back(readAll(file));
            wake();
        };
    }
    static QByteArray readAll(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

class PersistentRetryQueueTest : public ::testing::Test {
protected:
    QString storePath() const { return platform::toQString(directory.path() / "Q" / "feedback_queue.json"); }
    QByteArray storedBytes() const { return RecordingSleeper::readAll(storePath()); }
    void writeStore(const QByteArray& bytes) const {
        QDir().mkpath(platform::toQString(directory.path() / "Q"));
        QFile f(storePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    testing::TemporaryDirectory directory;
};

// Records every operation handed over and answers each with the outcome `outcome` picks.
struct Executor {
    std::vector<int> delivered;
    std::function<std::exception_ptr(int)> outcome = [](int) { return std::exception_ptr(); };

    PersistentRetryQueue::Executor executor() {
        return [this](const platform::JSON& op, PersistentRetryQueue::DeliveryCompletion done) {
            delivered.push_back(op.at("n").get<int>());
            done(outcome(delivered.back()));
        };
    }
};

TEST_F(PersistentRetryQueueTest, AlwaysFailingEntryFollowsTheWholeScheduleThenIsGivenUp) {
    RecordingSleeper sleeper;
    sleeper.file = storePath();
    PersistentRetryQueue queue(storePath(), kFeedbackBackoff, 12, sleeper.sleeper());
    Executor executor;
    executor.outcome = [](int) { return std::make_exception_ptr(Ordinary()); };
    queue.setExecutor(executor.executor());
    queue.enqueue(operation(1));

    ASSERT_TRUE(QTest::qWaitFor([&] { return queue.deadLetterCount() == 1; }, 60000));
    EXPECT_EQ(executor.delivered.size(), 12u);
    EXPECT_EQ(sleeper.pauses, (std::vector<double>{1, 5, 30, 120, 600, 3600, 3600, 3600, 3600, 3600, 3600}));
    ASSERT_EQ(sleeper.filesAtPause.size(), 11u);
    for (std::size_t i = 0; i < sleeper.filesAtPause.size(); ++i) {
        const auto onDisk = RetryQueueFile::decode(sleeper.filesAtPause[i].toStdString());
        ASSERT_EQ(onDisk.entries.size(), 1u);
        EXPECT_EQ(onDisk.entries[0].attempts, static_cast<std::int64_t>(i + 1)) << "before pause " << i;
    }
    EXPECT_EQ(queue.pendingCount(), 0);
    EXPECT_EQ(storedBytes(), "[]");
}

TEST_F(PersistentRetryQueueTest, EmptyBackoffPausesOneSecondAndNoAttemptLimitMeansOne) {
    RecordingSleeper sleeper;
    PersistentRetryQueue pausing(std::nullopt, {}, 3, sleeper.sleeper());
    Executor failing;
    failing.outcome = [](int) { return std::make_exception_ptr(Ordinary()); };
    pausing.setExecutor(failing.executor());
    pausing.enqueue(operation(1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pausing.deadLetterCount() == 1; }, 60000));
    EXPECT_EQ(sleeper.pauses, (std::vector<double>{1, 1}));

    RecordingSleeper none;
    PersistentRetryQueue once(std::nullopt, kFeedbackBackoff, 0, none.sleeper());
    once.setExecutor(failing.executor());
    once.enqueue(operation(2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return once.deadLetterCount() == 1; }, 60000));
    EXPECT_TRUE(none.pauses.empty());
}

TEST_F(PersistentRetryQueueTest, UnusableBackoffValuesAreClampedToZeroThroughOneDay) {
    RecordingSleeper sleeper;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    PersistentRetryQueue queue(std::nullopt, {-5, nan, 1e300, inf, 2.5}, 6, sleeper.sleeper());
    Executor executor;
    executor.outcome = [](int) { return std::make_exception_ptr(Ordinary()); };
    queue.setExecutor(executor.executor());
    queue.enqueue(operation(1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return queue.deadLetterCount() == 1; }, 60000));
    EXPECT_EQ(sleeper.pauses, (std::vector<double>{0, 0, 86400, 86400, 2.5}));
}

TEST_F(PersistentRetryQueueTest, PermanentFailureGivesUpAtOnceAndTheNextGoesOut) {
    RecordingSleeper sleeper;
    PersistentRetryQueue queue(storePath(), kFeedbackBackoff, 12, sleeper.sleeper());
    Executor executor;
    executor.outcome = [](int n) { return n == 1 ? std::make_exception_ptr(Permanent()) : nullptr; };
    queue.enqueue(operation(1));
    queue.enqueue(operation(2));
    queue.setExecutor(executor.executor());
    queue.resume();
    ASSERT_TRUE(QTest::qWaitFor([&] { return queue.pendingCount() == 0; }, 60000));
    EXPECT_EQ(executor.delivered, (std::vector<int>{1, 2}));
    EXPECT_EQ(queue.deadLetterCount(), 1);
    EXPECT_TRUE(sleeper.pauses.empty());
    EXPECT_EQ(storedBytes(), "[]");
}

TEST_F(PersistentRetryQueueTest, EntriesQueuedDuringADeliveryGoOutNextFromTheSameDrain) {
    PersistentRetryQueue queue(storePath(), kFeedbackBackoff, 12);
    std::vector<std::pair<int, PersistentRetryQueue::DeliveryCompletion>> inFlight;
    std::vector<int> delivered;
    queue.setExecutor([&](const platform::JSON& op, PersistentRetryQueue::DeliveryCompletion done) {
        delivered.push_back(op.at("n").get<int>());
        inFlight.emplace_back(delivered.back(), std::move(done));
    });
    queue.enqueue(operation(1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return inFlight.size() == 1; }, 60000));

    queue.enqueue(operation(2));
    QCoreApplication::processEvents();
    EXPECT_EQ(inFlight.size(), 1u) << "a second drain started";
    EXPECT_EQ(RetryQueueFile::decode(storedBytes().toStdString()).entries.size(), 2u);

    auto first = std::move(inFlight.back().second);
    first(nullptr);
    first(nullptr);  // a repeated report changes nothing
    ASSERT_TRUE(QTest::qWaitFor([&] { return inFlight.size() == 2; }, 60000));
    inFlight.back().second(nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return queue.pendingCount() == 0; }, 60000));
    EXPECT_EQ(delivered, (std::vector<int>{1, 2}));
}

TEST_F(PersistentRetryQueueTest, WithoutExecutorQueuingOnlyStoresAndARestartDeliversWhatWasLeft) {
    {
        PersistentRetryQueue first(storePath(), kFeedbackBackoff, 12);
        first.enqueue(operation(1));
        first.enqueue(operation(2));
        QCoreApplication::processEvents();
        EXPECT_EQ(first.pendingCount(), 2);
    }
    PersistentRetryQueue second(storePath(), kFeedbackBackoff, 12);
    ASSERT_EQ(second.pendingCount(), 2);
    Executor executor;
    second.setExecutor(executor.executor());
    QCoreApplication::processEvents();
    EXPECT_TRUE(executor.delivered.empty()) << "delivery starts only on resume";
    second.resume();
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.pendingCount() == 0; }, 60000));
    EXPECT_EQ(executor.delivered, (std::vector<int>{1, 2}));
}

TEST_F(PersistentRetryQueueTest, AttemptCountsSurviveARestart) {
    RecordingSleeper sleeper;
    std::function<void()> heldWake;
    {
        PersistentRetryQueue first(storePath(), kFeedbackBackoff, 3,
                                   [&](double, std::function<void()> wake) { heldWake = std::move(wake); });
        Executor failing;
        failing.outcome = [](int) { return std::make_exception_ptr(Ordinary()); };
        first.setExecutor(failing.executor());
        first.enqueue(operation(1));
        ASSERT_TRUE(QTest::qWaitFor([&] { return bool(heldWake); }, 60000));
    }
    heldWake();  // the queue is gone: waking it must do nothing
    PersistentRetryQueue second(storePath(), kFeedbackBackoff, 3, sleeper.sleeper());
    ASSERT_EQ(second.pendingEntries().at(0).attempts, 1);
    Executor failing;
    failing.outcome = [](int) { return std::make_exception_ptr(Ordinary()); };
    second.setExecutor(failing.executor());
    second.resume();
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.deadLetterCount() == 1; }, 60000));
    EXPECT_EQ(failing.delivered.size(), 2u);
}

TEST_F(PersistentRetryQueueTest, OneBadEntryCostsOnlyItself) {
    writeStore(R"([{"id":"0A1B2C3D-4E5F-4061-8293-A4B5C6D7E8F9","operation":{"n":1},"attempts":2},)"
               R"({"id":"broken","operation":{"n":2},"attempts":0},)"
               R"({"id":"11111111-2222-4333-8444-555555555555","operation":{"n":3},"attempts":0}])");
    PersistentRetryQueue queue(storePath(), kFeedbackBackoff, 12);
    ASSERT_EQ(queue.pendingCount(), 2);
    EXPECT_EQ(queue.pendingEntries()[0].attempts, 2);
    EXPECT_EQ(queue.pendingEntries()[1].operation, operation(3));
    EXPECT_FALSE(QFile::exists(storePath() + ".corrupt"));
}

TEST_F(PersistentRetryQueueTest, AFileThatIsNoArrayIsMovedAsideReplacingAnOlderOne) {
    writeStore("{\"truncated\":");
    {
        QFile older(storePath() + ".corrupt");
        ASSERT_TRUE(older.open(QIODevice::WriteOnly));
        older.write("older");
    }
    PersistentRetryQueue queue(storePath(), kFeedbackBackoff, 12);
    EXPECT_EQ(queue.pendingCount(), 0);
    EXPECT_FALSE(QFile::exists(storePath()));
    EXPECT_EQ(RecordingSleeper::readAll(storePath() + ".corrupt"), "{\"truncated\":");
    queue.enqueue(operation(1));
    EXPECT_EQ(RecordingSleeper::readAll(storePath() + ".corrupt"), "{\"truncated\":");
    EXPECT_EQ(RetryQueueFile::decode(storedBytes().toStdString()).entries.size(), 1u);
}

TEST_F(PersistentRetryQueueTest, CancelRemovesEveryEntryWithTheKey) {
    PersistentRetryQueue queue(storePath(), kFeedbackBackoff, 12);
    queue.enqueue(operation(1), "a");
    queue.enqueue(operation(2));
    queue.enqueue(operation(3), "a");
    EXPECT_EQ(queue.cancel("a"), 2);
    EXPECT_EQ(queue.cancel("a"), 0);
    const auto onDisk = RetryQueueFile::decode(storedBytes().toStdString()).entries;
    ASSERT_EQ(onDisk.size(), 1u);
    EXPECT_EQ(onDisk[0].operation, operation(2));
}

TEST_F(PersistentRetryQueueTest, AWriterKilledBetweenWriteAndRenameLeavesTheOldFile) {
    writeStore("[\"old\"]");
    QProcess writer;
    writer.start(QUEUE_FILE_WRITER_PROCESS, {storePath(), "[\"new\"]", "--hang"});
    ASSERT_TRUE(writer.waitForStarted(60000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return writer.canReadLine() || writer.waitForReadyRead(100); }, 60000));
    EXPECT_EQ(writer.readLine().trimmed(), "written");
    writer.kill();
    ASSERT_TRUE(writer.waitForFinished(60000));
    EXPECT_EQ(storedBytes(), "[\"old\"]");

    QProcess finishing;
    finishing.start(QUEUE_FILE_WRITER_PROCESS, {storePath(), "[\"new\"]"});
    ASSERT_TRUE(finishing.waitForFinished(60000));
    EXPECT_EQ(finishing.exitCode(), 0);
    EXPECT_EQ(storedBytes(), "[\"new\"]");
}

}  // namespace
}  // namespace quillo
