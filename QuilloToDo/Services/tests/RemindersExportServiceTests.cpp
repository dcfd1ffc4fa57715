#include "QuilloToDo/Services/ExportError.h"
#include "QuilloToDo/Services/RemindersExportService.h"

#include "Platform/QtBridge/QtText.h"
#include "Platform/Reminders/ReminderStore.h"
#include "Platform/Reminders/ReminderStoreError.h"
#include "Platform/SystemLog/SystemLog.h"
#include "testing/NoFreeFileDescriptors.h"
#include "testing/TemporaryDirectory.h"
#include "testing/Thrown.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <set>
#include <stdexcept>

namespace quillo {
namespace {

namespace fs = std::filesystem;

TodoItem item(const std::string& text, MarkerKind kind, TodoStatus status) {
    static int counter = 0;
    TodoItem made;
    made.id = platform::UUID::random();
    made.kind = kind;
    made.status = status;
    made.text = made.rawText = text;
    made.libraryName = "Feature";
    made.libraryBookmarkID = "B1";
    made.eventName = "Day " + std::to_string(++counter);
    made.timelineID = "T1";
    made.timelineName = "Reel 1";
    made.timelineTimecode = "00:00:01:00";
    made.frameRateFPS = 25;
    return made;
}

// Waits without blocking the event loop the future's continuations need; never waits forever.
template <class T>
T await(QFuture<T> future) {
    if (!QTest::qWaitFor([&] { return future.isFinished(); }, 60000)) throw std::runtime_error("timed out");
    if constexpr (!std::is_void_v<T>) {
        return future.result();
    } else {
        future.waitForFinished();  // finished already: rethrows a failure
    }
}

// Fails its n-th reminder save or its n-th file write (counted from 1), as a store that runs out of
// room would; counts the lookups of many reminders.
class FailingStore : public platform::ReminderStore {
public:
    using ReminderStore::ReminderStore;
    int failAt = 0;
    int failWriteAt = 0;
    int writes = 0;
    mutable int lookups = 0;
    std::function<void()> beforeLookup;  // on the worker, before each lookup
    // Lookups run with no file descriptor to spare.
    bool lookupsRunOutOfDescriptors = false;
    // From this write on (counted like failWriteAt) the process has no file descriptor to spare,
    // until the test resets `exhausted`.
    int runOutOfDescriptorsAtWrite = 0;
    mutable std::optional<testing::NoFreeFileDescriptors> exhausted;
    // Descriptors run out at that write come back after the next lookup (the sanitizers need one to
    // check the calls made afterwards).
    bool descriptorsBackAfterLookup = false;
    // Called where the failing write would have begun: what the disk holds if the process died there.
    std::function<void()> beforeFailedWrite;

    void saveReminder(const platform::Reminder& reminder) override {
        if (++saves == failAt) throw platform::ReminderStoreError("The disk is full.");
        ReminderStore::saveReminder(reminder);
    }
    std::vector<platform::ReminderLookup> calendarItemsWithIdentifiers(
        const std::vector<std::string>& identifiers) const override {
        ++lookups;
        if (beforeLookup) beforeLookup();
        std::optional<testing::NoFreeFileDescriptors> limit;
        if (lookupsRunOutOfDescriptors) limit.emplace();
        auto found = ReminderStore::calendarItemsWithIdentifiers(identifiers);
        if (descriptorsBackAfterLookup) exhausted.reset();
        return found;
    }

protected:
    void writeFile(const fs::path& target, std::string_view bytes) override {
        if (++writes == failWriteAt) {
            if (beforeFailedWrite) beforeFailedWrite();
            throw platform::ReminderStoreError("The disk is full.");
        }
        if (writes == runOutOfDescriptorsAtWrite) exhausted.emplace();
        ReminderStore::writeFile(target, bytes);
    }

private:
    int saves = 0;
};

class RemindersExportServiceTest : public ::testing::Test {
protected:
    fs::path root() const { return directory.path() / "calendars"; }

    RemindersExportService& makeService() {
        auto store = std::make_unique<FailingStore>(root());
        failing = store.get();
        service = std::make_unique<RemindersExportService>(&defaults, mappingPath(), std::move(store));
        return *service;
    }
    QString mappingPath() const { return platform::toQString(directory.path() / "data" / "reminders_mapping.json"); }

    // What another process reads: python3 prints the file's bytes back as the standard output.
    static QByteArray readByAnotherProcess(const QString& path) {
        QProcess python;
        python.start("python3", {"-c", "import sys; sys.stdout.buffer.write(open(sys.argv[1], 'rb').read())", path});
        EXPECT_TRUE(python.waitForFinished(30000));
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        return python.readAllStandardOutput();
    }
    // The mapping as saved, read back by another process.
    ReminderMapping storedMapping() const {
        const QJsonObject stored = QJsonDocument::fromJson(readByAnotherProcess(mappingPath())).object();
        ReminderMapping mapping;
        for (auto it = stored.begin(); it != stored.end(); ++it) {
            const auto id = platform::UUID::parse(platform::toStdString(it.key()));
            EXPECT_TRUE(id && it.key() == it.key().toUpper()) << it.key().toStdString();
            if (id) mapping[*id] = platform::toStdString(it.value().toString());
        }
        return mapping;
    }

    // todoman with its own configuration, cache and XDG folders, so it never touches the user's.
    QByteArray todoman(const QStringList& arguments) {
        const QString base = platform::toQString(directory.path());
        const QString config = base + "/todoman.py";
        QFile file(config);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QStringLiteral("path = \"%1/*\"\ncache_path = \"%2/todoman-cache.sqlite3\"\n"
                                  "date_format = \"%Y-%m-%d\"\ntime_format = \"%H:%M\"\n")
                       .arg(platform::toQString(root()), base)
                       .toUtf8());
        file.close();
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"}) {
            environment.insert(name, base + "/todoman-home");
        }
        process.setProcessEnvironment(environment);
        process.start("todoman", QStringList{"--config", config} + arguments);
        EXPECT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return process.readAllStandardOutput();
    }
    QJsonArray todomanList() {
        return QJsonDocument::fromJson(todoman({"--porcelain", "list", "--status", "ANY"})).array();
    }
    static QJsonObject bySummary(const QJsonArray& todos, const QString& summary) {
        for (const auto& todo : todos) {
            if (todo.toObject()["summary"].toString() == summary) return todo.toObject();
        }
        ADD_FAILURE() << "todoman does not list " << summary.toStdString();
        return {};
    }
    // Every reminder file under the root, in any list.
    std::vector<fs::path> reminderFiles() const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::recursive_directory_iterator(root())) {
            if (entry.path().extension() == ".ics") files.push_back(entry.path());
        }
        return files;
    }
    // What is on disk agrees with `mapping`: each reminder has one file, and every file is mapped.
    static void expectAgreement(const std::vector<fs::path>& files, const ReminderMapping& mapping) {
        std::set<std::string> mapped;
        for (const auto& entry : mapping) mapped.insert(entry.second);
        std::set<std::string> seen;
        for (const auto& file : files) {
            EXPECT_TRUE(mapped.contains(file.stem().string())) << file << " is no mapped reminder";
            EXPECT_TRUE(seen.insert(file.stem().string()).second) << file << " is a second copy";
        }
    }
    std::vector<fs::path> filesIn(const std::string& listID) const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(root() / listID)) {
            if (entry.path().extension() == ".ics") files.push_back(entry.path());
        }
        return files;
    }

    testing::TemporaryDirectory directory;
    QSettings defaults{platform::toQString(directory.path() / "QuilloToDo.conf"), QSettings::IniFormat};
    FailingStore* failing = nullptr;
    std::unique_ptr<RemindersExportService> service;
};

TEST_F(RemindersExportServiceTest, ARealClientListsTheRemindersAndWhatItCompletesOrDeletesIsReadBack) {
    auto& export_ = makeService();
    auto open = item("Fix the grade", MarkerKind::todo, TodoStatus::open);
    open.assigneeName = "Ana";
    const auto done = item("Swap music", MarkerKind::todo, TodoStatus::done);
    const auto chapter = item("Act two", MarkerKind::chapter, TodoStatus::unknown);

    const auto result = await(export_.exportItems({open, done, chapter}, QString("  Cut v2 \n"), std::nullopt));
    EXPECT_EQ(result.createdCount, 3);
    EXPECT_EQ(result.updatedCount, 0);
    EXPECT_EQ(result.listTitle, "Cut v2");
    ASSERT_EQ(export_.availableLists().size(), 1);
    EXPECT_EQ(export_.availableLists()[0].title, "Cut v2");
    EXPECT_EQ(export_.completedInReminders(), ReminderIDSet{done.id});
    EXPECT_EQ(storedMapping(), export_.exportedReminderIDs());

    auto todos = todomanList();
    ASSERT_EQ(todos.size(), 3);
    const auto listedOpen = bySummary(todos, "Ana: Fix the grade");
    EXPECT_EQ(listedOpen["priority"].toInt(), 1);
    EXPECT_EQ(listedOpen["list"].toString(), "Cut v2");
    EXPECT_FALSE(listedOpen["completed"].toBool());
    EXPECT_EQ(bySummary(todos, "Swap music")["priority"].toInt(), 0);
    EXPECT_TRUE(bySummary(todos, "Swap music")["completed"].toBool());
    EXPECT_EQ(bySummary(todos, "Act two")["description"].toString(),
              "Feature › Day 3 › Reel 1 @ 00:00:01:00\nFrom QuilloToDo (Chapter)");

    todoman({"done", QString::number(listedOpen["id"].toInt())});
    todoman({"delete", "--yes", QString::number(bySummary(todos, "Act two")["id"].toInt())});
    await(export_.refreshCompletionState());
    EXPECT_EQ(export_.completedInReminders(), (ReminderIDSet{open.id, done.id}));
    EXPECT_FALSE(export_.exportedReminderIDs().contains(chapter.id));
    EXPECT_EQ(storedMapping(), export_.exportedReminderIDs());

    // Ticked off by the user, it stays completed though its to-do is still open; the deleted one is new.
    const auto again = await(export_.exportItems({open, chapter}, std::nullopt, export_.availableLists()[0].id));
    EXPECT_EQ(again.createdCount, 1);
    EXPECT_EQ(again.updatedCount, 1);
    EXPECT_TRUE(bySummary(todomanList(), "Ana: Fix the grade")["completed"].toBool());
    EXPECT_TRUE(export_.completedInReminders().contains(open.id));
}

TEST_F(RemindersExportServiceTest, ReexportingIntoAnotherListMovesTheReminders) {
    auto& export_ = makeService();
    const std::vector<TodoItem> items{item("One", MarkerKind::todo, TodoStatus::open),
                                      item("Two", MarkerKind::standard, TodoStatus::unknown)};
    await(export_.exportItems(items, QString("First"), std::nullopt));
    const auto mapping = export_.exportedReminderIDs();
    const auto second = await(export_.exportItems(items, QString("Second"), std::nullopt));
    EXPECT_EQ(second.createdCount, 0);
    EXPECT_EQ(second.updatedCount, 2);
    EXPECT_EQ(export_.exportedReminderIDs(), mapping);
    ASSERT_EQ(export_.availableLists().size(), 2);
    const auto first = export_.availableLists()[0];
    EXPECT_EQ(first.title, "First");
    EXPECT_TRUE(filesIn(platform::toStdString(first.id)).empty());
    EXPECT_EQ(filesIn(platform::toStdString(export_.availableLists()[1].id)).size(), 2u);
    for (const auto& todo : todomanList()) EXPECT_EQ(todo.toObject()["list"].toString(), "Second");
}

// The sheet suggests the same name again: the new list takes the first free "NAME n", and todoman
// still reads the folder, each reminder once.
TEST_F(RemindersExportServiceTest, ANewListNeverTakesTheNameOfAListThere) {
    auto& export_ = makeService();
    const std::vector<TodoItem> items{item("One", MarkerKind::todo, TodoStatus::open),
                                      item("Two", MarkerKind::standard, TodoStatus::unknown)};
    EXPECT_EQ(await(export_.exportItems(items, QString("Cut"), std::nullopt)).listTitle, "Cut");
    EXPECT_EQ(await(export_.exportItems(items, QString(" Cut "), std::nullopt)).listTitle, "Cut 2");
    EXPECT_EQ(await(export_.exportItems(items, QString("Cut"), std::nullopt)).listTitle, "Cut 3");
    EXPECT_EQ(await(export_.exportItems(items, QString("Cut 2"), std::nullopt)).listTitle, "Cut 2 2");
    const auto todos = todomanList();
    ASSERT_EQ(todos.size(), 2);
    for (const auto& todo : todos) EXPECT_EQ(todo.toObject()["list"].toString(), "Cut 2 2");
}

TEST_F(RemindersExportServiceTest, ADoneToDoLosesItsPriorityAndKeepsItsFirstCompletionDate) {
    auto& export_ = makeService();
    auto todo = item("Fix", MarkerKind::todo, TodoStatus::open);
    await(export_.exportItems({todo}, QString("L"), std::nullopt));
    const std::string identifier = export_.exportedReminderIDs().at(todo.id);
    platform::ReminderStore reader(root());
    EXPECT_EQ(reader.calendarItemWithIdentifier(identifier).reminder->priority, 1);

    todo.status = TodoStatus::done;
    await(export_.exportItems({todo}, QString("L"), std::nullopt));
    const auto completed = reader.calendarItemWithIdentifier(identifier).reminder;
    EXPECT_EQ(completed->priority, 0);
    ASSERT_TRUE(completed->isCompleted && completed->completionDate);
    EXPECT_LE(std::chrono::abs(*completed->completionDate - std::chrono::system_clock::now()), std::chrono::minutes(5));

    // Stored dates have whole seconds: a rewrite a second later would show a changed date.
    QTest::qWait(1100);
    await(export_.exportItems({todo}, QString("L"), std::nullopt));
    EXPECT_EQ(reader.calendarItemWithIdentifier(identifier).reminder->completionDate, completed->completionDate);
}

TEST_F(RemindersExportServiceTest, AFailedExportLeavesNoTraceForTheNextOne) {
    auto& export_ = makeService();
    const auto kept = item("Kept", MarkerKind::todo, TodoStatus::open);
    await(export_.exportItems({kept}, QString("Kept list"), std::nullopt));
    const auto mappingBefore = export_.exportedReminderIDs();
    const QString keptList = export_.availableLists()[0].id;

    failing->failAt = 3;  // the first export made save 1; this one fails at its second item
    auto failed = export_.exportItems(
        {item("A", MarkerKind::todo, TodoStatus::open), kept, item("B", MarkerKind::todo, TodoStatus::open)},
        QString("Doomed"), std::nullopt);
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed.isFinished(); }, 60000));
    const auto error = testing::thrownBy<platform::ReminderStoreError>([&] { failed.result(); });
    EXPECT_STREQ(error.what(), "The disk is full.");
    EXPECT_EQ(export_.exportedReminderIDs(), mappingBefore);
    EXPECT_EQ(storedMapping(), mappingBefore);

    const auto next =
        await(export_.exportItems({item("C", MarkerKind::todo, TodoStatus::open)}, std::nullopt, keptList));
    EXPECT_EQ(next.createdCount, 1);
    ASSERT_EQ(export_.availableLists().size(), 1) << "the failed export's list was published";
    EXPECT_EQ(filesIn(platform::toStdString(keptList)).size(), 2u);
    EXPECT_EQ(todomanList().size(), 2);
}

TEST_F(RemindersExportServiceTest, ACommitCutShortAtAnyFileLeavesEveryWrittenReminderMapped) {
    const auto a = item("A", MarkerKind::todo, TodoStatus::open);
    const auto b = item("B", MarkerKind::todo, TodoStatus::open);
    const auto c = item("C", MarkerKind::todo, TodoStatus::done);
    // The failing commit writes the new list's title, then A (moved there), B (its old file deleted
    // in Reminders) and C (never exported).
    for (int n = 1; n <= 4; ++n) {
        SCOPED_TRACE("failing at file " + std::to_string(n));
        fs::remove_all(root());
        fs::remove(platform::toPath(mappingPath()));
        auto& export_ = makeService();
        await(export_.exportItems({a, b}, QString("First"), std::nullopt));
        fs::remove(root() / platform::toStdString(export_.availableLists()[0].id) /
                   (export_.exportedReminderIDs().at(b.id) + ".ics"));
        failing->failWriteAt = failing->writes + n;
        failing->beforeFailedWrite = [&] {
            expectAgreement(reminderFiles(), ReminderMappingFile::load(mappingPath()));
        };
        auto failed = export_.exportItems({a, b, c}, QString("Second"), std::nullopt);
        ASSERT_TRUE(QTest::qWaitFor([&] { return failed.isFinished(); }, 60000));
        EXPECT_STREQ(testing::thrownBy<platform::ReminderStoreError>([&] { failed.result(); }).what(),
                     "The disk is full.");
        EXPECT_EQ(storedMapping(), export_.exportedReminderIDs());
        expectAgreement(reminderFiles(), export_.exportedReminderIDs());
        for (const auto& entry : fs::directory_iterator(root())) {
            EXPECT_NE(entry.path().filename().string().front(), '.') << "left behind: " << entry.path();
        }

        const auto next = await(export_.exportItems({a, b, c}, QString("Third"), std::nullopt));
        EXPECT_EQ(next.createdCount, n == 4 ? 1 : 2);
        EXPECT_EQ(reminderFiles().size(), 3u);
        expectAgreement(reminderFiles(), export_.exportedReminderIDs());
        const auto todos = todomanList();
        EXPECT_EQ(todos.size(), 3);
        for (const auto& summary : {"A", "B", "C"}) EXPECT_EQ(bySummary(todos, summary)["list"].toString(), "Third");
    }
}

TEST_F(RemindersExportServiceTest, ExportsAndRefreshesAskedForTogetherEachSeeWhatTheOneBeforeLeft) {
    auto& export_ = makeService();
    const auto a = item("A", MarkerKind::todo, TodoStatus::open);
    const auto b = item("B", MarkerKind::todo, TodoStatus::open);
    auto first = export_.exportItems({a, b}, QString("One"), std::nullopt);
    auto second = export_.exportItems({a, b}, QString("Two"), std::nullopt);
    EXPECT_EQ(await(first).createdCount, 2);
    EXPECT_EQ(await(second).updatedCount, 2);
    EXPECT_EQ(todomanList().size(), 2);

    // B deleted in Reminders: the export makes it anew, and the refresh asked for after it keeps that.
    fs::remove(root() / platform::toStdString(export_.availableLists()[1].id) /
               (export_.exportedReminderIDs().at(b.id) + ".ics"));
    auto again = export_.exportItems({a, b}, std::nullopt, export_.availableLists()[1].id);
    auto refresh = export_.refreshCompletionState();
    EXPECT_EQ(await(again).createdCount, 1);
    await(refresh);
    EXPECT_EQ(export_.exportedReminderIDs().size(), 2u);
    EXPECT_EQ(storedMapping(), export_.exportedReminderIDs());
    expectAgreement(reminderFiles(), export_.exportedReminderIDs());
    EXPECT_EQ(await(export_.exportItems({a, b}, std::nullopt, export_.availableLists()[1].id)).updatedCount, 2);
    EXPECT_EQ(todomanList().size(), 2);
}

TEST_F(RemindersExportServiceTest, RefreshesAskedForWhileOneRunsRunOnceMore) {
    auto& export_ = makeService();
    const auto done = item("Done", MarkerKind::todo, TodoStatus::done);
    await(export_.exportItems({done, item("Open", MarkerKind::todo, TodoStatus::open)}, QString("L"), std::nullopt));
    failing->lookups = 0;
    // The first refresh's lookup waits until every refresh was asked for: else a busy machine may
    // finish it between two asks.
    std::promise<void> asked;
    failing->beforeLookup = [askedAll = asked.get_future().share()] { askedAll.wait(); };
    std::vector<QFuture<void>> refreshes;
    for (int i = 0; i < 10; ++i) refreshes.push_back(export_.refreshCompletionState());
    asked.set_value();
    for (auto& refresh : refreshes) await(refresh);
    EXPECT_EQ(failing->lookups, 2);
    EXPECT_EQ(export_.completedInReminders(), ReminderIDSet{done.id});
}

// Out of file descriptors, no list folder can be listed: that says nothing about the reminders in
// them, so the refresh drops no entry and the export makes none of them again.
TEST_F(RemindersExportServiceTest, ListsThatCannotBeListedLoseNoEntryAndNothingIsMadeTwice) {
    auto& export_ = makeService();
    const std::vector<TodoItem> items{item("A", MarkerKind::todo, TodoStatus::open),
                                      item("B", MarkerKind::todo, TodoStatus::done),
                                      item("C", MarkerKind::todo, TodoStatus::open)};
    await(export_.exportItems(items, QString("L"), std::nullopt));
    const auto mapping = export_.exportedReminderIDs();
    const QString list = export_.availableLists()[0].id;

    std::vector<std::string> logged;
    const platform::systemlog::Capture capture([&](std::string_view line) { logged.emplace_back(line); });
    failing->lookupsRunOutOfDescriptors = true;
    await(export_.refreshCompletionState());
    EXPECT_EQ(export_.exportedReminderIDs(), mapping);
    EXPECT_EQ(storedMapping(), mapping);
    EXPECT_EQ(export_.completedInReminders(), ReminderIDSet{items[1].id}) << "the last mark known stays";
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0],
              "[RemindersExport] 3 exported reminders could not be read and keep their entries: Could not list " +
                  root().string() + ": Too many open files");
    await(export_.refreshCompletionState());
    EXPECT_EQ(logged.size(), 1u) << "the same reason is logged once";

    const auto untouched = await(export_.exportItems(items, std::nullopt, list));
    EXPECT_EQ(untouched.createdCount + untouched.updatedCount, 0);
    EXPECT_EQ(untouched.untouchedCount, 3);
    EXPECT_EQ(untouched.untouchedReason,
              QString::fromStdString("Could not list " + root().string() + ": Too many open files"));
    EXPECT_EQ(export_.exportedReminderIDs(), mapping);
    EXPECT_EQ(reminderFiles().size(), 3u);

    failing->lookupsRunOutOfDescriptors = false;
    EXPECT_EQ(await(export_.exportItems(items, std::nullopt, list)).updatedCount, 3);
    EXPECT_EQ(todomanList().size(), 3);
}

// The commit runs out of descriptors after C's new file landed, and so does the look at what
// landed: C keeps its entry, and the next export updates C instead of making it twice.
TEST_F(RemindersExportServiceTest, ACommitOutOfDescriptorsKeepsTheEntriesOfWhatMayHaveLanded) {
    auto& export_ = makeService();
    const auto a = item("A", MarkerKind::todo, TodoStatus::open);
    const auto b = item("B", MarkerKind::todo, TodoStatus::open);
    const auto c = item("C", MarkerKind::todo, TodoStatus::open);
    await(export_.exportItems({a, b}, QString("First"), std::nullopt));
    // The new list's title, C, then A.
    failing->runOutOfDescriptorsAtWrite = failing->writes + 3;
    failing->descriptorsBackAfterLookup = true;
    auto failed = export_.exportItems({c, a, b}, QString("Second"), std::nullopt);
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed.isFinished(); }, 60000));
    failing->exhausted.reset();
    EXPECT_THROW(failed.waitForFinished(), platform::ReminderStoreError);
    EXPECT_TRUE(export_.exportedReminderIDs().contains(c.id));

    const auto next = await(export_.exportItems({c, a, b}, QString("Third"), std::nullopt));
    EXPECT_EQ(next.createdCount, 0);
    EXPECT_EQ(reminderFiles().size(), 3u);
    expectAgreement(reminderFiles(), export_.exportedReminderIDs());
    EXPECT_EQ(todomanList().size(), 3);
}

// A refresh whose work throws ends, and so does the one asked for meanwhile; the next one runs.
TEST_F(RemindersExportServiceTest, ARefreshWhoseWorkFailsStillEnds) {
    auto& export_ = makeService();
    const auto done = item("Done", MarkerKind::todo, TodoStatus::done);
    await(export_.exportItems({done}, QString("L"), std::nullopt));
    std::vector<std::string> logged;
    const platform::systemlog::Capture capture([&](std::string_view line) { logged.emplace_back(line); });
    failing->beforeLookup = [] { throw std::runtime_error("out of memory"); };
    auto first = export_.refreshCompletionState();
    auto joined = export_.refreshCompletionState();
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.isFinished() && joined.isFinished(); }, 10000));
    EXPECT_THROW(first.waitForFinished(), std::runtime_error);
    EXPECT_THROW(joined.waitForFinished(), std::runtime_error);
    EXPECT_EQ(logged,
              std::vector<std::string>{"[RemindersExport] The completion state could not be refreshed: out of memory"});
    failing->beforeLookup = nullptr;
    failing->lookups = 0;
    await(export_.refreshCompletionState());
    EXPECT_EQ(failing->lookups, 1);
    EXPECT_EQ(export_.completedInReminders(), ReminderIDSet{done.id});
}

TEST_F(RemindersExportServiceTest, AReminderFileThatCannotBeParsedKeepsItsEntryAndIsRewrittenInPlace) {
    auto& export_ = makeService();
    const auto garbled = item("Garbled", MarkerKind::todo, TodoStatus::open);
    const auto huge = item("Huge", MarkerKind::todo, TodoStatus::open);
    const auto deleted = item("Deleted", MarkerKind::todo, TodoStatus::open);
    await(export_.exportItems({garbled, huge, deleted}, QString("L"), std::nullopt));
    const auto list = platform::toStdString(export_.availableLists()[0].id);
    const auto fileOf = [&](const TodoItem& todo) {
        return root() / list / (export_.exportedReminderIDs().at(todo.id) + ".ics");
    };
    const auto garbledFile = fileOf(garbled), hugeFile = fileOf(huge);
    std::ofstream(garbledFile, std::ios::binary | std::ios::trunc) << "BEGIN:VCALENDAR\r\nBEGIN:VTO";
    fs::resize_file(hugeFile, std::uintmax_t{17} * 1024 * 1024);  // beyond what the store reads
    fs::remove(fileOf(deleted));

    await(export_.refreshCompletionState());
    EXPECT_TRUE(export_.exportedReminderIDs().contains(garbled.id));
    EXPECT_TRUE(export_.exportedReminderIDs().contains(huge.id));
    EXPECT_FALSE(export_.exportedReminderIDs().contains(deleted.id));

    const auto again =
        await(export_.exportItems({garbled, huge, deleted}, std::nullopt, export_.availableLists()[0].id));
    EXPECT_EQ(again.updatedCount, 2);
    EXPECT_EQ(again.createdCount, 1);
    EXPECT_EQ(fileOf(garbled), garbledFile);
    EXPECT_EQ(fileOf(huge), hugeFile);
    EXPECT_EQ(reminderFiles().size(), 3u);
    const auto todos = todomanList();
    EXPECT_EQ(todos.size(), 3);
    EXPECT_EQ(bySummary(todos, "Garbled")["priority"].toInt(), 1);
    bySummary(todos, "Huge");
}

TEST_F(RemindersExportServiceTest, ReexportKeepsWhatOtherClientsSet) {
    auto& export_ = makeService();
    auto grade = item("Grade", MarkerKind::todo, TodoStatus::open);
    const auto mix = item("Mix", MarkerKind::todo, TodoStatus::open);
    await(export_.exportItems({grade, mix}, QString("L"), std::nullopt));
    const QString gradeID = QString::number(bySummary(todomanList(), "Grade")["id"].toInt());
    todoman({"edit", gradeID, "--due", "2031-03-04", "--location", "Suite 4"});
    todoman({"done", gradeID});
    // A phone marked Mix as in progress.
    const auto mixFile = root() / platform::toStdString(export_.availableLists()[0].id) /
                         (export_.exportedReminderIDs().at(mix.id) + ".ics");
    std::string text = [&] {
        std::ifstream stream(mixFile, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(stream), {});
    }();
    const auto status = text.find("STATUS:NEEDS-ACTION");
    ASSERT_NE(status, std::string::npos) << text;
    text.replace(status, std::strlen("STATUS:NEEDS-ACTION"), "STATUS:IN-PROCESS\r\nPERCENT-COMPLETE:40");
    std::ofstream(mixFile, std::ios::binary | std::ios::trunc) << text;
    const auto edited = bySummary(todomanList(), "Grade");

    grade.text = "Grade again";
    await(export_.exportItems({grade, mix}, std::nullopt, export_.availableLists()[0].id));
    const auto todos = todomanList();
    const auto regraded = bySummary(todos, "Grade again");
    EXPECT_EQ(regraded["due"], edited["due"]);
    EXPECT_EQ(regraded["location"].toString(), "Suite 4");
    EXPECT_TRUE(regraded["completed"].toBool());
    EXPECT_EQ(regraded["completed_at"], edited["completed_at"]);
    EXPECT_EQ(regraded["priority"].toInt(), 1);
    const auto inProgress = bySummary(todos, "Mix");
    EXPECT_EQ(inProgress["percent"].toInt(), 40);
    EXPECT_FALSE(inProgress["completed"].toBool());
    EXPECT_EQ(export_.completedInReminders(), ReminderIDSet{grade.id});
}

TEST_F(RemindersExportServiceTest, RefusalsAndListTitles) {
    auto& export_ = makeService();
    auto empty = export_.exportItems({}, QString("x"), std::nullopt);
    ASSERT_TRUE(QTest::qWaitFor([&] { return empty.isFinished(); }, 60000));
    EXPECT_EQ(testing::thrownBy<ExportError>([&] { empty.result(); }).kind(), ExportError::Kind::nothingToExport);
    EXPECT_FALSE(fs::exists(root())) << "access was requested for nothing";

    auto unknown = export_.exportItems({item("x", MarkerKind::todo, TodoStatus::open)}, QString("t"), QString("nope"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return unknown.isFinished(); }, 60000));
    EXPECT_EQ(testing::thrownBy<ExportError>([&] { unknown.result(); }).kind(), ExportError::Kind::listNotFound);
    EXPECT_EQ(export_.authorizationStatus(), platform::ReminderAuthorizationStatus::fullAccess);

    const auto blank =
        await(export_.exportItems({item("x", MarkerKind::todo, TodoStatus::open)}, QString(" \t\n"), std::nullopt));
    EXPECT_EQ(blank.listTitle, "QuilloToDo");
    ASSERT_EQ(export_.availableLists().size(), 1) << "the lists are reloaded before the export ends";
    const auto existing = await(export_.exportItems({item("y", MarkerKind::todo, TodoStatus::open)}, QString("ignored"),
                                                    export_.availableLists()[0].id));
    EXPECT_EQ(existing.listTitle, "QuilloToDo");
    EXPECT_EQ(export_.availableLists().size(), 1);
}

// A mapping still in the settings moves to its own file at the first start that finds it, under the
// entries the file has; only then does it leave the settings. Both files are read back by another
// process. Without access, a refresh empties the marks but keeps the mapping.
TEST_F(RemindersExportServiceTest, AMappingKeptInTheSettingsMovesToItsOwnFileOnce) {
    const auto settingsOnly = platform::UUID::random(), both = platform::UUID::random(),
               fileOnly = platform::UUID::random();
    const auto text = [](const platform::UUID& id) { return platform::toQString(std::string_view(id.uuidString())); };
    defaults.setValue(
        ReminderMappingFile::kSettingsKey,
        QVariantMap{{text(settingsOnly).toLower(), "R1"}, {text(both), "R2-settings"}, {"not-a-uuid", "R"}});
    defaults.setValue("windowGlassDarkness", 0.5);
    defaults.sync();
    ReminderMappingFile::save(mappingPath(), {{both, "R2"}, {fileOnly, "R3"}});

    auto& export_ = makeService();
    const ReminderMapping moved{{settingsOnly, "R1"}, {both, "R2"}, {fileOnly, "R3"}};
    ASSERT_TRUE(QTest::qWaitFor([&] { return export_.exportedReminderIDs() == moved; }, 10000));
    EXPECT_EQ(storedMapping(), moved);
    const QByteArray settings = readByAnotherProcess(defaults.fileName());
    EXPECT_FALSE(settings.contains("RemindersExport")) << settings.toStdString();
    EXPECT_TRUE(settings.contains("windowGlassDarkness=0.5")) << settings.toStdString();

    await(export_.refreshCompletionState());
    EXPECT_TRUE(export_.completedInReminders().empty());
    EXPECT_EQ(export_.exportedReminderIDs(), moved);

    // A value there that is no dictionary of texts adds nothing, and goes.
    defaults.setValue(ReminderMappingFile::kSettingsKey, QVariantMap{{text(settingsOnly), 7}});
    defaults.sync();
    auto& again = makeService();
    await(again.refreshCompletionState());
    EXPECT_EQ(again.exportedReminderIDs(), moved);
    EXPECT_FALSE(readByAnotherProcess(defaults.fileName()).contains("RemindersExport"));
}

// A mapping file that cannot be read is never taken for an empty one: exports stop before anything is
// written, the file and the settings' copy stay as they are, and the next export tries again.
TEST_F(RemindersExportServiceTest, AMappingFileThatCannotBeReadStopsEveryExportUntilItCanBe) {
    fs::create_directories(platform::toPath(mappingPath()).parent_path());
    std::ofstream(platform::toPath(mappingPath())) << "{\"not\": ";
    defaults.setValue(ReminderMappingFile::kSettingsKey, QVariantMap{{"8C2A5B7E-0E43-4C1A-9B4E-3B8E1B0C7D11", "R"}});
    defaults.sync();
    auto& export_ = makeService();
    const auto todo = item("A", MarkerKind::todo, TodoStatus::open);
    auto refused = export_.exportItems({todo}, QString("L"), std::nullopt);
    ASSERT_TRUE(QTest::qWaitFor([&] { return refused.isFinished(); }, 60000));
    const auto error = testing::thrownBy<ReminderMappingError>([&] { refused.waitForFinished(); });
    EXPECT_TRUE(QString(error.what()).startsWith("The record of exported reminders " + mappingPath() + " is damaged ("))
        << error.what();
    EXPECT_EQ(readByAnotherProcess(mappingPath()), "{\"not\": ");
    EXPECT_TRUE(readByAnotherProcess(defaults.fileName()).contains("RemindersExport"));
    EXPECT_TRUE(reminderFiles().empty());
    EXPECT_TRUE(export_.availableLists().isEmpty());

    fs::remove(platform::toPath(mappingPath()));  // the user moved it away
    EXPECT_EQ(await(export_.exportItems({todo}, QString("L"), std::nullopt)).createdCount, 1);
    // The settings' entry was moved, and then dropped by the refresh: its reminder does not exist.
    EXPECT_EQ(storedMapping(), export_.exportedReminderIDs());
    EXPECT_EQ(storedMapping().size(), 1u);
    EXPECT_FALSE(readByAnotherProcess(defaults.fileName()).contains("RemindersExport"));
    EXPECT_EQ(todomanList().size(), 1);
}

// A save that fails (the data folder would lie inside a file; no descriptor left) ends the export
// with an error naming the file before any reminder is written, and the saved mapping is unchanged.
TEST_F(RemindersExportServiceTest, AMappingThatCannotBeSavedStopsTheExportBeforeAnyFileIsWritten) {
    std::ofstream(directory.path() / "data") << "a file where the data folder should be";
    auto& export_ = makeService();
    auto refused = export_.exportItems({item("A", MarkerKind::todo, TodoStatus::open)}, QString("L"), std::nullopt);
    ASSERT_TRUE(QTest::qWaitFor([&] { return refused.isFinished(); }, 60000));
    EXPECT_STREQ(testing::thrownBy<ReminderMappingError>([&] { refused.waitForFinished(); }).what(),
                 ("Could not save the record of exported reminders: Could not create the folder " +
                  (directory.path() / "data").string() + ": Not a directory.")
                     .c_str());
    EXPECT_TRUE(reminderFiles().empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(root()), fs::directory_iterator()), 0) << "a list was made";

    fs::remove(directory.path() / "data");
    const auto first = item("First", MarkerKind::todo, TodoStatus::open);
    await(export_.exportItems({first}, QString("L"), std::nullopt));
    const auto saved = storedMapping();
    failing->beforeLookup = [this] { failing->exhausted.emplace(); };
    auto failed = export_.exportItems({item("B", MarkerKind::todo, TodoStatus::open)}, std::nullopt,
                                      export_.availableLists()[0].id);
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed.isFinished(); }, 60000));
    failing->exhausted.reset();
    failing->beforeLookup = nullptr;
    EXPECT_TRUE(QString(testing::thrownBy<ReminderMappingError>([&] { failed.waitForFinished(); }).what())
                    .endsWith(": Too many open files."));
    EXPECT_EQ(storedMapping(), saved);
    EXPECT_EQ(export_.exportedReminderIDs(), saved);
    EXPECT_EQ(reminderFiles().size(), 1u);
    EXPECT_EQ(await(export_.exportItems({first}, std::nullopt, export_.availableLists()[0].id)).updatedCount, 1);
    EXPECT_EQ(todomanList().size(), 1);
}

// Later launches as real processes, stopped by permission bits as a user is (as root they run as
// nobody, who then owns the folders): each sees only what the one before saved.
class LaterLaunchTest : public RemindersExportServiceTest {
protected:
    void SetUp() override {
        fs::create_directories(platform::toPath(mappingPath()).parent_path());
        fs::create_directories(configFolder());
        if (::geteuid() == 0) {
            for (const auto& path : {directory.path(), directory.path() / "data", configFolder()})
                ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
        }
    }
    fs::path configFolder() const { return directory.path() / "config"; }
    QString settingsFile() const { return platform::toQString(configFolder() / "QuilloToDo.conf"); }
    // The to-do `text` with an id that stays the same from launch to launch.
    static QString todo(const QString& text) {
        const QByteArray hash = QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex();
        return QString::fromLatin1(hash).insert(20, '-').insert(16, '-').insert(12, '-').insert(8, '-').toUpper() +
               '=' + text;
    }
    static platform::UUID idOf(const QString& todo) {
        return *platform::UUID::parse(platform::toStdString(todo.section('=', 0, 0)));
    }
    // What the later launch printed.
    // What the later launch printed; `wrapper` is a program it runs under, with its arguments.
    std::string launch(const QStringList& todos, QStringList wrapper = {}) {
        QStringList arguments = QStringList{settingsFile(), mappingPath(), platform::toQString(root())} + todos;
        QString program = REMINDERS_EXPORT_PROCESS;
        if (!wrapper.isEmpty()) {
            arguments = wrapper.mid(1) + QStringList{program} + arguments;
            program = wrapper.front();
        }
        QProcess process;
        if (!wrapper.isEmpty()) {
            // LeakSanitizer cannot work in a traced process; the launches that are not traced check leaks.
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            const QString options = environment.value("ASAN_OPTIONS");
            environment.insert("ASAN_OPTIONS", options + (options.isEmpty() ? "" : ":") + "detect_leaks=0");
            process.setProcessEnvironment(environment);
        }
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return process.readAllStandardOutput().trimmed().toStdString();
    }
};

// A mapping that cannot be saved (a read-only data folder) or read (a file without permission) ends
// the export with an error before any reminder is written; the saved mapping stays as it was.
TEST_F(LaterLaunchTest, AMappingThatCannotBeSavedOrReadStopsTheExportBeforeAnyReminderIsWritten) {
    const QString a = todo("A"), b = todo("B"), c = todo("C");
    EXPECT_EQ(launch({a, b}), "created=2 updated=0 untouched=0");
    const QByteArray saved = readByAnotherProcess(mappingPath());
    ASSERT_EQ(storedMapping().size(), 2u);

    fs::permissions(directory.path() / "data", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(launch({a, b, c}), "error: Could not save the record of exported reminders: Could not write " +
                                     platform::toStdString(mappingPath()) + ": Permission denied.");
    EXPECT_EQ(readByAnotherProcess(mappingPath()), saved);
    EXPECT_EQ(reminderFiles().size(), 2u);
    fs::permissions(directory.path() / "data", fs::perms::owner_all);

    fs::permissions(platform::toPath(mappingPath()), fs::perms::none);
    EXPECT_EQ(launch({a, b, c}), "error: The record of exported reminders " + platform::toStdString(mappingPath()) +
                                     " could not be read: Permission denied.");
    EXPECT_EQ(readByAnotherProcess(mappingPath()), saved);
    EXPECT_EQ(reminderFiles().size(), 2u);
    fs::permissions(platform::toPath(mappingPath()), fs::perms::owner_read | fs::perms::owner_write);

    EXPECT_EQ(launch({a, b, c}), "created=1 updated=2 untouched=0");
    EXPECT_EQ(todomanList().size(), 3);
    EXPECT_EQ(storedMapping().size(), 3u);
}

// A read-only configuration folder keeps a mapping of an older version in the settings: it still
// moves to its own file, is merged again at each launch, and no reminder is made twice. A reminder
// file that cannot be opened is left as it is, keeps its entry and is counted as untouched.
TEST_F(LaterLaunchTest, AReadOnlyConfigurationFolderAndAFileThatCannotBeOpenedDoubleNothing) {
    const QString a = todo("A"), b = todo("B");
    EXPECT_EQ(launch({a, b}), "created=2 updated=0 untouched=0");
    const ReminderMapping mapping = storedMapping();
    {
        QSettings older(settingsFile(), QSettings::IniFormat);
        QVariantMap dictionary;
        for (const auto& [id, identifier] : mapping)
            dictionary.insert(platform::toQString(std::string_view(id.uuidString())),
                              platform::toQString(std::string_view(identifier)));
        older.setValue(ReminderMappingFile::kSettingsKey, dictionary);
    }
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(platform::toPath(settingsFile()).c_str(), 65534, 65534), 0);
    }
    fs::remove(platform::toPath(mappingPath()));
    fs::permissions(configFolder(), fs::perms::owner_read | fs::perms::owner_exec);

    EXPECT_EQ(launch({a, b}), "created=0 updated=2 untouched=0");
    EXPECT_EQ(storedMapping(), mapping);
    EXPECT_TRUE(readByAnotherProcess(settingsFile()).contains("RemindersExport")) << "it could not be removed";

    const fs::path fileOfA = [&] {
        for (const auto& file : reminderFiles())
            if (file.stem() == mapping.at(idOf(a))) return file;
        return fs::path();
    }();
    const QByteArray before = readByAnotherProcess(platform::toQString(fileOfA));
    fs::permissions(fileOfA, fs::perms::none);
    EXPECT_EQ(launch({a, b}), "created=0 updated=1 untouched=1");
    EXPECT_EQ(readByAnotherProcess(platform::toQString(fileOfA)), before);
    EXPECT_EQ(storedMapping(), mapping);
    fs::permissions(fileOfA, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(todomanList().size(), 2);
    fs::permissions(configFolder(), fs::perms::owner_all);
}

// Every rename an export makes is followed by a sync of each folder it changed, so that a crash
// cannot take back a reminder the export reported: strace records a first export into a new list and
// a second one that moves the reminders into another.
TEST_F(LaterLaunchTest, EveryRenameIsFollowedByASyncOfTheFoldersItChanged) {
    const QStringList todos{todo("A"), todo("B")};
    const QRegularExpression renamed(
        R"re(^\d+ +rename(?:at2?)?\((?:AT_FDCWD, )?"([^"]+)", (?:AT_FDCWD, )?"([^"]+)".*\) = 0$)re");
    const QRegularExpression synced(R"re(^\d+ +fsync\(\d+<([^>]+)>\) = 0$)re");
    for (const QString run : {"first", "moving"}) {
        SCOPED_TRACE(run.toStdString());
        const QString trace = platform::toQString(directory.path()) + '/' + run + ".strace";
        EXPECT_EQ(
            launch(todos, {"strace", "-f", "-qq", "-y", "-e", "trace=rename,renameat,renameat2,fsync", "-o", trace}),
            run == "first" ? "created=2 updated=0 untouched=0" : "created=0 updated=2 untouched=0");
        const QStringList lines = QString::fromUtf8(readByAnotherProcess(trace)).split('\n');
        int renames = 0;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const auto match = renamed.match(lines[i]);
            if (!match.hasMatch()) continue;
            ++renames;
            for (const QString& path : {match.captured(1), match.captured(2)}) {
                const QString folder = path.section('/', 0, -2);
                const bool later = std::any_of(lines.begin() + i, lines.end(), [&](const QString& line) {
                    const auto sync = synced.match(line);
                    return sync.hasMatch() && sync.captured(1) == folder;
                });
                EXPECT_TRUE(later) << folder.toStdString() << " is not synced after " << lines[i].toStdString();
            }
        }
        // The mapping, the new list's title, the list itself and two reminders, moved in the second run.
        EXPECT_GE(renames, run == "first" ? 5 : 7);
    }
    EXPECT_EQ(todomanList().size(), 2);
}

TEST(ReminderTexts, TitlesNotesAndSuggestedListNames) {
    auto marker = item("Trim", MarkerKind::standard, TodoStatus::unknown);
    EXPECT_EQ(RemindersExportService::reminderTitle(marker), "Trim");
    marker.assigneeName = "";
    EXPECT_EQ(RemindersExportService::reminderTitle(marker), "Trim");
    marker.assigneeName = "Bo";
    EXPECT_EQ(RemindersExportService::reminderTitle(marker), "Bo: Trim");
    EXPECT_EQ(RemindersExportService::reminderNotes(marker).count('\n'), 1);
    marker.roleName = "Dialogue";
    marker.chapterNote = "note";
    EXPECT_EQ(
        RemindersExportService::reminderNotes(marker).split('\n'),
        (QStringList{"Feature › " + platform::toQString(std::string_view(marker.eventName)) + " › Reel 1 @ 00:00:01:00",
                     "Role: Dialogue", "note", "From QuilloToDo (Standard)"}));

    auto other = item("x", MarkerKind::todo, TodoStatus::open);
    EXPECT_EQ(RemindersExportService::suggestedListTitle({marker, other}), "Reel 1 – To-Dos");
    other.timelineName = "Reel 2";
    EXPECT_EQ(RemindersExportService::suggestedListTitle({marker, other}), "Feature – To-Dos");
    other.libraryName = "Trailer";
    EXPECT_TRUE(RemindersExportService::suggestedListTitle({marker, other}).startsWith("QuilloToDo – "));
    EXPECT_TRUE(RemindersExportService::suggestedListTitle({}).startsWith("QuilloToDo – "));
}

}  // namespace
}  // namespace quillo
