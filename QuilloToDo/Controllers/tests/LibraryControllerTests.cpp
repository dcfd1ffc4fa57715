#include "QuilloToDo/Controllers/LibraryController.h"
#include "QuilloToDo/Controllers/PostlabLibraryLocator.h"

#include "AwaitFuture.h"
#include "Platform/Bookmark/Bookmark.h"
#include "Platform/Foundation/UUID.h"
#include "testing/FinalCutProProcess.h"
#include "testing/LibraryBuilder.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace fs = std::filesystem;
using namespace quillo;
using quillo::testing::FinalCutProProcess;
using quillo::testing::LibraryBuilder;
using quillo::testing::TemporaryDirectory;

namespace {

QString qPath(const fs::path& path) { return QFile::decodeName(QByteArray::fromStdString(path.native())); }
QUrl urlOf(const fs::path& path) { return QUrl::fromLocalFile(qPath(path)); }

class LibraryControllerTest : public ::testing::Test {
protected:
    std::unique_ptr<QSettings> openSettings() const {
        return std::make_unique<QSettings>(qPath(dir_.path() / "QuilloToDo.conf"), QSettings::IniFormat);
    }
    // A library bundle with one event, written by the fixture builder under dir/<folder>.
    fs::path bundle(const std::string& folder, const std::string& name) {
        fs::create_directories(dir_.path() / folder);
        LibraryBuilder library(dir_.path() / folder, name);
        library.event("Day 1");
        return library.finish();
    }
    QStringList storedPaths() const {
        const QVariant value = openSettings()->value(LibraryController::kBookmarksKey);
        return value.toMap().keys();
    }
    // The URLs a controller on the same settings file restores: the next launch.
    QList<QUrl> restoredURLs() const {
        auto settings = openSettings();
        const LibraryController restarted(*settings);
        QList<QUrl> urls;
        for (const auto* library : restarted.watchedLibraries()) urls.append(library->url());
        return urls;
    }

    TemporaryDirectory dir_;
};

}  // namespace

TEST_F(LibraryControllerTest, WatchesEachBundleURLOnceAndKeepsItsBookmark) {
    const fs::path spot = bundle("a", "Spot");
    const fs::path feature = bundle("b", "Feature Ü");
    fs::create_directory(dir_.path() / "Upper.FCPBUNDLE");
    auto settings = openSettings();
    LibraryController controller(*settings);
    QSignalSpy listChanged(&controller, &LibraryController::watchedLibrariesChanged);

    controller.addLibrary(urlOf(dir_.path() / "Upper.FCPBUNDLE"));
    controller.addLibrary(urlOf(dir_.path() / "a"));
    EXPECT_TRUE(controller.watchedLibraries().isEmpty());
    EXPECT_FALSE(openSettings()->contains(LibraryController::kBookmarksKey));

    controller.addLibrary(urlOf(spot));
    controller.addLibrary(urlOf(spot));
    controller.addLibrary(urlOf(feature));
    EXPECT_EQ(listChanged.count(), 2);
    ASSERT_EQ(controller.watchedLibraries().size(), 2);
    EXPECT_EQ(controller.watchedLibraries()[1]->name(), "Feature Ü");
    EXPECT_EQ(storedPaths(), (QStringList{qPath(spot), qPath(feature)}));

    const auto sources = controller.librarySources();
    ASSERT_EQ(sources.size(), 2U);
    EXPECT_EQ(sources[0].url, spot);
    EXPECT_EQ(sources[0].name, "Spot");
    EXPECT_EQ(sources[0].bookmarkID, controller.watchedLibraries()[0]->id().uuidString());
    EXPECT_EQ(sources[1].name, "Feature Ü");

    // Another text of the same bundle is another URL: watched twice, stored once.
    controller.addLibrary(QUrl::fromLocalFile(qPath(spot) + "/"));
    EXPECT_EQ(controller.watchedLibraries().size(), 3);
    EXPECT_EQ(storedPaths().size(), 2);
}

TEST_F(LibraryControllerTest, RestartRestoresWhatIsStoredAndForgetsWhatWasRemoved) {
    const fs::path spot = bundle("a", "Spot");
    const fs::path feature = bundle("b", "Feature");
    const fs::path gone = bundle("c", "Gone");
    {
        auto settings = openSettings();
        LibraryController controller(*settings);
        for (const auto& path : {spot, feature, gone}) controller.addLibrary(urlOf(path));
        controller.removeLibrary(3);  // past the end
        controller.removeLibrary(1);
        EXPECT_EQ(controller.watchedLibraries().size(), 2);
    }
    fs::remove_all(gone);
    // A bookmark that no longer resolves is skipped and kept.
    EXPECT_EQ(restoredURLs(), (QList<QUrl>{urlOf(spot)}));
    EXPECT_EQ(storedPaths(), (QStringList{qPath(spot), qPath(gone)}));

    auto settings = openSettings();
    LibraryController restarted(*settings);
    ASSERT_EQ(restarted.watchedLibraries().size(), 1);
    restarted.removeLibrary(0);
    EXPECT_TRUE(restoredURLs().isEmpty());
}

TEST_F(LibraryControllerTest, ALibraryFollowedToItsLivePathIsRemovedForGood) {
    const fs::path added = bundle("added", "Spot");
    const fs::path live = bundle("live", "Spot");
    const fs::path otherSpot = bundle("other", "Spot");
    auto settings = openSettings();
    LibraryController controller(*settings);
    controller.addLibrary(urlOf(added));
    controller.addLibrary(urlOf(otherSpot));
    WatchedLibrary* library = controller.watchedLibraries()[0];
    const auto id = library->id();
    QSignalSpy urlChanged(library, &WatchedLibrary::urlChanged);

    controller.updateLiveURL("Spot", urlOf(added));
    EXPECT_EQ(urlChanged.count(), 0);
    controller.updateLiveURL("spot", urlOf(live));  // names compare exactly
    controller.updateLiveURL("Spot", urlOf(live));
    EXPECT_EQ(urlChanged.count(), 1);
    EXPECT_EQ(library->url(), urlOf(live));
    EXPECT_EQ(library->id(), id);
    EXPECT_EQ(controller.watchedLibraries()[1]->url(), urlOf(otherSpot));  // only the first of the name
    EXPECT_EQ(controller.librarySources()[0].url, live);
    // The stored bookmark stays where the library was added: the next launch finds it there.
    EXPECT_EQ(storedPaths(), (QStringList{qPath(added), qPath(otherSpot)}));
    EXPECT_EQ(restoredURLs(), (QList<QUrl>{urlOf(added), urlOf(otherSpot)}));

    controller.removeLibrary(0);
    EXPECT_EQ(restoredURLs(), (QList<QUrl>{urlOf(otherSpot)}));
}

// Final Cut Pro has the second of two watched libraries of one name open: following the first onto it
// would scan that bundle twice and show every to-do of it twice.
TEST_F(LibraryControllerTest, NoLibraryIsFollowedOntoThePathOfAnotherWatchedOne) {
    const std::string name =
        "Twin " + platform::UUID::random().uuidString().substr(0, 8);  // no parallel stand-in has it
    const fs::path first = bundle("first", name);
    const fs::path second = bundle("second", name);
    const fs::path elsewhere = bundle("elsewhere", name);
    auto settings = openSettings();
    LibraryController controller(*settings);
    controller.addLibrary(urlOf(first));
    controller.addLibrary(urlOf(second));

    FinalCutProProcess application(dir_.path(), {qPath(second / "Day 1/CurrentVersion.fcpevent")});
    ASSERT_TRUE(application.isReady());
    PostlabLibraryLocator locator;
    locator.setWatchedNames({QString::fromStdString(name)});
    int located = 0;
    locator.setOnLocated([&](const QString& found, const QUrl& url) {
        ++located;
        controller.updateLiveURL(found, url);
    });
    ASSERT_TRUE(test::awaitFuture(locator.locateOnce()));
    EXPECT_EQ(located, 1);
    // The same path written otherwise is the same bundle.
    controller.updateLiveURL(QString::fromStdString(name), QUrl::fromLocalFile(qPath(second) + "/"));
    const auto sources = controller.librarySources();
    ASSERT_EQ(sources.size(), 2U);
    EXPECT_EQ(sources[0].url, first);
    EXPECT_EQ(sources[1].url, second);

    // A path no watched library has: the first of the name follows it.
    controller.updateLiveURL(QString::fromStdString(name), urlOf(elsewhere));
    EXPECT_EQ(controller.librarySources()[0].url, elsewhere);
}

TEST_F(LibraryControllerTest, ABookmarkThatResolvesElsewhereIsStoredUnderItsNewPath) {
    const fs::path moved = bundle("new", "Spot");
    const QString oldPath = qPath(dir_.path() / "old/Spot.fcpbundle");
    openSettings()->setValue(LibraryController::kBookmarksKey,
                             QVariantMap{{oldPath, *platform::Bookmark::create(qPath(moved))}});

    {
        auto settings = openSettings();
        LibraryController controller(*settings);
        ASSERT_EQ(controller.watchedLibraries().size(), 1);
        EXPECT_EQ(controller.watchedLibraries()[0]->url(), urlOf(moved));
        EXPECT_EQ(storedPaths(), QStringList{qPath(moved)});
        controller.removeLibrary(0);
    }
    EXPECT_TRUE(storedPaths().isEmpty());
    EXPECT_TRUE(restoredURLs().isEmpty());
}

TEST_F(LibraryControllerTest, StoredValuesOfAnotherShapeReadAsNoLibraries) {
    const fs::path spot = bundle("a", "Spot");
    const std::vector<QVariant> wrong{QString("/a/Spot.fcpbundle"), QVariantList{QString("x")},
                                      QVariantMap{{qPath(spot), QString("not data")}}, 7};
    for (const auto& value : wrong) {
        openSettings()->setValue(LibraryController::kBookmarksKey, value);
        auto settings = openSettings();
        LibraryController controller(*settings);
        EXPECT_TRUE(controller.watchedLibraries().isEmpty()) << value.typeName();
        controller.addLibrary(urlOf(spot));  // replaced by a proper map
        EXPECT_EQ(restoredURLs(), QList<QUrl>{urlOf(spot)});
    }
}

TEST_F(LibraryControllerTest, MarkLoadedSetsTheFirstLibraryOfTheURL) {
    const fs::path spot = bundle("a", "Spot");
    auto settings = openSettings();
    LibraryController controller(*settings);
    controller.addLibrary(urlOf(spot));
    WatchedLibrary* library = controller.watchedLibraries()[0];
    QSignalSpy loaded(library, &WatchedLibrary::isLoadedChanged);
    QSignalSpy message(library, &WatchedLibrary::errorMessageChanged);

    controller.markLoaded(urlOf(dir_.path() / "Other.fcpbundle"), std::nullopt);
    EXPECT_FALSE(library->isLoaded());
    controller.markLoaded(urlOf(spot), std::nullopt);
    controller.markLoaded(urlOf(spot), std::nullopt);
    EXPECT_TRUE(library->isLoaded());
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_EQ(message.count(), 0);
    controller.markLoaded(urlOf(spot), QString());
    EXPECT_FALSE(library->isLoaded());
    EXPECT_EQ(library->errorMessage(), QString());  // present, although empty
    EXPECT_EQ(message.count(), 1);
}

TEST_F(LibraryControllerTest, DetectionListsTheOpenLibrariesOrSaysWhyNot) {
    const fs::path first = bundle("shared", "Zweiter Schnitt");
    const fs::path second = bundle("local", "Main Edit");
    auto settings = openSettings();

    LibraryController absent(*settings, platform::FinalCutProAutomation(QStringLiteral("Quillo Absent")));
    auto detection = absent.detectOpenFCPLibraries();
    ASSERT_TRUE(test::awaitFuture(detection));
    EXPECT_TRUE(detection.result().isEmpty());
    EXPECT_EQ(absent.lastLibraryDetectionError(), QString("Final Cut Pro is not running."));
    EXPECT_TRUE(absent.watchedLibraries().isEmpty());  // detection adds nothing

    const auto database = [](const fs::path& bundle) { return qPath(bundle / "Day 1/CurrentVersion.fcpevent"); };
    FinalCutProProcess application(dir_.path(), {database(first), database(second)});
    ASSERT_TRUE(application.isReady());
    LibraryController controller(*settings);
    detection = controller.detectOpenFCPLibraries();
    ASSERT_TRUE(test::awaitFuture(detection));
    QList<QUrl> mine;  // a stand-in of a parallel test may hold other bundles open
    for (const auto& url : detection.result()) {
        if (url.toLocalFile().startsWith(qPath(dir_.path()))) mine.append(url);
    }
    EXPECT_EQ(mine, (QList<QUrl>{urlOf(first), urlOf(second)}));
    EXPECT_EQ(controller.lastLibraryDetectionError(), std::nullopt);
}
