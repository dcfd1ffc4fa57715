#include "QuilloToDo/Controllers/IndexController.h"

#include "AwaitFuture.h"
#include "testing/LibraryBuilder.h"

#include <QPromise>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;
using namespace quillo;
using quillo::testing::LibraryBuilder;
using quillo::testing::MarkerType;
using quillo::testing::TemporaryDirectory;

namespace {

// A library with `timelines` timelines of two markers each, texts tagged with the library's name.
ScannedLibrarySource library(const fs::path& directory, const std::string& name, int timelines = 2) {
    LibraryBuilder builder(directory, name);
    auto& event = builder.event("Day 1");
    for (int i = 0; i < timelines; ++i) {
        auto timeline = event.sequence(name + " cut " + std::to_string(i));
        timeline.clip("Interview", 0.0, 10.0)
            .marker("@Ann " + name + " fix " + std::to_string(i), MarkerType::todo, 1.0, {.completed = false})
            .marker(name + " chapter", MarkerType::chapter, 2.0);
    }
    return {builder.finish(), name, name + "-bookmark"};
}

std::vector<std::string> timelineNames(const SidebarStructure& structure) {
    std::vector<std::string> names;
    for (const auto& library : structure)
        for (const auto& event : library.events)
            for (const auto& timeline : event.timelines) names.push_back(timeline.name);
    return names;
}

// Records the order in which the controller's properties change.
std::shared_ptr<std::vector<std::string>> recordChanges(IndexController& index) {
    auto changes = std::make_shared<std::vector<std::string>>();
    QObject::connect(&index, &IndexController::isRefreshingChanged, &index,
                     [&index, changes] { changes->push_back(index.isRefreshing() ? "refreshing" : "idle"); });
    QObject::connect(&index, &IndexController::structureChanged, &index,
                     [changes] { changes->push_back("structure"); });
    QObject::connect(&index, &IndexController::itemsChanged, &index, [changes] { changes->push_back("items"); });
    QObject::connect(&index, &IndexController::lastRefreshDateChanged, &index,
                     [changes] { changes->push_back("date"); });
    return changes;
}

// A named pipe where an event database should be: reading the library stops at it until release()
// lets it through; from then on the event is a file that is not a database.
class Gate {
public:
    explicit Gate(fs::path path) : path_(std::move(path)) {
        fs::create_directories(path_.parent_path());
        EXPECT_EQ(::mkfifo(path_.c_str(), 0600), 0);
    }
    ~Gate() { release(); }

    void release() {
        if (released_) return;
        released_ = true;
        // Opening the writing end succeeds once a reader waits on the other.
        int writer = -1;
        for (int attempt = 0; attempt < 6000 && writer < 0; ++attempt) {
            writer = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
            if (writer < 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_GE(writer, 0) << "nothing read the gated library";
        fs::remove(path_);
        std::ofstream(path_) << "This is not an SQLite database.\n";
        ::close(writer);
    }

private:
    fs::path path_;
    bool released_ = false;
};

}  // namespace

TEST(IndexController, ARefreshPublishesStructureItemsDateThenIdle) {
    TemporaryDirectory dir;
    const std::vector<ScannedLibrarySource> sources{library(dir.path(), "Feature"),
                                                    {dir.path() / "Missing.fcpbundle", "Missing", "m"},
                                                    library(dir.path(), "Trailer", 3)};
    IndexController index;
    const auto changes = recordChanges(index);

    ASSERT_TRUE(test::awaitFuture(index.refresh(sources)));
    EXPECT_EQ(*changes, (std::vector<std::string>{"refreshing", "structure", "items", "date", "idle"}));
    EXPECT_EQ(index.items(), TodoScanner(1).scan(sources));  // the serial scan's items and order
    EXPECT_EQ(index.items().size(), 10U);
    EXPECT_EQ(timelineNames(index.structure()).size(), 5U);
    ASSERT_TRUE(index.lastRefreshDate());

    // The same items again notify nobody; the structure notifies at every assignment.
    changes->clear();
    ASSERT_TRUE(test::awaitFuture(index.refresh(sources)));
    EXPECT_EQ(std::count(changes->begin(), changes->end(), "items"), 0);
    EXPECT_EQ(std::count(changes->begin(), changes->end(), "structure"), 1);
    EXPECT_FALSE(index.isRefreshing());
    EXPECT_EQ(index.lastRefreshError(), std::nullopt);
}

TEST(IndexController, RefreshesWithoutReadableLibraries) {
    TemporaryDirectory dir;
    IndexController index;
    const auto changes = recordChanges(index);

    // Nothing to read: the lists are emptied (already empty: no notice) and nothing else moves.
    ASSERT_TRUE(test::awaitFuture(index.refresh({})));
    EXPECT_EQ(*changes, (std::vector<std::string>{"structure"}));
    EXPECT_EQ(index.lastRefreshDate(), std::nullopt);

    // Libraries that cannot be read still make a refresh that ends with a date.
    ASSERT_TRUE(test::awaitFuture(index.refresh({{dir.path() / "Missing.fcpbundle", "Missing", "m"}})));
    EXPECT_TRUE(index.items().empty());
    EXPECT_TRUE(timelineNames(index.structure()).empty());  // the scanner lists a missing bundle bare
    EXPECT_TRUE(index.lastRefreshDate());
    EXPECT_FALSE(index.isRefreshing());

    ASSERT_TRUE(test::awaitFuture(index.refresh({library(dir.path(), "Feature")})));
    changes->clear();
    const auto date = index.lastRefreshDate();
    ASSERT_TRUE(test::awaitFuture(index.refresh({})));
    EXPECT_EQ(*changes, (std::vector<std::string>{"items", "structure"}));
    EXPECT_TRUE(index.items().empty());
    EXPECT_EQ(index.lastRefreshDate(), date);
}

TEST(IndexController, AnOlderRefreshThatEndsLaterPublishesNothing) {
    TemporaryDirectory dir;
    const ScannedLibrarySource slow = library(dir.path(), "Slow");
    Gate gate(slow.url / "Stuck/CurrentVersion.fcpevent");
    const ScannedLibrarySource kept = library(dir.path(), "Kept");
    IndexController index;

    // The user removes "Slow" while the refresh that still has it is reading it.
    const auto first = index.refresh({slow, kept});
    const auto second = index.refresh({kept});
    ASSERT_TRUE(test::awaitFuture(second));
    ASSERT_FALSE(first.isFinished());
    const auto keptItems = TodoScanner(1).scan({kept});
    EXPECT_EQ(index.items(), keptItems);
    EXPECT_EQ(timelineNames(index.structure()), (std::vector<std::string>{"Kept cut 0", "Kept cut 1"}));
    EXPECT_TRUE(index.isRefreshing());  // the first is still under way

    const auto changes = recordChanges(index);
    gate.release();
    ASSERT_TRUE(test::awaitFuture(first));
    EXPECT_EQ(*changes, (std::vector<std::string>{"idle"}));
    EXPECT_EQ(index.items(), keptItems);
    EXPECT_EQ(timelineNames(index.structure()), (std::vector<std::string>{"Kept cut 0", "Kept cut 1"}));
    EXPECT_FALSE(index.isRefreshing());
}

// A refresh held back reads at once but shows nothing until it is let through; one superseded while
// held shows nothing of what it read, neither its structure nor its items.
TEST(IndexController, AHeldRefreshPublishesOnlyOnceLetThroughAndNothingOnceSuperseded) {
    TemporaryDirectory dir;
    const ScannedLibrarySource early = library(dir.path(), "Early");
    const ScannedLibrarySource later = library(dir.path(), "Later", 1);
    IndexController index;
    const auto changes = recordChanges(index);

    QPromise<void> gate;
    gate.start();
    const auto held = index.refresh({early}, gate.future());
    // Time for the reads begun at once to end; nothing may show of them yet.
    for (int turn = 0; turn < 20; ++turn) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(changes->empty());
    EXPECT_FALSE(index.isRefreshing());
    gate.finish();
    ASSERT_TRUE(test::awaitFuture(held));
    EXPECT_EQ(*changes, (std::vector<std::string>{"refreshing", "structure", "items", "date", "idle"}));
    EXPECT_EQ(index.items(), TodoScanner(1).scan({early}));

    changes->clear();
    QPromise<void> overtaken;
    overtaken.start();
    const auto superseded = index.refresh({later}, overtaken.future());
    const auto newer = index.refresh({early, later});
    ASSERT_TRUE(test::awaitFuture(newer));
    overtaken.finish();
    ASSERT_TRUE(test::awaitFuture(superseded));
    EXPECT_EQ(std::count(changes->begin(), changes->end(), "structure"), 1);
    EXPECT_EQ(std::count(changes->begin(), changes->end(), "items"), 1);
    EXPECT_EQ(index.items(), TodoScanner(1).scan({early, later}));
    EXPECT_EQ(timelineNames(index.structure()),
              (std::vector<std::string>{"Early cut 0", "Early cut 1", "Later cut 0"}));
    EXPECT_FALSE(index.isRefreshing());
}
