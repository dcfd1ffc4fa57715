#include "BrimlockCore/Database/AssetStore.h"
#include "BrimlockCore/Database/FCPDatabaseConnection.h"
#include "BrimlockCore/Resolver/MulticamMediaIndex.h"
#include "BrimlockCore/Resolver/WalkBudget.h"

#include "testing/LibraryBuilder.h"

#include <gtest/gtest.h>

#include <vector>

using brimlock::AssetStore;
using brimlock::FCPDatabaseConnection;
using brimlock::FrameRate;
using brimlock::MulticamMediaIndex;
using brimlock::WalkBudget;
using namespace quillo::testing;
namespace fs = std::filesystem;

namespace {

// A library whose first event holds a multicam sequence with angles "a1" (Cam A, 25 fps) and "b2"
// (Cam B, 24 fps), a timeline using it, and an empty multicam; a second event holds one timeline.
struct MulticamLibrary {
    TemporaryDirectory dir;
    LibraryBuilder library{dir.path(), "Feature"};
    EventBuilder& day1 = library.event("Day 1");
    EventBuilder& day2 = library.event("Day 2");
    AssetRef camA = day1.asset({.name = "Cam A", .frameDuration = "100/2500"});
    AssetRef camB = day1.asset({.name = "Cam B"});
    MulticamBuilder multicam = day1.multicam("Multicam", 60.0);
    MulticamBuilder empty = day1.multicam("No Angles", 60.0);
    TimelineBuilder edit = day1.sequence("Main Edit");
    TimelineBuilder other = day2.sequence("Other Edit");

    MulticamLibrary() {
        multicam.angle("A", "a1").clip("Cam A", 5.0, 60.0);
        multicam.angle("B", "b2").clip("Cam B", 7.0, 60.0);
        edit.multicam("Multicam Clip", multicam, 0.0, 10.0, "b2");
        other.clip("Solo", 0.0, 4.0);
    }

    fs::path finish() { return library.finish(); }
};

AssetStore loadedStore(const fs::path& bundle) {
    AssetStore store;
    store.loadAllAssets(bundle);
    return store;
}

}  // namespace

TEST(MulticamMediaIndex, AnEmptyIndexAnswersNothing) {
    MulticamMediaIndex index;
    const AssetStore store;
    EXPECT_EQ(index.sequenceLocation("any"), std::nullopt);
    EXPECT_EQ(index.resolve("any", std::nullopt, store), std::nullopt);
    EXPECT_EQ(index.resolve("any", "a1", store), std::nullopt);

    TemporaryDirectory dir;
    index.scan(dir.path() / "Missing.fcpbundle");  // a library that cannot be listed has no events
    EXPECT_EQ(index.sequenceLocation("any"), std::nullopt);
}

TEST(MulticamMediaIndex, IndexesEverySequenceOfEveryEventAndSharesOneConnectionPerDatabase) {
    MulticamLibrary fixture;
    const auto bundle = fixture.finish();
    MulticamMediaIndex index;
    index.scan(bundle);

    const auto multicam = index.sequenceLocation(fixture.multicam.mediaIdentifier());
    const auto edit = index.sequenceLocation(fixture.edit.mediaIdentifier());
    const auto other = index.sequenceLocation(fixture.other.mediaIdentifier());
    ASSERT_TRUE(multicam && edit && other);
    EXPECT_EQ(multicam->sequencePK, fixture.multicam.sequencePK());
    EXPECT_EQ(edit->sequencePK, fixture.edit.sequencePK());
    EXPECT_EQ(other->sequencePK, fixture.other.sequencePK());
    EXPECT_EQ(fs::path(multicam->db.path()), fixture.day1.databasePath());
    EXPECT_EQ(fs::path(other->db.path()), fixture.day2.databasePath());
    EXPECT_EQ(&multicam->db, &edit->db);
    EXPECT_NE(&multicam->db, &other->db);
    // Sequences of any kind are indexed: the inner one of a multicam without angles too.
    EXPECT_TRUE(index.sequenceLocation(fixture.empty.mediaIdentifier()));
    EXPECT_EQ(index.sequenceLocation("not-a-sequence"), std::nullopt);
}

TEST(MulticamMediaIndex, TheFirstReadableSequenceWithAnIdentifierStaysAcrossEventsAndScans) {
    TemporaryDirectory dir;
    LibraryBuilder first(dir.path(), "First");
    first.unreadableEvent("A Broken");
    auto& day1 = first.event("Day 1");
    const auto garbage = day1.sequence("Garbage");
    garbage.sequence().blob(EventDatabase::Blob(bytesOf("not a property list")));
    day1.sequence("Numeric").sequence().attribute("mediaIdentifier", 7);
    const auto original = day1.sequence("Original");
    day1.sequence("Copy").sequence().attribute("mediaIdentifier", original.mediaIdentifier());
    first.event("Day 2").sequence("Elsewhere").sequence().attribute("mediaIdentifier", original.mediaIdentifier());
    first.finish();

    LibraryBuilder second(dir.path(), "Second", {.seed = 2});
    second.event("Day 1").sequence("Later").sequence().attribute("mediaIdentifier", original.mediaIdentifier());
    second.finish();

    MulticamMediaIndex index;
    index.scan(first.bundlePath());
    index.scan(second.bundlePath());
    const auto location = index.sequenceLocation(original.mediaIdentifier());
    ASSERT_TRUE(location);
    EXPECT_EQ(location->sequencePK, original.sequencePK());
    EXPECT_EQ(fs::path(location->db.path()), day1.databasePath());
    EXPECT_EQ(index.sequenceLocation(garbage.mediaIdentifier()), std::nullopt);
    EXPECT_EQ(index.sequenceLocation("7"), std::nullopt);
}

TEST(MulticamMediaIndex, ADatabaseThatCannotBeOpenedIsTriedAgainOnTheNextLookup) {
    MulticamLibrary fixture;
    const auto bundle = fixture.finish();
    MulticamMediaIndex index;
    index.scan(bundle);
    const AssetStore store;

    const auto database = fixture.day1.databasePath();
    const auto moved = database.parent_path() / "moved";
    fs::rename(database, moved);
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(index.sequenceLocation(fixture.multicam.mediaIdentifier()), std::nullopt);
        EXPECT_EQ(index.resolve(fixture.multicam.mediaIdentifier(), "a1", store), std::nullopt);
    }
    // The other database is unaffected.
    EXPECT_TRUE(index.sequenceLocation(fixture.other.mediaIdentifier()));

    fs::rename(moved, database);
    EXPECT_TRUE(index.sequenceLocation(fixture.multicam.mediaIdentifier()));
    const auto angle = index.resolve(fixture.multicam.mediaIdentifier(), "a1", store);
    ASSERT_TRUE(angle);
    EXPECT_EQ(angle->name, "Cam A");
}

TEST(MulticamMediaIndex, ResolvesTheAngleWithTheGivenIDElseTheFirst) {
    MulticamLibrary fixture;
    const auto bundle = fixture.finish();
    MulticamMediaIndex index;
    index.scan(bundle);
    const AssetStore emptyStore;
    const AssetStore store = loadedStore(bundle);
    const auto& id = fixture.multicam.mediaIdentifier();

    const auto b = index.resolve(id, "b2", store);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->name, "Cam B");
    EXPECT_EQ(b->mediaID, fixture.camB.mediaIdentifier);
    EXPECT_EQ(b->rate, FrameRate::fps24);

    const auto a = index.resolve(id, "a1", store);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->name, "Cam A");
    EXPECT_EQ(a->rate, FrameRate::fps25);
    // The angle's media component start comes along: the angle is resolved like any clip.
    EXPECT_EQ(a->videoMediaComponentStart, 5.0);

    const std::vector<std::optional<std::string>> fallingBack{std::nullopt, "zz", "B2", ""};
    for (const auto& angleID : fallingBack) {
        SCOPED_TRACE(angleID.value_or("(none)"));
        EXPECT_EQ(index.resolve(id, angleID, store), a);
    }

    // Without assets the name and identifier still come from the asset reference, the rate does not.
    const auto unrated = index.resolve(id, "b2", emptyStore);
    ASSERT_TRUE(unrated);
    EXPECT_EQ(unrated->name, "Cam B");
    EXPECT_EQ(unrated->rate, std::nullopt);
}

TEST(MulticamMediaIndex, AnglesWhoseIDCannotBeReadDoNotMatch) {
    TemporaryDirectory dir;
    LibraryBuilder library(dir.path(), "Feature");
    auto& day1 = library.event("Day 1");
    MulticamBuilder multicam = day1.multicam("Multicam", 30.0);
    multicam.angle("First", "first").clip("First Cam", 0.0, 30.0);
    multicam.angle("Unreadable", "x").owner().blob(EventDatabase::Blob(bytesOf("garbage")));
    multicam.angle("Missing", "x").owner().blob(EventDatabase::Blob::null());
    multicam.angle("Numeric", "x").owner().attribute("angleID", 7);
    multicam.angle("Seven", "7").clip("Seven Cam", 0.0, 30.0);
    multicam.angle("Text", "x").clip("Text Cam", 0.0, 30.0);
    library.finish();

    MulticamMediaIndex index;
    index.scan(library.bundlePath());
    const AssetStore store;
    // The number 7 is no text "7"; the "x" angles before the last cannot be read, and the search goes on.
    EXPECT_EQ(index.resolve(multicam.mediaIdentifier(), "7", store).value().name, "Seven Cam");
    EXPECT_EQ(index.resolve(multicam.mediaIdentifier(), "x", store).value().name, "Text Cam");
    EXPECT_EQ(index.resolve(multicam.mediaIdentifier(), "y", store).value().name, "First Cam");
}

TEST(MulticamMediaIndex, ASequenceWithoutAnglesResolvesToNothing) {
    MulticamLibrary fixture;
    auto& day1 = fixture.day1;
    const auto bare = day1.sequence("Bare");  // no storyline items at all
    const auto plain = day1.sequence("Plain");
    plain.clip("Plain Clip", 0.0, 5.0);  // no connected items
    const auto connected = day1.sequence("Connected");
    connected.clip("Base", 0.0, 5.0).connected("Connected Clip", 1.0, 0.0, 2.0);
    const auto bundle = fixture.finish();

    MulticamMediaIndex index;
    index.scan(bundle);
    const AssetStore store;
    EXPECT_EQ(index.resolve(fixture.empty.mediaIdentifier(), std::nullopt, store), std::nullopt);
    EXPECT_EQ(index.resolve(bare.mediaIdentifier(), std::nullopt, store), std::nullopt);
    EXPECT_EQ(index.resolve(plain.mediaIdentifier(), std::nullopt, store), std::nullopt);
    EXPECT_EQ(index.resolve("unknown", std::nullopt, store), std::nullopt);
    // Any sequence whose first item has connected items answers with the first of them.
    EXPECT_EQ(index.resolve(connected.mediaIdentifier(), std::nullopt, store).value().name, "Connected Clip");
}

TEST(MulticamMediaIndex, AMulticamClipInsideAnAngleIsNotResolvedAgain) {
    MulticamLibrary fixture;
    MulticamBuilder outer = fixture.day1.multicam("Outer", 30.0);
    outer.angle("Nested", "n1").multicam("Inner Multicam", fixture.multicam, 0.0, 30.0, "a1");
    const auto bundle = fixture.finish();

    MulticamMediaIndex index;
    index.scan(bundle);
    const AssetStore store;
    const auto nested = index.resolve(outer.mediaIdentifier(), "n1", store);
    ASSERT_TRUE(nested);
    EXPECT_FALSE(nested->isFound());
}

TEST(MulticamMediaIndex, AngleReadsCountAgainstTheBudget) {
    MulticamLibrary fixture;
    const auto bundle = fixture.finish();
    MulticamMediaIndex index;
    index.scan(bundle);
    const AssetStore store;
    const auto& id = fixture.multicam.mediaIdentifier();

    // Without an angle ID no angle is read before the first angle is walked.
    WalkBudget firstOnly;
    WalkBudget matchSecond;
    ASSERT_TRUE(index.resolve(id, std::nullopt, store, &firstOnly));
    ASSERT_TRUE(index.resolve(id, "b2", store, &matchSecond));
    EXPECT_EQ(matchSecond.spent(), firstOnly.spent() + 2);

    WalkBudget exhausted(0);
    const auto starved = index.resolve(id, "b2", store, &exhausted);
    ASSERT_TRUE(starved);
    EXPECT_FALSE(starved->isFound());
    EXPECT_TRUE(exhausted.exhausted());
}
