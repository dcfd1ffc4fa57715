#include "BrimlockCore/Database/AssetStore.h"
#include "BrimlockCore/Database/FCPDatabaseConnection.h"
#include "BrimlockCore/Database/FCPDatabaseError.h"

#include "testing/LibraryBuilder.h"

#include <gtest/gtest.h>

#include <vector>

using brimlock::AssetStore;
using brimlock::FCPDatabaseConnection;
using brimlock::FCPDatabaseError;
using brimlock::FrameRate;
using brimlock::SourceAsset;
using namespace quillo::testing;

namespace {

AssetStore loadedFrom(const std::filesystem::path& database) {
    FCPDatabaseConnection db(database.string());
    AssetStore store;
    store.loadAssets(db);
    return store;
}

// An asset whose frame counts show the rate they were computed at: 100 s start, 1 s duration.
AssetDescription timedAsset(std::string name, std::optional<std::string> frameDuration) {
    return {.name = std::move(name), .start = 100.0, .duration = 1.0, .frameDuration = std::move(frameDuration)};
}

}  // namespace

TEST(AssetStore, ReadsEveryFieldOfAnAsset) {
    for (const auto format : {PlistFormat::binary, PlistFormat::xml}) {
        SCOPED_TRACE(format == PlistFormat::binary ? "binary blobs" : "XML blobs");
        TemporaryDirectory dir;
        EventBuilder event(dir.path() / "Day 1", "Day 1", 7, {.blobFormat = format});
        const auto made = event.asset({.name = "Interview A",
                                       .mediaIdentifier = "media-A",
                                       .start = 10.0,
                                       .duration = 2.5,
                                       .frameDuration = "1/25",
                                       .dropFrame = true,
                                       .videoFormat = "1080p25",
                                       .hasVideo = true,
                                       .hasAudio = false,
                                       .audioSampleRate = 44100.0});
        event.finish();

        AssetStore store = loadedFrom(event.databasePath());
        EXPECT_EQ(store.count(), 1u);
        const auto asset = store.resolve(made.mediaIdentifier);
        ASSERT_TRUE(asset);
        EXPECT_EQ(asset->fileName, "Interview A");
        EXPECT_EQ(asset->mediaIdentifier, "media-A");
        EXPECT_EQ(asset->sourceStartFrames, 250);
        EXPECT_EQ(asset->durationFrames, 63);  // 62.5 + 0.5, truncated
        EXPECT_EQ(asset->frameRate, FrameRate::fps25);
        EXPECT_TRUE(asset->isDropFrame);
        EXPECT_EQ(asset->videoFormatName, "1080p25");
        EXPECT_TRUE(asset->hasVideo);
        EXPECT_FALSE(asset->hasAudio);
        EXPECT_EQ(asset->audioSampleRate, 44100.0);

        store.clear();
        EXPECT_EQ(store.count(), 0u);
        EXPECT_EQ(store.resolve("media-A"), std::nullopt);
        EXPECT_EQ(store.resolve(""), std::nullopt);
    }
}

TEST(AssetStore, FrameDurationTextDecidesTheRateAndTheFramesPerSecond) {
    struct Case {
        std::optional<std::string> frameDuration;
        std::optional<FrameRate> rate;
        std::int64_t startFrames;  // of 100 s
    };
    const std::vector<Case> cases{
        {"1001/24000", FrameRate::fps23_976, 2398},
        {"1001/30000", FrameRate::fps29_97ndf, 2997},  // never the drop-frame case
        {"100/5000", FrameRate::fps50, 5000},
        {"/1001/24000", FrameRate::fps23_976, 2398},  // empty pieces are dropped
        {"1001//24000", FrameRate::fps23_976, 2398},
        {"+1001/+24000", FrameRate::fps23_976, 2398},
        // Unreadable or unknown: 24 fps for the counts, no rate.
        {"1001/24000s", std::nullopt, 2400},
        {"1001/0", std::nullopt, 2400},
        {"1001/24000/1", std::nullopt, 2400},
        {"1/7", std::nullopt, 2400},
        {"1/4294967296", std::nullopt, 2400},  // a time scale beyond 32 bits
        {"99999999999999999999/24000", std::nullopt, 2400},
        {std::nullopt, std::nullopt, 2400},
    };
    TemporaryDirectory dir;
    EventBuilder event(dir.path() / "Day 1", "Day 1", 7);
    std::vector<AssetRef> made;
    for (std::size_t i = 0; i < cases.size(); ++i)
        made.push_back(event.asset(timedAsset("A" + std::to_string(i), cases[i].frameDuration)));
    event.finish();

    const AssetStore store = loadedFrom(event.databasePath());
    ASSERT_EQ(store.count(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].frameDuration.value_or("(absent)"));
        const auto asset = store.resolve(made[i].mediaIdentifier);
        ASSERT_TRUE(asset);
        EXPECT_EQ(asset->frameRate, cases[i].rate);
        EXPECT_EQ(asset->sourceStartFrames, cases[i].startFrames);
    }
}

TEST(AssetStore, WithoutAUsableMediaRangeFramesAreZeroAndTheRateIsUnknown) {
    TemporaryDirectory dir;
    EventBuilder event(dir.path() / "Day 1", "Day 1", 7);
    const auto missing = event.asset(timedAsset("Missing", "100/2500"));
    event.removeAttribute(missing.pk, "mediaRange");
    const auto unreadable = event.asset(timedAsset("Unreadable", "100/2500"));
    event.setAttribute(unreadable.pk, "mediaRange", "{1/0,2/1}");
    const auto notText = event.asset(timedAsset("NotText", "100/2500"));
    event.setAttribute(notText.pk, "mediaRange", 5);
    // 2^63 - 1 seconds hold no 64-bit frame count at any rate.
    const auto huge = event.asset(timedAsset("Huge", "100/2500"));
    event.setAttribute(huge.pk, "mediaRange", "{9223372036854775807/1,1/1}");
    const auto hugeDuration = event.asset(timedAsset("HugeDuration", "100/2500"));
    event.setAttribute(hugeDuration.pk, "mediaRange", "{0/1,-9223372036854775807/1}");
    const auto negative = event.asset(timedAsset("Negative", "100/2500"));
    event.setAttribute(negative.pk, "mediaRange", "{-10/1,4/1}");
    event.finish();

    const AssetStore store = loadedFrom(event.databasePath());
    for (const auto& made : {missing, unreadable, notText, huge, hugeDuration}) {
        SCOPED_TRACE(made.name);
        const auto asset = store.resolve(made.mediaIdentifier);
        ASSERT_TRUE(asset);
        EXPECT_EQ(asset->sourceStartFrames, 0);
        EXPECT_EQ(asset->durationFrames, 0);
        EXPECT_EQ(asset->frameRate, std::nullopt);
        EXPECT_EQ(asset->fileName, made.name);  // the rest of the asset is still read
    }
    // Negative starts truncate toward zero after the half is added: -250 + 0.5 -> -249.
    const auto asset = store.resolve(negative.mediaIdentifier);
    ASSERT_TRUE(asset);
    EXPECT_EQ(asset->sourceStartFrames, -249);
    EXPECT_EQ(asset->durationFrames, 100);
    EXPECT_EQ(asset->frameRate, FrameRate::fps25);
}

TEST(AssetStore, ValuesOfAnotherKindCountAsAbsent) {
    TemporaryDirectory dir;
    EventBuilder event(dir.path() / "Day 1", "Day 1", 7);
    const auto odd = event.asset({.name = "Odd"});
    event.setAttribute(odd.pk, "displayName", 12);
    event.setAttribute(odd.pk, "timecodeDisplayDropFrame", "1");
    event.setAttribute(odd.pk, "videoFormatName", 1080);
    event.setAttribute(odd.pk, "hasVideo", 1);  // a number 0 or 1 reads as a Boolean
    event.setAttribute(odd.pk, "hasAudio", "yes");
    event.setAttribute(odd.pk, "audioSampleRate", 48000);  // an integer reads as a real
    const auto bare = event.asset({.name = "Bare"});
    for (const char* key :
         {"displayName", "timecodeDisplayDropFrame", "videoFormatName", "hasVideo", "hasAudio", "audioSampleRate"})
        event.removeAttribute(bare.pk, key);
    event.finish();

    const AssetStore store = loadedFrom(event.databasePath());
    const auto oddAsset = store.resolve(odd.mediaIdentifier);
    ASSERT_TRUE(oddAsset);
    EXPECT_EQ(oddAsset->fileName, "Unknown");
    EXPECT_FALSE(oddAsset->isDropFrame);
    EXPECT_EQ(oddAsset->videoFormatName, std::nullopt);
    EXPECT_TRUE(oddAsset->hasVideo);
    EXPECT_FALSE(oddAsset->hasAudio);
    EXPECT_EQ(oddAsset->audioSampleRate, 48000.0);

    const auto bareAsset = store.resolve(bare.mediaIdentifier);
    ASSERT_TRUE(bareAsset);
    EXPECT_EQ(bareAsset->fileName, "Unknown");
    EXPECT_FALSE(bareAsset->isDropFrame);
    EXPECT_EQ(bareAsset->videoFormatName, std::nullopt);
    EXPECT_FALSE(bareAsset->hasVideo);
    EXPECT_FALSE(bareAsset->hasAudio);
    EXPECT_EQ(bareAsset->audioSampleRate, std::nullopt);
    EXPECT_EQ(bareAsset->frameRate, FrameRate::fps24);
}

TEST(AssetStore, RowsWithoutAReadableIdentifierAreSkippedAndLaterRowsReplaceEarlierOnes) {
    TemporaryDirectory dir;
    EventBuilder event(dir.path() / "Day 1", "Day 1", 7);
    const auto noBlob = event.asset({.name = "NoBlob"});
    event.setBlob(noBlob.pk, EventDatabase::Blob::null());
    const auto noRow = event.asset({.name = "NoRow"});
    event.setBlob(noRow.pk, EventDatabase::Blob::noRow());
    const auto garbage = event.asset({.name = "Garbage"});
    event.setBlob(garbage.pk, EventDatabase::Blob(bytesOf("bplist00 not really")));
    const auto numericID = event.asset({.name = "NumericID"});
    event.setAttribute(numericID.pk, "mediaIdentifier", 42);
    const auto noID = event.asset({.name = "NoID"});
    event.removeAttribute(noID.pk, "mediaIdentifier");
    event.asset({.name = "First", .mediaIdentifier = "shared", .frameDuration = "100/2500"});
    event.asset({.name = "Second", .mediaIdentifier = "shared", .frameDuration = "100/3000"});
    event.finish();

    const AssetStore store = loadedFrom(event.databasePath());
    EXPECT_EQ(store.count(), 1u);
    for (const auto& skipped : {noBlob, noRow, garbage, numericID})
        EXPECT_EQ(store.resolve(skipped.mediaIdentifier), std::nullopt) << skipped.name;
    const auto shared = store.resolve("shared");
    ASSERT_TRUE(shared);
    EXPECT_EQ(shared->fileName, "Second");
    EXPECT_EQ(shared->frameRate, FrameRate::fps30);
}

TEST(AssetStore, AFailingAssetQueryThrowsAndLeavesTheStoreAsItWas) {
    TemporaryDirectory dir;
    EventBuilder good(dir.path() / "Good", "Good", 7);
    const auto kept = good.asset({.name = "Kept"});
    good.finish();
    EventDatabase broken(dir.path() / "Broken.fcpevent", "broken", "Broken");
    broken.execute("DROP TABLE ZCOLLECTIONMD");
    broken.close();

    AssetStore store = loadedFrom(good.databasePath());
    FCPDatabaseConnection db(broken.path().string());
    try {
        store.loadAssets(db);
        FAIL() << "the asset query cannot run without ZCOLLECTIONMD";
    } catch (const FCPDatabaseError& error) {
        EXPECT_EQ(error.kind(), FCPDatabaseError::Kind::queryFailed);
    }
    EXPECT_EQ(store.count(), 1u);
    EXPECT_TRUE(store.resolve(kept.mediaIdentifier));
}

TEST(AssetStore, LoadsTheMediaDatabasesOfALibrary) {
    TemporaryDirectory dir;
    LibraryBuilder library(dir.path(), "Feature");
    const auto a = library.event("Day 1").asset({.name = "A"});
    const auto b = library.event("Day 2").asset({.name = "B", .frameDuration = "100/2500"});
    // Only databases directly inside the bundle count as media databases.
    const auto nested = library.event("Shoots/Day 3").asset({.name = "Nested"});
    library.unreadableEvent("Broken");
    library.finish();

    AssetStore store;
    store.loadAllAssets(library.bundlePath());
    EXPECT_EQ(store.count(), 2u);
    EXPECT_EQ(store.resolve(a.mediaIdentifier).value().frameRate, FrameRate::fps24);
    EXPECT_EQ(store.resolve(b.mediaIdentifier).value().frameRate, FrameRate::fps25);
    EXPECT_EQ(store.resolve(nested.mediaIdentifier), std::nullopt);

    EXPECT_THROW(store.loadAllAssets(dir.path() / "Missing.fcpbundle"), std::filesystem::filesystem_error);
    EXPECT_EQ(store.count(), 2u);
}
