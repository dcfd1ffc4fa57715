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

// Fails its n-th reminder save (counted from 1), as a store that runs out of room would.
class FailingStore : public platform::ReminderStore {
public:
    using ReminderStore::ReminderStore;
    int failAt = 0;
    void saveReminder(const platform::Reminder& reminder) override {
        if (++saves == failAt) throw platform::ReminderStoreError("The disk is full.");
        ReminderStore::saveReminder(reminder);
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
