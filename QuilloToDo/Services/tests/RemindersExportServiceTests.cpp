#include "QuilloToDo/Services/ExportError.h"
#include "QuilloToDo/Services/RemindersExportService.h"

#include "Platform/QtBridge/QtText.h"
#include "Platform/Reminders/ReminderStore.h"
#include "Platform/Reminders/ReminderStoreError.h"
#include "testing/TemporaryDirectory.h"
#include "testing/Thrown.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

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
    // Called where the failing write would have begun: what the disk holds if the process died there.
    std::function<void()> beforeFailedWrite;

    void saveReminder(const platform::Reminder& reminder) override {
        if (++saves == failAt) throw platform::ReminderStoreError("The disk is full.");
        ReminderStore::saveReminder(reminder);
    }
    std::vector<std::optional<platform::Reminder>> calendarItemsWithIdentifiers(
        const std::vector<std::string>& identifiers) const override {
        ++lookups;
        if (beforeLookup) beforeLookup();
        return ReminderStore::calendarItemsWithIdentifiers(identifiers);
    }

protected:
    void writeFile(const fs::path& target, std::string_view bytes) override {
        if (++writes == failWriteAt) {
            if (beforeFailedWrite) beforeFailedWrite();
            throw platform::ReminderStoreError("The disk is full.");
        }
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
        service = std::make_unique<RemindersExportService>(&defaults, std::move(store));
        return *service;
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
    EXPECT_EQ(ReminderMappingStore::load(defaults), export_.exportedReminderIDs());

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
    EXPECT_EQ(ReminderMappingStore::load(defaults), export_.exportedReminderIDs());

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
    EXPECT_EQ(reader.calendarItemWithIdentifier(identifier)->priority, 1);

    todo.status = TodoStatus::done;
    await(export_.exportItems({todo}, QString("L"), std::nullopt));
    const auto completed = reader.calendarItemWithIdentifier(identifier);
    EXPECT_EQ(completed->priority, 0);
    ASSERT_TRUE(completed->isCompleted && completed->completionDate);
    EXPECT_LE(std::chrono::abs(*completed->completionDate - std::chrono::system_clock::now()), std::chrono::minutes(5));

    // Stored dates have whole seconds: a rewrite a second later would show a changed date.
    QTest::qWait(1100);
    await(export_.exportItems({todo}, QString("L"), std::nullopt));
    EXPECT_EQ(reader.calendarItemWithIdentifier(identifier)->completionDate, completed->completionDate);
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
    EXPECT_EQ(ReminderMappingStore::load(defaults), mappingBefore);

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
        defaults.clear();
        auto& export_ = makeService();
        await(export_.exportItems({a, b}, QString("First"), std::nullopt));
        fs::remove(root() / platform::toStdString(export_.availableLists()[0].id) /
                   (export_.exportedReminderIDs().at(b.id) + ".ics"));
        failing->failWriteAt = failing->writes + n;
        failing->beforeFailedWrite = [&] {
            QSettings stored(defaults.fileName(), QSettings::IniFormat);
            expectAgreement(reminderFiles(), ReminderMappingStore::load(stored));
        };
        auto failed = export_.exportItems({a, b, c}, QString("Second"), std::nullopt);
        ASSERT_TRUE(QTest::qWaitFor([&] { return failed.isFinished(); }, 60000));
        EXPECT_STREQ(testing::thrownBy<platform::ReminderStoreError>([&] { failed.result(); }).what(),
                     "The disk is full.");
        EXPECT_EQ(ReminderMappingStore::load(defaults), export_.exportedReminderIDs());
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
    EXPECT_EQ(ReminderMappingStore::load(defaults), export_.exportedReminderIDs());
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

TEST_F(RemindersExportServiceTest, AReminderWhoseFileCannotBeReadKeepsItsEntryAndIsRewrittenInPlace) {
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
    const auto existing = await(export_.exportItems({item("y", MarkerKind::todo, TodoStatus::open)}, QString("ignored"),
                                                    export_.availableLists()[0].id));
    EXPECT_EQ(existing.listTitle, "QuilloToDo");
    EXPECT_EQ(export_.availableLists().size(), 1);
}

TEST_F(RemindersExportServiceTest, WithoutAccessARefreshEmptiesTheMarksButKeepsTheMapping) {
    const auto id = platform::UUID::random();
    defaults.setValue(
        ReminderMappingStore::kKey,
        QVariantMap{{platform::toQString(std::string_view(id.uuidString())).toLower(), "R1"}, {"not-a-uuid", "R2"}});
    auto& export_ = makeService();
    EXPECT_EQ(export_.exportedReminderIDs(), (ReminderMapping{{id, "R1"}}));
    await(export_.refreshCompletionState());
    EXPECT_TRUE(export_.completedInReminders().empty());
    EXPECT_EQ(export_.exportedReminderIDs().size(), 1u);

    defaults.setValue(ReminderMappingStore::kKey,
                      QVariantMap{{platform::toQString(std::string_view(id.uuidString())), 7}});
    EXPECT_TRUE(ReminderMappingStore::load(defaults).empty());
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
