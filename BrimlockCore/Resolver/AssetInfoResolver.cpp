#include "BrimlockCore/Resolver/AssetInfoResolver.h"

#include "BrimlockCore/Database/AssetStore.h"
#include "BrimlockCore/PropertyList/BlobDecoder.h"
#include "BrimlockCore/Database/FCPDatabaseConnection.h"
#include "BrimlockCore/Database/StoreVocabulary.h"
#include "BrimlockCore/Resolver/MulticamMediaIndex.h"
#include "BrimlockCore/Resolver/CollectionCache.h"
#include "BrimlockCore/Resolver/WalkBudget.h"
#include "BrimlockCore/Timecode/TimecodeCalculator.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

namespace brimlock::AssetInfoResolver {

namespace {

using BlobDecoder::DecodedBlob;

struct Walk {
    CollectionCache& cache;
    const AssetStore& assetStore;
    MulticamMediaIndex* multicamIndex;
    const std::optional<std::string>& videoAngle;
    WalkBudget& budget;
    // The collections from the starting clip down to the level being read: at most nine.
    std::vector<std::int64_t> path;

    bool isOnPath(std::int64_t pk) const { return std::find(path.begin(), path.end(), pk) != path.end(); }
};

std::optional<double> clippedRangeStart(const DecodedBlob& blob) {
    const auto text = blob.string(store::kClippedRange);
    if (!text) return std::nullopt;
    const auto range = TimecodeCalculator::parseCMTimeRangeString(*text);
    if (!range || !std::isfinite(range->start)) return std::nullopt;
    return range->start;
}

// The gathered fields of `target` that are absent, taken from `source`.
void fillAbsentGatheredFields(AssetInfo& target, const AssetInfo& source) {
    const auto fill = [](auto& into, const auto& from) {
        if (!into) into = from;
    };
    fill(target.reel, source.reel);
    fill(target.scene, source.scene);
    fill(target.shot, source.shot);
    fill(target.angle, source.angle);
    fill(target.notes, source.notes);
    fill(target.videoCollectionStart, source.videoCollectionStart);
    fill(target.videoMediaComponentStart, source.videoMediaComponentStart);
}

void readCollection(const DecodedBlob& blob, AssetInfo& gathered) {
    if (const auto metadata = blob.dictionary(store::kMetadata)) {
        const auto take = [&](std::optional<std::string>& field, std::string_view key) {
            if (field) return;
            const auto value = metadata->find(key);
            if (!value) return;
            if (const auto text = value->string()) field = std::string(*text);
        };
        take(gathered.reel, store::kReel);
        take(gathered.scene, store::kScene);
        take(gathered.shot, store::kShot);
        take(gathered.angle, store::kAngle);
        take(gathered.notes, store::kNotes);
    }
    if (!gathered.videoCollectionStart) gathered.videoCollectionStart = clippedRangeStart(blob);
}

// The asset reference's record: asset fields from its blob and the store, gathered fields from above.
AssetInfo assetReferenceInfo(const Walk& walk, const DecodedBlob& blob, const AssetInfo& gathered) {
    AssetInfo found = gathered;
    found.mediaID = blob.string(store::kMediaIdentifier);
    const auto source = found.mediaID ? walk.assetStore.resolve(*found.mediaID) : std::nullopt;
    found.name = blob.string(store::kDisplayName);
    if (!found.name && source) found.name = source->fileName;
    if (source) found.rate = source->frameRate;
    return found;
}

std::optional<AssetInfo> multicamAngleInfo(Walk& walk, const DecodedBlob& blob) {
    const auto mediaIdentifier = blob.string(store::kMediaIdentifier);
    if (!mediaIdentifier) return std::nullopt;
    auto angle = walk.multicamIndex->resolve(*mediaIdentifier, walk.videoAngle, walk.assetStore, &walk.budget);
    if (!angle) return std::nullopt;
    angle->videoCollectionStart.reset();
    angle->videoMediaComponentStart.reset();
    return angle;
}

AssetInfo findBelow(Walk& walk, std::int64_t pk, int depth) {
    AssetInfo gathered;
    if (depth > kMaximumDepth || walk.budget.exhausted()) return gathered;

    const auto children = walk.cache.children(pk);
    if (!children) return gathered;

    for (const auto child : *children) {
        // A link back up the walk path would only repeat the levels above.
        if (walk.isOnPath(child)) continue;
        if (!walk.budget.spend()) return gathered;

        const auto* info = walk.cache.info(child);
        if (info == nullptr) continue;
        if (info->name == store::kAnchoredItems) continue;

        const std::string_view type = info->type ? std::string_view(*info->type) : std::string_view();
        if (type == store::kAssetRef) {
            if (const auto* blob = walk.cache.blob(child)) return assetReferenceInfo(walk, *blob, gathered);
        } else if (type == store::kClipRef) {
            if (walk.multicamIndex) {
                if (const auto* blob = walk.cache.blob(child)) {
                    if (auto angle = multicamAngleInfo(walk, *blob)) return std::move(*angle);
                }
            }
        } else if (type == store::kAnchoredCollection) {
            if (const auto* blob = walk.cache.blob(child)) readCollection(*blob, gathered);
        } else if (type == store::kAnchoredMediaComponent && !gathered.videoMediaComponentStart) {
            // Only its start is read, so a component after the first one on a level costs nothing.
            if (const auto* blob = walk.cache.blob(child)) gathered.videoMediaComponentStart = clippedRangeStart(*blob);
        }

        walk.path.push_back(child);
        AssetInfo below = findBelow(walk, child, depth + 1);
        walk.path.pop_back();
        if (below.isFound()) {
            // The deeper level's values win: they are nearer the asset.
            fillAbsentGatheredFields(below, gathered);
            return below;
        }
        fillAbsentGatheredFields(gathered, below);
    }
    return gathered;
}

}  // namespace

AssetInfo findAssetInfo(std::int64_t pk, FCPDatabaseConnection& db, const AssetStore& assetStore,
                        MulticamMediaIndex* multicamIndex, const std::optional<std::string>& videoAngle, int depth,
                        WalkBudget* budget) {
    CollectionCache cache(db);
    return findAssetInfo(pk, cache, assetStore, multicamIndex, videoAngle, depth, budget);
}

AssetInfo findAssetInfo(std::int64_t pk, CollectionCache& cache, const AssetStore& assetStore,
                        MulticamMediaIndex* multicamIndex, const std::optional<std::string>& videoAngle, int depth,
                        WalkBudget* budget) {
    WalkBudget ownBudget;
    Walk walk{cache, assetStore, multicamIndex, videoAngle, budget ? *budget : ownBudget, {pk}};
    walk.path.reserve(kMaximumDepth + 2);
    return findBelow(walk, pk, std::max(depth, 0));
}

double correctedSourceIn(double outerStart, const AssetInfo& info) noexcept {
    if (!info.videoCollectionStart || !info.videoMediaComponentStart) return outerStart;
    const double collectionStart = *info.videoCollectionStart;
    const double componentStart = *info.videoMediaComponentStart;
    // Comparisons with NaN are false, so a difference that is no number gives the collection start.
    if (std::abs(outerStart - collectionStart) > kSourceInTolerance &&
        outerStart - componentStart >= -kSourceInTolerance)
        return collectionStart + (outerStart - componentStart);
    return collectionStart;
}

}  // namespace brimlock::AssetInfoResolver
