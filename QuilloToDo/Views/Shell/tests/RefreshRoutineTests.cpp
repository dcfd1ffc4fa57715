#include "QuilloToDo/Views/Shell/RefreshRoutine.h"

#include "QuilloToDo/Controllers/PostlabLibraryLocator.h"
#include "QuilloToDo/IPC/TodoIPCServer.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoIPCMessage.h"
#include "QuilloToDo/Views/testing/WindowTestFixture.h"
#include "testing/FinalCutProProcess.h"
#include "testing/PathPrefix.h"

#include <QSignalSpy>
#include <QTcpSocket>

#include <string>
#include <vector>

using namespace quillo;
using namespace quillo::test;
namespace fs = std::filesystem;

namespace {

// The extension's side: a real socket on the server's port collecting the lists it is sent.
class ExtensionClient {
public:
    explicit ExtensionClient(quint16 port) {
        socket_.connectToHost(QHostAddress::LocalHost, port);
        EXPECT_TRUE(socket_.waitForConnected(20'000));
        QObject::connect(&socket_, &QTcpSocket::readyRead, [this] {
            while (socket_.canReadLine()) {
                const auto message = decodeMessage(socket_.readLine().trimmed().toStdString());
                if (const auto* list = std::get_if<TodoIPCMessage::TodoList>(&message.payload())) {
                    lists.push_back(list->items);
                }
            }
        });
    }

    std::vector<std::vector<TodoItem>> lists;

private:
    QTcpSocket socket_;
};

class RefreshRoutineTest : public WindowTest {
protected:
    RefreshRoutineTest() : server_(nullptr, TodoIPCServer::Announcement::none) {
        server_.start();
        // What the application installs: a located library follows to where it is open.
        locator_.setOnLocated([this](const QString& name, const QUrl& url) {
            events_.push_back("located");
            libraries_.updateLiveURL(name, url);
        });
        QObject::connect(&locator_, &PostlabLibraryLocator::watchedNamesChanged,
                         [this] { events_.push_back("names"); });
        QObject::connect(&index_, &IndexController::structureChanged, [this] { events_.push_back("structure"); });
        QObject::connect(&index_, &IndexController::itemsChanged, [this] { events_.push_back("items"); });
        QObject::connect(&routine_, &RefreshRoutine::published, [this] { events_.push_back("published"); });
    }

    std::unique_ptr<ExtensionClient> connectExtension() {
        auto client = std::make_unique<ExtensionClient>(server_.port());
        EXPECT_TRUE(waitUntil([&] { return server_.connectedExtensionCount() == 1; }));
        return client;
    }
    void followLoading(const WatchedLibrary* library) {
        QObject::connect(library, &WatchedLibrary::isLoadedChanged, [this] { events_.push_back("loaded"); });
    }

    PostlabLibraryLocator locator_;
    TodoIPCServer server_;
    RefreshRoutine routine_{libraries_, index_, locator_, server_};
    std::vector<std::string> events_;
};

}  // namespace

TEST_F(RefreshRoutineTest, FeedsTheLocatorRebuildsTheIndexMarksLoadedThenPublishesEveryItem) {
    libraries_.addLibrary(urlOf(bundle("a", "QuilloRefreshOrder", 3)));
    followLoading(libraries_.watchedLibraries()[0]);
    // The window's filter and exclusions never reach the extension.
    filter_.setFilter(MarkerFilter({}, {}, {}, "nothing matches this"));
    auto extension = connectExtension();

    ASSERT_TRUE(awaitFuture(routine_.refreshAndMarkLoaded()));
    EXPECT_EQ(locator_.watchedNames(), QSet<QString>{"QuilloRefreshOrder"});
    EXPECT_EQ(events_, (std::vector<std::string>{"names", "structure", "items", "loaded", "published"}));
    EXPECT_TRUE(libraries_.watchedLibraries()[0]->isLoaded());
    ASSERT_TRUE(waitUntil([&] { return extension->lists.size() == 1; }));
    EXPECT_EQ(extension->lists[0].size(), 3u);
    EXPECT_EQ(extension->lists[0], index_.items());
}

TEST_F(RefreshRoutineTest, RemovingTheLastLibrarySendsTheExtensionAnEmptyList) {
    libraries_.addLibrary(urlOf(bundle("a", "QuilloRefreshLast", 2)));
    auto extension = connectExtension();
    routine_.start();
    ASSERT_TRUE(waitUntil([&] { return extension->lists.size() == 1; }));
    EXPECT_EQ(extension->lists[0].size(), 2u);

    libraries_.removeLibrary(0);  // the list of URLs changed: a refresh follows by itself
    ASSERT_TRUE(waitUntil([&] { return extension->lists.size() == 2; }));
    EXPECT_TRUE(extension->lists[1].empty());
    EXPECT_TRUE(index_.items().empty());
    EXPECT_TRUE(index_.structure().empty());
    EXPECT_TRUE(locator_.watchedNames().isEmpty());
}

// Final Cut Pro has the watched bundle open under another folder: the refresh whose search finds it
// there reads it there, once; the change of URL that the search made starts no second search.
TEST_F(RefreshRoutineTest, ALibraryOpenElsewhereIsSearchedAndScannedOnceAtItsLivePath) {
    const auto added = bundle("added", "QuilloRefreshLive", 1);
    const auto live = bundle("live", "QuilloRefreshLive", 4);
    libraries_.addLibrary(urlOf(added));
    quillo::testing::FinalCutProProcess application(dir_.path(), {qPath(live / "Day 1/CurrentVersion.fcpevent")});
    ASSERT_TRUE(application.isReady());
    auto extension = connectExtension();
    QSignalSpy started(&routine_, &RefreshRoutine::started);
    QSignalSpy searching(&routine_, &RefreshRoutine::isSearchingChanged);

    routine_.start();
    ASSERT_TRUE(waitUntil([&] {
        return !extension->lists.empty() && !index_.isRefreshing() && libraries_.watchedLibraries()[0]->isLoaded();
    }));
    EXPECT_EQ(libraries_.watchedLibraries()[0]->url(), urlOf(live));
    EXPECT_EQ(events_, (std::vector<std::string>{"names", "located", "structure", "items", "published"}));
    EXPECT_EQ(started.count(), 1);
    EXPECT_EQ(searching.count(), 2);  // on, then off
    EXPECT_EQ(index_.items().size(), 4u);
    ASSERT_EQ(extension->lists.size(), 1u);
    EXPECT_EQ(extension->lists[0].size(), 4u);
}

// The libraries are scanned where they were while the search runs: a search that moves one leaves
// nothing of that early scan in the index, neither its event nor its items, nor both bundles at once.
TEST_F(RefreshRoutineTest, AnEarlyScanOfAMovedLibraryIsNeverShown) {
    const auto added = bundle("added", "QuilloRefreshEarly", 1, "Day Added");
    const auto live = bundle("live", "QuilloRefreshEarly", 4, "Day Live");
    libraries_.addLibrary(urlOf(added));
    quillo::testing::FinalCutProProcess application(dir_.path(), {qPath(live / "Day Live/CurrentVersion.fcpevent")});
    ASSERT_TRUE(application.isReady());
    std::vector<std::string> shownEvents;
    std::vector<std::size_t> shownItemCounts;
    QObject::connect(&index_, &IndexController::structureChanged, [&] {
        for (const auto& library : index_.structure())
            for (const auto& event : library.events) shownEvents.push_back(event.name);
    });
    QObject::connect(&index_, &IndexController::itemsChanged,
                     [&] { shownItemCounts.push_back(index_.items().size()); });
    auto extension = connectExtension();

    routine_.start();
    ASSERT_TRUE(waitUntil([&] {
        return !index_.isRefreshing() && !routine_.isSearching() && libraries_.watchedLibraries()[0]->isLoaded() &&
               !extension->lists.empty();
    }));
    EXPECT_EQ(libraries_.watchedLibraries()[0]->url(), urlOf(live));
    EXPECT_FALSE(shownEvents.empty());
    for (const auto& event : shownEvents) EXPECT_EQ(event, "Day Live");
    EXPECT_EQ(shownItemCounts, std::vector<std::size_t>{4u});
    for (const auto& list : extension->lists) EXPECT_EQ(list.size(), 4u);
}

// A refresh overtaken by a newer one neither marks nor publishes: the index may then still hold the
// items of before, and the library removed in between would come back to the extension. An lsof of
// the test's own lets both searches end together, so that the two refreshes overlap; which of their
// scans ends first is up to the index, so the removal is tried a few times.
TEST_F(RefreshRoutineTest, OnlyTheNewestOfOverlappingRefreshesPublishes) {
    fs::create_directories(dir_.path() / "a");
    {
        // Enough events that a rebuild of the index outlasts the gap between the two searches' ends.
        quillo::testing::LibraryBuilder kept(dir_.path() / "a", "QuilloRefreshKept");
        for (int day = 0; day < 12; ++day) {
            auto& event = kept.event("Day " + std::to_string(day));
            for (int cut = 0; cut < 3; ++cut) {
                event.sequence("Cut " + std::to_string(cut))
                    .clip("Shot", 0.0, 9.0)
                    .marker("Fix", quillo::testing::MarkerType::todo, 1.0, {.completed = false});
            }
        }
        libraries_.addLibrary(urlOf(kept.finish()));
    }
    const QUrl gone = urlOf(bundle("b", "QuilloRefreshGone", 5));
    auto extension = connectExtension();

    for (int attempt = 0; attempt < 4; ++attempt) {
        libraries_.addLibrary(gone);
        ASSERT_TRUE(awaitFuture(routine_.refreshAndMarkLoaded()));
        ASSERT_TRUE(waitUntil([&] { return !extension->lists.empty() && extension->lists.back().size() == 41; }));
        extension->lists.clear();

        const fs::path bin = dir_.path() / ("bin" + std::to_string(attempt));
        fs::create_directories(bin);
        quillo::testing::writeShellScript(bin / "lsof", "touch '" + bin.string() +
                                                            "/started.'$$\n"
                                                            "n=0\n"
                                                            "while [ $(ls '" +
                                                            bin.string() +
                                                            "' | grep -c '^started') -lt 2 ] && [ $n -lt 5000 ]; do\n"
                                                            "  sleep 0.001; n=$((n+1))\n"
                                                            "done\n");
        const quillo::testing::PathPrefix path(bin);
        const auto first = routine_.refreshAndMarkLoaded();
        libraries_.removeLibrary(1);
        const auto second = routine_.refreshAndMarkLoaded();
        ASSERT_TRUE(awaitFuture(first));
        ASSERT_TRUE(awaitFuture(second));

        ASSERT_TRUE(waitUntil([&] { return !extension->lists.empty(); }));
        for (const auto& list : extension->lists) {
            ASSERT_EQ(list.size(), 36u) << "attempt " << attempt;
            EXPECT_EQ(list[0].libraryName, "QuilloRefreshKept");
        }
        EXPECT_EQ(index_.items().size(), 36u);
    }
}
