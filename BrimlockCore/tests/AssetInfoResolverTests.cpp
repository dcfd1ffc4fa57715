#include "BrimlockCore/Database/AssetStore.h"
#include "BrimlockCore/Database/FCPDatabaseConnection.h"
#include "BrimlockCore/Resolver/MulticamMediaIndex.h"
#include "BrimlockCore/Resolver/AssetInfoResolver.h"
#include "BrimlockCore/Resolver/WalkBudget.h"

#include "testing/LibraryBuilder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <limits>
#include <vector>

using brimlock::AssetStore;
using brimlock::FCPDatabaseConnection;
using brimlock::FrameRate;
using brimlock::MulticamMediaIndex;
using brimlock::WalkBudget;
using brimlock::AssetInfoResolver::AssetInfo;
using brimlock::AssetInfoResolver::correctedSourceIn;
using brimlock::AssetInfoResolver::findAssetInfo;
using namespace quillo::testing;
namespace fs = std::filesystem;

namespace {

// One event whose objects the tests link by hand, each directly below its parent (no grouping
// collection in between unless a test adds one), so every link is one level of the walk.
class Graph {
public:
    Graph() : event_(dir_.path() / "Day 1", "Day 1", 7) {}

    EventBuilder& event() { return event_; }
    std::int64_t object(std::string type, ArchiveValue::Entries attributes = {}) {
        return event_.addObject(std::move(type), std::move(attributes));
    }
    std::int64_t add(std::int64_t parent, std::string type, ArchiveValue::Entries attributes = {}) {
        const auto child = object(std::move(type), std::move(attributes));
        event_.link(parent, child);
        return child;
    }
    void link(std::int64_t parent, std::int64_t child) { event_.link(parent, child); }
    std::int64_t reference(std::int64_t parent, const AssetRef& asset) {
        return add(parent, "FFAssetRef", {{"displayName", asset.name}, {"mediaIdentifier", asset.mediaIdentifier}});
    }

    // Commits the event and opens it; the store holds the event's assets.
    void open() {
        event_.finish();
        db_.emplace(event_.databasePath().string());
        store_.loadAssets(*db_);
    }

    AssetInfo find(std::int64_t pk, WalkBudget* budget = nullptr, int depth = 0) {
        return findAssetInfo(pk, *db_, store_, nullptr, std::nullopt, depth, budget);
    }

private:
    TemporaryDirectory dir_;
    EventBuilder event_;
    std::optional<FCPDatabaseConnection> db_;
    AssetStore store_;
};

ArchiveValue::Entries collection(double start, ArchiveValue::Entries metadata = {}) {
    ArchiveValue::Entries attributes{{"clippedRange", timeRangeText(start, 10.0)}};
    if (!metadata.empty()) attributes.emplace_back("metadata", ArchiveValue::dictionary(std::move(metadata)));
    return attributes;
}

void execute(const fs::path& database, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(database.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

}  // namespace

TEST(AssetInfoResolver, ClipsOfATimelineResolveToTheirAsset) {
    TemporaryDirectory dir;
    EventBuilder event(dir.path() / "Day 1", "Day 1", 7);
    const auto asset = event.asset({.name = "Interview", .frameDuration = "100/2500"});
    TimelineBuilder edit = event.sequence("Main Edit");
    const auto component = edit.clip("Interview", 2.0, 5.0);
    const auto inCollection = edit.clip("Interview", 3.0, 5.0, {.form = ClipForm::collection});
    const auto synchronized = edit.clip("Interview", 4.0, 5.0, {.synchronized = true});
    const auto noMedia = edit.clip("Interview", 0.0, 5.0, {.media = false});
    event.finish();

    FCPDatabaseConnection db(event.databasePath().string());
    const AssetStore empty;
    AssetStore store;
    store.loadAssets(db);

    const auto plain = findAssetInfo(component.pk(), db, empty, nullptr, std::nullopt, 0);
    EXPECT_EQ(plain, (AssetInfo{.name = "Interview", .mediaID = asset.mediaIdentifier}));
    const auto rated = findAssetInfo(component.pk(), db, store, nullptr, std::nullopt, 0);
    EXPECT_EQ(rated.rate, FrameRate::fps25);

    // A collection's media component is met on the way down; the clip's own blob is not read.
    const auto collected = findAssetInfo(inCollection.pk(), db, store, nullptr, std::nullopt, 0);
    EXPECT_EQ(collected, (AssetInfo{.name = "Interview",
                                    .mediaID = asset.mediaIdentifier,
                                    .rate = FrameRate::fps25,
                                    .videoMediaComponentStart = 3.0}));
    // The video component comes first and ends the search.
    EXPECT_EQ(findAssetInfo(synchronized.pk(), db, store, nullptr, std::nullopt, 0).videoMediaComponentStart, 4.0);

    EXPECT_EQ(findAssetInfo(noMedia.pk(), db, store, nullptr, std::nullopt, 0), AssetInfo{});
}

TEST(AssetInfoResolver, TheFirstReadableAssetReferenceEndsTheSearch) {
    Graph graph;
    const auto known = graph.event().asset({.name = "Known File", .frameDuration = "1001/24000"});
    const AssetRef unknown{0, "Unknown File", "not-in-the-store"};

    const auto nameOnly = graph.object("Clip");
    graph.add(nameOnly, "FFAssetRef", {{"displayName", "Just A Name"}});
    graph.reference(nameOnly, known);  // never reached

    const auto fromStore = graph.object("Clip");
    graph.add(fromStore, "FFAssetRef", {{"mediaIdentifier", known.mediaIdentifier}});

    const auto notStored = graph.object("Clip");
    graph.reference(notStored, unknown);

    const auto bare = graph.object("Clip");
    graph.add(bare, "FFAssetRef", {{"mediaIdentifier", 12}, {"displayName", 3.5}});
    graph.reference(bare, known);

    graph.open();
    EXPECT_EQ(graph.find(nameOnly), (AssetInfo{.name = "Just A Name"}));
    EXPECT_EQ(graph.find(fromStore),
              (AssetInfo{.name = "Known File", .mediaID = known.mediaIdentifier, .rate = FrameRate::fps23_976}));
    EXPECT_EQ(graph.find(notStored), (AssetInfo{.name = "Unknown File", .mediaID = "not-in-the-store"}));
    // A readable reference without text values still ends the search, and is not found.
    const auto empty = graph.find(bare);
    EXPECT_FALSE(empty.isFound());
    EXPECT_EQ(empty, AssetInfo{});
}

TEST(AssetInfoResolver, AReferenceWithoutAReadableBlobIsOnlyDescended) {
    Graph graph;
    const auto asset = graph.event().asset({.name = "Deep"});
    const auto sibling = graph.event().asset({.name = "Sibling"});

    const auto clip = graph.object("Clip");
    const auto noBlob = graph.add(clip, "FFAssetRef");
    graph.event().setBlob(noBlob, EventDatabase::Blob::null());
    graph.reference(noBlob, asset);

    const auto other = graph.object("Clip");
    const auto garbage = graph.add(other, "FFAssetRef");
    graph.event().setBlob(garbage, EventDatabase::Blob(bytesOf("bplist00")));
    graph.reference(other, sibling);

    graph.open();
    EXPECT_EQ(graph.find(clip).name, "Deep");
    EXPECT_EQ(graph.find(other).name, "Sibling");
}

TEST(AssetInfoResolver, AnchoredItemsAreNeverRead) {
    TemporaryDirectory dir;
    EventBuilder event(dir.path() / "Day 1", "Day 1", 7);
    const auto own = event.asset({.name = "Own"});
    TimelineBuilder edit = event.sequence("Main Edit");
    const auto lonely = edit.clip("Lonely", 0.0, 5.0, {.media = false});
    lonely.connected("Connected", 1.0, 0.0, 2.0);
    // Connected items are listed before the clip's own media here.
    const auto later = edit.clip("Later", 0.0, 5.0, {.media = false});
    later.connected("Connected", 1.0, 0.0, 2.0);
    later.child("media", "FFAssetRef", {{"displayName", own.name}, {"mediaIdentifier", own.mediaIdentifier}});
    event.finish();

    FCPDatabaseConnection db(event.databasePath().string());
    const AssetStore store;
    EXPECT_EQ(findAssetInfo(lonely.pk(), db, store, nullptr, std::nullopt, 0), AssetInfo{});
    EXPECT_EQ(findAssetInfo(later.pk(), db, store, nullptr, std::nullopt, 0).name, "Own");
}

TEST(AssetInfoResolver, DeeperMetadataWinsWhenAnAssetIsFoundAndShallowerOtherwise) {
    Graph graph;
    const auto asset = graph.event().asset({.name = "Source"});
    const auto build = [&](bool withAsset) {
        const auto root = graph.object("Clip");
        const auto outer = graph.add(
            root, "FFAnchoredCollection",
            collection(10.0, {{"reel", "outer reel"}, {"scene", 12}, {"shot", "outer shot"}, {"notes", "n"}}));
        const auto inner =
            graph.add(outer, "FFAnchoredCollection", collection(20.0, {{"reel", "inner reel"}, {"scene", "7"}}));
        const auto component = graph.add(inner, "FFAnchoredMediaComponent", collection(2.0, {{"angle", "ignored"}}));
        if (withAsset) graph.reference(component, asset);
        return root;
    };
    const auto found = build(true);
    const auto notFound = build(false);
    graph.open();

    EXPECT_EQ(graph.find(found), (AssetInfo{.name = "Source",
                                            .mediaID = asset.mediaIdentifier,
                                            .rate = FrameRate::fps24,
                                            .reel = "inner reel",
                                            .scene = "7",
                                            .shot = "outer shot",
                                            .notes = "n",
                                            .videoCollectionStart = 20.0,
                                            .videoMediaComponentStart = 2.0}));
    // A media component's metadata is never read; the outer scene is a number and so absent.
    EXPECT_EQ(graph.find(notFound), (AssetInfo{.reel = "outer reel",
                                               .scene = "7",
                                               .shot = "outer shot",
                                               .notes = "n",
                                               .videoCollectionStart = 10.0,
                                               .videoMediaComponentStart = 2.0}));
}

TEST(AssetInfoResolver, SiblingsOfOneLevelFillOnlyWhatIsStillAbsent) {
    Graph graph;
    const auto root = graph.object("Clip");
    graph.add(root, "FFAnchoredCollection", {{"metadata", "not a dictionary"}, {"clippedRange", "{1/1,5/1}"}});
    graph.add(root, "FFAnchoredCollection", collection(3.0, {{"reel", "second"}}));
    graph.add(root, "FFAnchoredCollection", collection(4.0, {{"reel", "third"}, {"angle", "A"}}));
    graph.add(root, "FFAnchoredMediaComponent", {{"clippedRange", "{1/0,5/1}"}});  // unreadable range
    graph.add(root, "FFAnchoredMediaComponent", collection(6.0));
    graph.add(root, "FFAnchoredMediaComponent", collection(7.0));
    graph.open();

    EXPECT_EQ(
        graph.find(root),
        (AssetInfo{.reel = "second", .angle = "A", .videoCollectionStart = 1.0, .videoMediaComponentStart = 6.0}));
}

TEST(AssetInfoResolver, MulticamClipsResolveTheirAngleThroughTheIndex) {
    TemporaryDirectory dir;
    LibraryBuilder library(dir.path(), "Feature");
    auto& day1 = library.event("Day 1");
    const auto camA = day1.asset({.name = "Cam A", .frameDuration = "100/2500"});
    const auto camB = day1.asset({.name = "Cam B"});
    MulticamBuilder multicam = day1.multicam("Multicam", 60.0);
    multicam.angle("A", "a1").clip("Cam A", 5.0, 60.0, {.form = ClipForm::collection}).metadata({{"reel", "A reel"}});
    multicam.angle("B", "b2").clip("Cam B", 7.0, 60.0);
    TimelineBuilder edit = day1.sequence("Main Edit");
    const auto clip = edit.multicam("Multicam Clip", multicam, 0.0, 10.0, "b2");
    const auto orphan = edit.compoundReference("Orphan", "nowhere", 0.0, 5.0);
    // A collection read beside the clip reference, on the same level.
    const auto beside = day1.addObject("Clip");
    const auto besideCollection = day1.addObject("FFAnchoredCollection", collection(3.0, {{"reel", "beside"}}));
    const auto reference = day1.addObject("FFClipRef", {{"mediaIdentifier", multicam.mediaIdentifier()}});
    day1.link(beside, besideCollection);
    day1.link(beside, reference);
    library.finish();

    MulticamMediaIndex index;
    index.scan(library.bundlePath());
    AssetStore store;
    store.loadAllAssets(library.bundlePath());
    FCPDatabaseConnection db(day1.databasePath().string());

    const auto b = findAssetInfo(clip.pk(), db, store, &index, std::string("b2"), 0);
    EXPECT_EQ(b.name, "Cam B");
    EXPECT_EQ(b.rate, FrameRate::fps24);
    EXPECT_EQ(b.videoMediaComponentStart, std::nullopt);  // the angle's component starts at 7 s

    // Both starts are dropped although the angle's collection and component had them.
    const auto a = findAssetInfo(clip.pk(), db, store, &index, std::string("a1"), 0);
    EXPECT_EQ(
        a, (AssetInfo{.name = "Cam A", .mediaID = camA.mediaIdentifier, .rate = FrameRate::fps25, .reel = "A reel"}));
    EXPECT_EQ(findAssetInfo(clip.pk(), db, store, &index, std::nullopt, 0), a);

    // What the level gathered before the reference is dropped when the angle answers.
    EXPECT_EQ(findAssetInfo(beside, db, store, &index, std::string("b2"), 0),
              (AssetInfo{.name = "Cam B", .mediaID = camB.mediaIdentifier, .rate = FrameRate::fps24}));
    EXPECT_EQ(findAssetInfo(beside, db, store, nullptr, std::string("b2"), 0),
              (AssetInfo{.reel = "beside", .videoCollectionStart = 3.0}));

    // Without an index a clip reference is only descended; an unknown sequence likewise.
    EXPECT_EQ(findAssetInfo(clip.pk(), db, store, nullptr, std::string("b2"), 0), AssetInfo{});
    EXPECT_EQ(findAssetInfo(orphan.pk(), db, store, &index, std::nullopt, 0), AssetInfo{});
}

TEST(AssetInfoResolver, ReadsEightLevelsBelowTheClip) {
    Graph graph;
    const auto asset = graph.event().asset({.name = "Bottom"});
    // chain[0] is the clip; chain[k] lies k links below it.
    std::vector<std::int64_t> reachable{graph.object("Clip")};
    std::vector<std::int64_t> tooDeep{graph.object("Clip")};
    for (int level = 1; level <= 8; ++level) {
        reachable.push_back(graph.add(reachable.back(), "Link"));
        tooDeep.push_back(graph.add(tooDeep.back(), "Link"));
    }
    graph.reference(reachable[7], asset);  // read as a child at depth 7
    graph.reference(tooDeep[8], asset);    // would be read at depth 8
    graph.open();

    EXPECT_EQ(graph.find(reachable[0]).name, "Bottom");
    EXPECT_FALSE(graph.find(tooDeep[0]).isFound());
    EXPECT_EQ(graph.find(tooDeep[1]).name, "Bottom");

    // The depth a caller passes counts the same way; a negative one counts as 0.
    EXPECT_EQ(graph.find(reachable[7], nullptr, 7).name, "Bottom");
    EXPECT_FALSE(graph.find(reachable[6], nullptr, 7).isFound());
    EXPECT_EQ(graph.find(reachable[0], nullptr, -5).name, "Bottom");
    WalkBudget untouched;
    EXPECT_EQ(graph.find(reachable[7], &untouched, 8), AssetInfo{});
    EXPECT_EQ(untouched.spent(), 0u);
}

TEST(AssetInfoResolver, CollectionsOnTheWalkPathAreNotEnteredAgain) {
    Graph graph;
    const auto clip = graph.object("Clip");
    const auto a = graph.add(clip, "Link");
    const auto b = graph.add(a, "Link");
    graph.link(a, a);     // itself
    graph.link(b, a);     // back up one level
    graph.link(b, clip);  // back to the start
    graph.add(b, "FFAnchoredCollection", collection(1.0, {{"reel", "in the loop"}}));
    graph.open();

    WalkBudget budget;
    EXPECT_EQ(graph.find(clip, &budget), (AssetInfo{.reel = "in the loop", .videoCollectionStart = 1.0}));
    // a, b and the collection, each once.
    EXPECT_EQ(budget.spent(), 3u);
    EXPECT_FALSE(budget.exhausted());
}

TEST(AssetInfoResolver, AnExhaustedBudgetEndsTheWalkWithWhatItFound) {
    Graph graph;
    const auto asset = graph.event().asset({.name = "After The Maze"});
    // Each level's three collections all link below every collection of the level above.
    const auto clip = graph.object("Clip");
    graph.add(clip, "FFAnchoredCollection", collection(1.0, {{"reel", "early"}}));
    std::vector<std::int64_t> level{clip};
    for (int depth = 0; depth < 8; ++depth) {
        std::vector<std::int64_t> next;
        for (int i = 0; i < 3; ++i) next.push_back(graph.object("Link"));
        for (const auto parent : level)
            for (const auto child : next) graph.link(parent, child);
        level = std::move(next);
    }
    graph.reference(clip, asset);
    const auto simple = graph.object("Clip");
    graph.reference(simple, asset);
    graph.open();

    WalkBudget small(100);
    EXPECT_EQ(graph.find(clip, &small), (AssetInfo{.reel = "early", .videoCollectionStart = 1.0}));
    EXPECT_TRUE(small.exhausted());
    EXPECT_EQ(small.spent(), 100u);
    // A shared budget stays exhausted for every later walk.
    EXPECT_EQ(graph.find(simple, &small), AssetInfo{});

    // 3 + 9 + ... + 3^8 visits fit the default budget: the walk ends at the reference after the maze.
    WalkBudget ample;
    EXPECT_EQ(graph.find(clip, &ample).name, "After The Maze");
    EXPECT_EQ(ample.spent(), 2u + (6561u * 3u - 3u) / 2u);
    EXPECT_EQ(graph.find(clip).name, "After The Maze");
}

TEST(AssetInfoResolver, FailingQueriesGiveAnEmptyRecordInsteadOfAnError) {
    TemporaryDirectory dir;
    EventBuilder event(dir.path() / "Day 1", "Day 1", 7);
    TimelineBuilder edit = event.sequence("Main Edit");
    const auto clip = edit.clip("Clip", 2.0, 5.0, {.form = ClipForm::collection});
    event.finish();

    const auto withoutBlobs = dir.path() / "without-blobs.fcpevent";
    const auto withoutLinks = dir.path() / "without-links.fcpevent";
    fs::copy_file(event.databasePath(), withoutBlobs);
    fs::copy_file(event.databasePath(), withoutLinks);
    execute(withoutBlobs, "DROP TABLE ZCOLLECTIONMD");
    execute(withoutLinks, "DROP TABLE Z_3CHILDCOLLECTIONS");

    const AssetStore store;
    FCPDatabaseConnection noBlobs(withoutBlobs.string());
    FCPDatabaseConnection noLinks(withoutLinks.string());
    EXPECT_EQ(findAssetInfo(clip.pk(), noBlobs, store, nullptr, std::nullopt, 0), AssetInfo{});
    EXPECT_EQ(findAssetInfo(clip.pk(), noLinks, store, nullptr, std::nullopt, 0), AssetInfo{});
}

TEST(AssetInfoResolver, CorrectedSourceInRebasesOntoTheCollectionStart) {
    const AssetInfo info{.videoCollectionStart = 10.0, .videoMediaComponentStart = 2.0};
    EXPECT_DOUBLE_EQ(correctedSourceIn(10.003, info), 10.0);  // within 1/240 s of the collection start
    EXPECT_DOUBLE_EQ(correctedSourceIn(3.5, info), 11.5);
    EXPECT_DOUBLE_EQ(correctedSourceIn(1.996, info), 9.996);  // 0.004 s before the component start
    EXPECT_DOUBLE_EQ(correctedSourceIn(1.9958, info), 10.0);  // 0.0042 s before it
    EXPECT_DOUBLE_EQ(correctedSourceIn(1.0, info), 10.0);
    EXPECT_DOUBLE_EQ(correctedSourceIn(std::numeric_limits<double>::quiet_NaN(), info), 10.0);

    EXPECT_DOUBLE_EQ(correctedSourceIn(3.5, AssetInfo{.videoCollectionStart = 10.0}), 3.5);
    EXPECT_DOUBLE_EQ(correctedSourceIn(3.5, AssetInfo{.videoMediaComponentStart = 2.0}), 3.5);
    EXPECT_TRUE(std::isnan(correctedSourceIn(std::numeric_limits<double>::quiet_NaN(), AssetInfo{})));
}
