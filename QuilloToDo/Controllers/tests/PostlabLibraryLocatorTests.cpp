#include "QuilloToDo/Controllers/PostlabLibraryLocator.h"

#include "AwaitFuture.h"
#include "testing/FinalCutProProcess.h"
#include "testing/LibraryBuilder.h"
#include "testing/PathPrefix.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace quillo;
using quillo::testing::FinalCutProProcess;
using quillo::testing::LibraryBuilder;
using quillo::testing::PathPrefix;
using quillo::testing::TemporaryDirectory;
using quillo::testing::writeShellScript;

namespace {

QString qPath(const fs::path& path) { return QFile::decodeName(QByteArray::fromStdString(path.native())); }
QUrl urlOf(const fs::path& path) { return QUrl::fromLocalFile(qPath(path)); }

// Names no parallel test uses, so that another stand-in's bundles never match.
QString uniqueName(const QString& name) {
    return name + u' ' + QString::fromStdString(platform::UUID::random().uuidString().substr(0, 8));
}

fs::path bundle(const fs::path& directory, const QString& name) {
    fs::create_directories(directory);
    LibraryBuilder library(directory, name.toStdString());
    library.event("Day 1");
    return library.finish();
}

QString eventDatabase(const fs::path& bundle) { return qPath(bundle / "Day 1/CurrentVersion.fcpevent"); }

void runEventsFor(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Runs the event loop until `done` holds; false after a generous limit.
template <class Condition>
bool runEventsUntil(Condition done, int limitMs = 30'000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

int lineCount(const fs::path& file) {
    std::ifstream in(file);
    int lines = 0;
    for (std::string line; std::getline(in, line);) ++lines;
    return lines;
}

}  // namespace

TEST(PostlabLibraryLocator, FindsTheFirstLiveBundleOfEachWatchedName) {
    TemporaryDirectory dir;
    const QString spot = uniqueName("Spot Ü ✂");
    const QString cut = uniqueName("Cut");
    const QString unwatched = uniqueName("Other");
    const fs::path deletedSpot = bundle(dir.path() / "deleted", spot);
    const fs::path sharedSpot = bundle(dir.path() / "Shared Drive", spot);
    const fs::path localSpot = bundle(dir.path() / "local", spot);
    const fs::path cutBundle = bundle(dir.path() / "local", cut);
    const fs::path lowerCut = bundle(dir.path() / "lower", cut.toLower());
    const fs::path other = bundle(dir.path() / "local", unwatched);
    FinalCutProProcess application(
        dir.path(),
        {eventDatabase(deletedSpot), qPath(cutBundle / "CurrentVersion.flexolibrary"), eventDatabase(lowerCut),
         eventDatabase(sharedSpot), eventDatabase(other), eventDatabase(localSpot), eventDatabase(cutBundle)});
    ASSERT_TRUE(application.isReady());
    fs::remove_all(deletedSpot);  // still open: lsof lists it with " (deleted)"

    const auto located = PostlabLibraryLocator::findOpenLibraries({spot, cut});
    EXPECT_EQ(located, (QList<LocatedLibrary>{{cut, urlOf(cutBundle)}, {spot, urlOf(sharedSpot)}}));
    EXPECT_TRUE(PostlabLibraryLocator::findOpenLibraries({uniqueName("Absent")}).isEmpty());
}

TEST(PostlabLibraryLocator, PollsWithTheNamesAndCallbackOfEachMoment) {
    TemporaryDirectory dir;
    const fs::path spot = bundle(dir.path() / "Shared", "Spot");
    const fs::path runs = dir.path() / "runs";
    fs::create_directory(dir.path() / "bin");
    writeShellScript(dir.path() / "bin/lsof", "echo run >> '" + runs.string() +
                                                  "'\n"
                                                  "printf '%s\\n' 'Final\\x20C 7 me 4r REG 8,1 4096 1 " +
                                                  (spot / "Day 1/CurrentVersion.fcpevent").string() + "'\n");
    const PathPrefix path(dir.path() / "bin");
    PostlabLibraryLocator locator;
    QList<LocatedLibrary> first;
    QList<LocatedLibrary> second;
    locator.setOnLocated([&](const QString& name, const QUrl& url) { first.append({name, url}); });

    // Without watched names the tool never runs.
    locator.startPolling(0.02);
    EXPECT_TRUE(locator.isPolling());
    runEventsFor(300);
    EXPECT_FALSE(fs::exists(runs));

    locator.setWatchedNames({"Spot"});
    ASSERT_TRUE(runEventsUntil([&] { return !first.isEmpty(); }));
    EXPECT_EQ(first.front(), (LocatedLibrary{"Spot", urlOf(spot)}));
    locator.setOnLocated([&](const QString& name, const QUrl& url) { second.append({name, url}); });
    const auto reportsBefore = first.size();
    ASSERT_TRUE(runEventsUntil([&] { return !second.isEmpty(); }));
    EXPECT_EQ(first.size(), reportsBefore);

    // A new start ends the running loop: with an hour's interval, at most the old loop's search under
    // way and the new loop's first one run from here on.
    const int runsBefore = lineCount(runs);
    locator.startPolling(3600);
    runEventsFor(600);
    EXPECT_LE(lineCount(runs), runsBefore + 2);
    const int runsAfter = lineCount(runs);
    runEventsFor(300);
    EXPECT_EQ(lineCount(runs), runsAfter);
}

TEST(PostlabLibraryLocator, AHangingLsofNeitherStallsTheWindowNorTheLoop) {
    TemporaryDirectory dir;
    const fs::path runs = dir.path() / "runs";
    writeShellScript(dir.path() / "lsof", "echo run >> '" + runs.string() + "'\nexec sleep 600\n");
    const PathPrefix path(dir.path());
    PostlabLibraryLocator locator(nullptr, std::chrono::milliseconds(400));
    int reports = 0;
    locator.setOnLocated([&](const QString&, const QUrl&) { ++reports; });
    locator.setWatchedNames({"Spot"});

    // A timer on the main thread keeps ticking while lsof hangs.
    QElapsedTimer sinceTick;
    sinceTick.start();
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    ticker.start(5);
    locator.startPolling(0.05);
    // The first run is abandoned after its time limit, and the loop goes on to the next.
    EXPECT_TRUE(runEventsUntil([&] { return lineCount(runs) >= 2; }));
    ticker.stop();
    EXPECT_LT(longestGap, 300);
    EXPECT_EQ(reports, 0);

    const auto once = locator.locateOnce();
    EXPECT_FALSE(once.isFinished());
    ASSERT_TRUE(test::awaitFuture(once));
    EXPECT_EQ(reports, 0);
}
