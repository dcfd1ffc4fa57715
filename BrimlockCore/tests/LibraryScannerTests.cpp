#include "BrimlockCore/Database/FCPDatabaseConnection.h"
#include "BrimlockCore/Database/LibraryScanner.h"

#include "testing/LibraryBuilder.h"
#include "testing/Projected.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace brimlock;
using namespace quillo::testing;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> eventNames(const FCPLibrary& library) { return projected(library.events, &FCPEvent::name); }

bool hasEvent(const FCPLibrary& library, const std::string& name) {
    const auto names = eventNames(library);
    return std::find(names.begin(), names.end(), name) != names.end();
}

const FCPEvent& eventNamed(const FCPLibrary& library, const std::string& name) {
    for (const auto& event : library.events) {
        if (event.name == name) return event;
    }
    throw std::runtime_error("no event " + name);
}

}  // namespace

TEST(LibraryScanner, FindsEventsAtEveryDepthUpToEightBelowTheBundle) {
    TemporaryDirectory dir;
    LibraryBuilder library(dir.path(), "Deep");
    std::string path;
    for (int depth = 1; depth <= 9; ++depth) {
        path += (path.empty() ? "" : "/") + std::string("L") + std::to_string(depth);
        library.event(path);
    }
    library.finish();

    const FCPLibrary scanned = LibraryScanner::scan(library.bundlePath());
    EXPECT_EQ(scanned.name, "Deep");
    EXPECT_EQ(scanned.url, library.bundlePath());
    // Events inside events: the outer comes first, the inner is named through it.
    EXPECT_EQ(eventNames(scanned),
              (std::vector<std::string>{"L1", "L1 / L2", "L1 / L2 / L3", "L1 / L2 / L3 / L4", "L1 / L2 / L3 / L4 / L5",
                                        "L1 / L2 / L3 / L4 / L5 / L6", "L1 / L2 / L3 / L4 / L5 / L6 / L7",
                                        "L1 / L2 / L3 / L4 / L5 / L6 / L7 / L8"}));
    EXPECT_EQ(scanned.events.front().databaseURL, library.bundlePath() / "L1" / "CurrentVersion.fcpevent");
}

TEST(LibraryScanner, SkipsMediaFoldersHiddenFoldersAndDoesNotDescendLinks) {
    TemporaryDirectory dir;
    LibraryBuilder library(dir.path(), "Skips");
    library.event("Visible");
    for (const auto name : LibraryScanner::kFcpInternalMediaFolderNames) library.event(std::string(name) + "/Inside");
    library.event("Render Files");
    library.event(".hidden");
    library.event("Plain/.hidden inside");
    library.event("Outside/Real");
    const auto linkedTarget = library.folder("Target");
    library.event("Target/Nested");
    library.symlink("Linked", linkedTarget);
    library.event("Other/Pointed");
    library.symlink("LinkToEvent", library.bundlePath() / "Other" / "Pointed");
    library.file("NotAFolder", "text");
    library.finish();

    const FCPLibrary scanned = LibraryScanner::scan(library.bundlePath());
    EXPECT_TRUE(hasEvent(scanned, "Visible"));
    EXPECT_TRUE(hasEvent(scanned, "Outside / Real"));
    for (const auto& name : eventNames(scanned)) {
        EXPECT_EQ(name.find("Inside"), std::string::npos) << name;
        EXPECT_EQ(name.find("Render Files"), std::string::npos) << name;
        EXPECT_EQ(name.find("hidden"), std::string::npos) << name;
        // The link to a plain folder is not descended into.
        EXPECT_NE(name, "Linked / Nested");
    }
    // The link to an event folder and the folder itself resolve to one database: one event.
    const auto pointed = std::count_if(scanned.events.begin(), scanned.events.end(), [](const FCPEvent& event) {
        return event.name == "Other / Pointed" || event.name == "LinkToEvent";
    });
    EXPECT_EQ(pointed, 1);
    EXPECT_TRUE(hasEvent(scanned, "Target / Nested"));
}

TEST(LibraryScanner, ALinkedEventFolderIsCheckedForItsOwnDatabase) {
    TemporaryDirectory dir;
    LibraryBuilder elsewhere(dir.path(), "Elsewhere");
    elsewhere.event("Event").sequence("Linked Timeline");
    elsewhere.event("Event/Inner");
    elsewhere.finish();
    LibraryBuilder library(dir.path(), "Main");
    library.symlink("Shortcut", elsewhere.bundlePath() / "Event");
    library.finish();

    const FCPLibrary scanned = LibraryScanner::scan(library.bundlePath());
    ASSERT_EQ(eventNames(scanned), std::vector<std::string>{"Shortcut"});
    ASSERT_EQ(scanned.events[0].timelines.size(), 1u);
    EXPECT_EQ(scanned.events[0].timelines[0].name, "Linked Timeline");
}

TEST(LibraryScanner, UnreadableDatabasesAndMissingBundles) {
    TemporaryDirectory dir;
    LibraryBuilder library(dir.path(), "Mixed");
    library.unreadableEvent("Broken");
    library.event("Good").sequence("Cut");
    library.finish();

    const FCPLibrary scanned = LibraryScanner::scan(library.bundlePath());
    EXPECT_TRUE(eventNamed(scanned, "Broken").timelines.empty());
    EXPECT_EQ(eventNamed(scanned, "Good").timelines.size(), 1u);
    // Listing only walks the folders: the same events in the same order, no timeline read yet, and
    // each event's timelines come from its database alone.
    const FCPLibrary listed = LibraryScanner::listEvents(library.bundlePath());
    EXPECT_EQ(eventNames(listed), eventNames(scanned));
    for (const auto& event : listed.events) {
        EXPECT_TRUE(event.timelines.empty());
        EXPECT_EQ(LibraryScanner::timelinesOf(event.databaseURL).size(),
                  eventNamed(scanned, event.name).timelines.size());
    }

    const FCPLibrary missing = LibraryScanner::scan(dir.path() / "Gone.fcpbundle");
    EXPECT_EQ(missing.name, "Gone");
    EXPECT_TRUE(missing.events.empty());
    EXPECT_THROW(LibraryScanner::findMediaFilesDatabases(dir.path() / "Gone.fcpbundle"), fs::filesystem_error);
}

TEST(LibraryScanner, ReservedURICharactersInPaths) {
    TemporaryDirectory dir;
    const fs::path parent = dir.path() / "100% #1? yes";
    fs::create_directories(parent);
    LibraryBuilder library(parent, "Odd #name?");
    library.event("Day %1 #2 ?3").sequence("T");
    library.finish();

    const FCPLibrary scanned = LibraryScanner::scan(library.bundlePath());
    EXPECT_EQ(scanned.name, "Odd #name?");
    ASSERT_EQ(scanned.events.size(), 1u);
    EXPECT_EQ(scanned.events[0].name, "Day %1 #2 ?3");
    EXPECT_EQ(scanned.events[0].timelines.size(), 1u);
}

TEST(LibraryScanner, DiscoversRealTimelinesOnly) {
    TemporaryDirectory dir;
    LibraryBuilder library(dir.path(), "Discovery");
    auto& event = library.event("Event");
    auto main = event.sequence("Main Edit", {.identifier = "T-MAIN"});
    main.clip("A", 0.0, 5.0);
    main.clip("B", 0.0, 5.0);
    event.sequence("Shared Cut", {.kind = SequenceKind::shared, .identifier = "T-SHARED"});
    event.sequence("Inner", {.kind = SequenceKind::inner});
    // A project sequence whose primary item has no display name, and one with no identifier either.
    auto unnamed = event.sequence("", {.identifier = "T-UNNAMED"});
    auto anonymous = event.sequence("", {.withoutIdentifier = true});
    // A sequence with a strong key but no primary object.
    const auto bare = event.addChild(event.projectData(), "items", "FFAnchoredSequence", {{"audioSampleRate", 48000}});
    event.setIdentifier(bare, "T-BARE");
    library.finish();

    const FCPLibrary scanned = LibraryScanner::scan(library.bundlePath());
    ASSERT_EQ(scanned.events.size(), 1u);
    const auto& timelines = scanned.events[0].timelines;
    ASSERT_EQ(timelines.size(), 5u);
    EXPECT_EQ(timelines[0].id, "T-MAIN");
    EXPECT_EQ(timelines[0].name, "Main Edit");
    EXPECT_EQ(timelines[0].editCount, 2);
    EXPECT_EQ(timelines[0].collectionPK, main.sequencePK());
    EXPECT_FALSE(timelines[0].duration);
    EXPECT_EQ(timelines[1].name, "Shared Cut");
    EXPECT_EQ(timelines[2].name, "T-UNNAMED");
    EXPECT_EQ(timelines[3].name, "Untitled");
    EXPECT_EQ(timelines[3].id.size(), 36u);
    EXPECT_EQ(timelines[4].id, "T-BARE");
    EXPECT_EQ(timelines[4].editCount, 0);

    // A timeline without an identifier gets a new one at every scan.
    const FCPLibrary again = LibraryScanner::scan(library.bundlePath());
    EXPECT_NE(again.events[0].timelines[3].id, timelines[3].id);
    EXPECT_EQ(again.events[0].timelines[0].id, "T-MAIN");
    (void)unnamed;
    (void)anonymous;
}

TEST(LibraryScanner, FindsDatabasesThatHoldAssets) {
    TemporaryDirectory dir;
    LibraryBuilder library(dir.path(), "Assets");
    library.event("With").assetNamed("A001.mov");
    library.event("Without");
    library.event("Nested/Deeper").assetNamed("B.mov");
    library.finish();

    const auto databases = LibraryScanner::findMediaFilesDatabases(library.bundlePath());
    EXPECT_EQ(databases, std::vector<fs::path>{library.bundlePath() / "With" / "CurrentVersion.fcpevent"});
}
