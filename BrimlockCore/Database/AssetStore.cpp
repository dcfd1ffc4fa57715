#include "BrimlockCore/Database/AssetStore.h"

#include "BrimlockCore/PropertyList/BlobDecoder.h"
#include "BrimlockCore/Database/DamagedStore.h"
#include "BrimlockCore/Database/FCPDatabaseConnection.h"
#include "BrimlockCore/Database/LibraryScanner.h"
#include "BrimlockCore/Database/StoreVocabulary.h"
#include "BrimlockCore/Timecode/TimecodeCalculator.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>
#include <utility>

namespace brimlock {

namespace {

constexpr double kFallbackFPS = 24.0;

struct Fraction {
    std::int64_t num;
    std::int64_t den;
};

// A decimal integer with an optional leading "+" or "-" and nothing else.
std::optional<std::int64_t> readInteger(std::string_view piece) noexcept {
    if (!piece.empty() && piece.front() == '+') {
        piece.remove_prefix(1);
        if (piece.empty() || piece.front() == '-') return std::nullopt;
    }
    std::int64_t value = 0;
    const char* end = piece.data() + piece.size();
    const auto [stop, error] = std::from_chars(piece.data(), end, value, 10);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

// "num/den": split at every "/", empty pieces dropped, exactly two integers, den not 0.
std::optional<Fraction> parseFraction(std::string_view text) noexcept {
    std::string_view pieces[2];
    int count = 0;
    while (!text.empty()) {
        const std::size_t cut = text.find('/');
        const std::string_view piece = text.substr(0, cut);
        if (!piece.empty()) {
            if (count == 2) return std::nullopt;
            pieces[count++] = piece;
        }
        if (cut == std::string_view::npos) break;
        text.remove_prefix(cut + 1);
    }
    if (count != 2) return std::nullopt;
    const auto num = readInteger(pieces[0]);
    const auto den = readInteger(pieces[1]);
    if (!num || !den || *den == 0) return std::nullopt;
    return Fraction{*num, *den};
}

std::optional<FrameRate> rateFromFrameDuration(const BlobDecoder::DecodedBlob& blob) {
    const auto text = blob.string("timecodeFrameDuration");
    if (!text) return std::nullopt;
    const auto fraction = parseFraction(*text);
    if (!fraction) return std::nullopt;
    // A time scale beyond 32 bits is no time scale the media could have.
    if (fraction->den < std::numeric_limits<std::int32_t>::min() ||
        fraction->den > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return frameRateFrom(fraction->num, static_cast<std::int32_t>(fraction->den));
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
