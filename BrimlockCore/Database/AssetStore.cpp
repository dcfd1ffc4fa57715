#include "BrimlockCore/Database/AssetStore.h"

#include "BrimlockCore/PropertyList/BlobDecoder.h"
#include "BrimlockCore/Database/DamagedStore.h"
#include "BrimlockCore/Database/FCPDatabaseConnection.h"
#include "BrimlockCore/Database/LibraryScanner.h"
#include "BrimlockCore/Database/StoreVocabulary.h"
#include "BrimlockCore/Timecode/TimecodeCalculator.h"

#include <cmath>
#include <string_view>
#include <utility>

namespace brimlock {

namespace {

constexpr double kFallbackFPS = 24.0;

std::optional<FrameRate> rateFromFrameDuration(const BlobDecoder::DecodedBlob& blob) {
    const auto text = blob.string("timecodeFrameDuration");
    if (!text) return std::nullopt;
    const auto fraction = TimecodeCalculator::parseCMTimeFraction(*text);
    if (!fraction) return std::nullopt;
    return frameRateFrom(fraction->value, fraction->timescale);
}

// seconds x fps + 0.5 truncated toward zero; nothing unless finite and within the 64-bit range.
std::optional<std::int64_t> framesAt(double seconds, double fps) noexcept {
    const double value = std::trunc(seconds * fps + 0.5);
    if (!std::isfinite(value)) return std::nullopt;
    // -2^63 and 2^63 are exact doubles; the range is [-2^63, 2^63).
    if (value < -9223372036854775808.0 || value >= 9223372036854775808.0) return std::nullopt;
    return static_cast<std::int64_t>(value);
}

std::optional<SourceAsset> assetFromBlob(const BlobDecoder::DecodedBlob& blob) {
    auto mediaIdentifier = blob.string(store::kMediaIdentifier);
    if (!mediaIdentifier) return std::nullopt;

    SourceAsset asset;
    asset.mediaIdentifier = std::move(*mediaIdentifier);
    asset.fileName = blob.string(store::kDisplayName).value_or("Unknown");

    const auto rangeText = blob.string("mediaRange");
    const auto range = rangeText ? TimecodeCalculator::parseCMTimeRangeString(*rangeText) : std::nullopt;
    if (range && std::isfinite(range->start) && std::isfinite(range->duration)) {
        const auto rate = rateFromFrameDuration(blob);
        const double fps = rate ? brimlock::fps(*rate) : kFallbackFPS;
        const auto start = framesAt(range->start, fps);
        const auto duration = framesAt(range->duration, fps);
        // Counts that cannot be held make the range unusable as a whole.
        if (start && duration) {
            asset.sourceStartFrames = *start;
            asset.durationFrames = *duration;
            asset.frameRate = rate;
        }
    }

    if (const auto dropFrame = blob.integer("timecodeDisplayDropFrame")) asset.isDropFrame = *dropFrame != 0;
    asset.videoFormatName = blob.string("videoFormatName");
    asset.hasVideo = blob.boolValue("hasVideo").value_or(false);
    asset.hasAudio = blob.boolValue("hasAudio").value_or(false);
    asset.audioSampleRate = blob.doubleValue("audioSampleRate");
    return asset;
}

}  // namespace

std::optional<SourceAsset> AssetStore::resolve(const std::string& mediaIdentifier) const {
    const auto found = assets_.find(mediaIdentifier);
    if (found == assets_.end()) return std::nullopt;
    return found->second;
}

void AssetStore::loadAssets(FCPDatabaseConnection& from) {
    for (const auto& row : from.fetchCollections(store::kAsset)) {
        if (!row.blob) continue;
        // An undecodable asset row is no asset.
        auto asset = whenStoreReadable([&] { return assetFromBlob(BlobDecoder::decode(*row.blob)); }, std::nullopt);
        if (!asset) continue;
        std::string key = asset->mediaIdentifier;
        assets_.insert_or_assign(std::move(key), std::move(*asset));
    }
}

void AssetStore::loadAllAssets(const std::filesystem::path& from) {
    for (const auto& databaseURL : LibraryScanner::findMediaFilesDatabases(from)) {
        std::optional<FCPDatabaseConnection> db;
        if (!whenStoreReadable([&] { db.emplace(databaseURL.string()); })) continue;
        loadAssets(*db);
    }
}

}  // namespace brimlock
