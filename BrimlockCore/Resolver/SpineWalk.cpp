#include "BrimlockCore/Resolver/SpineWalk.h"

#include "BrimlockCore/Database/AssetStore.h"
#include "BrimlockCore/Database/StoreVocabulary.h"
#include "BrimlockCore/PropertyList/DecodedBlob.h"
#include "BrimlockCore/Resolver/MulticamMediaIndex.h"
#include "BrimlockCore/Resolver/AssetInfoResolver.h"
#include "BrimlockCore/Resolver/BlobFields.h"
#include "BrimlockCore/Resolver/CollectionCache.h"
#include "BrimlockCore/Resolver/SpineClipDetails.h"
#include "BrimlockCore/Resolver/TimelineResolver.h"
#include "BrimlockCore/Resolver/WalkBudget.h"

#include <algorithm>

namespace brimlock {

namespace {

constexpr int kMaximumSequenceDepth = 7;
constexpr int kMaximumStackDepth = 3;

using BlobDecoder::DecodedBlob;

// Keeps a key on the walk path for the lifetime of the guard.
template <class Key>
class PathStep {
public:
    PathStep(std::vector<Key>& path, Key key) : path_(path) { path_.push_back(key); }
    ~PathStep() { path_.pop_back(); }
    PathStep(const PathStep&) = delete;
    PathStep& operator=(const PathStep&) = delete;

private:
    std::vector<Key>& path_;
};

// The text under `key` of the "metadata" dictionary, else `fallback`.
std::optional<std::string> metadataText(const std::optional<PropertyListValue>& metadata, std::string_view key,
                                        const std::optional<std::string>& fallback) {
    if (metadata) {
        if (const auto value = metadata->find(key)) {
            if (const auto text = value->string()) return std::string(*text);
        }
    }
    return fallback;
}

// The media identifier of the sequence a compound clip refers to: the first "FFClipRef" below its
// "media" with a text "mediaIdentifier".
std::optional<std::string> compoundMediaIdentifier(std::int64_t clip, CollectionCache& cache, WalkBudget& budget) {
    const auto media = cache.childNamed(clip, store::kMedia);
    if (!media) return std::nullopt;
    const auto children = cache.children(*media);
    if (!children) return std::nullopt;
    for (const auto child : *children) {
        if (!budget.spend()) return std::nullopt;
        const auto* row = cache.info(child);
        if (!row || row->type != store::kClipRef) continue;
        if (const auto* blob = cache.blob(child)) {
            if (auto identifier = BlobFields::ownedText(*blob, store::kMediaIdentifier)) return identifier;
        }
    }
    return std::nullopt;
}

}  // namespace

SpineWalk::Result SpineWalk::run(std::int64_t sequencePK) {
    result_ = {};
    path_.clear();
    collectSpineEntries(sequencePK, resolver_.collectionCache(resolver_.db_), 0.0, 0);
    return std::move(result_);
}

bool SpineWalk::isOnPath(const CollectionCache& cache, std::int64_t pk) const {
    return std::find(path_.begin(), path_.end(), PathKey{&cache, pk}) != path_.end();
}

std::optional<double> SpineWalk::collectSpineEntries(std::int64_t sequencePK, CollectionCache& cache,
                                                     double timelineStart, int depth) {
    if (depth > kMaximumSequenceDepth || isOnPath(cache, sequencePK) || !budget_.spend()) return std::nullopt;
    PathStep<PathKey> step(path_, {&cache, sequencePK});

    const auto primaryObject = cache.childNamed(sequencePK, store::kPrimaryObject);
    if (!primaryObject) return 0.0;
    const auto primaries = cache.children(*primaryObject);
    if (!primaries || primaries->empty()) return 0.0;
    const std::int64_t primary = primaries->front();
    if (const auto* row = cache.info(primary); row && row->type == store::kAnchoredClip) {
        // The whole timeline is one reference to another sequence.
        return layInCompound(primary, cache, timelineStart, depth);
    }

    const auto contained = cache.childNamed(primary, store::kContainedItems);
    if (!contained) return 0.0;
    double cursor = timelineStart;
    for (const auto item : cache.storylineOrder(*contained)) {
        if (!budget_.spend()) break;
        const auto* row = cache.info(item);
        if (row && row->type == store::kAnchoredClip) {
            cursor += layInCompound(item, cache, cursor, depth);
        } else {
            cursor += loadSpineClip(item, cache, cursor, 0);
        }
    }
    return cursor - timelineStart;
}

double SpineWalk::layInCompound(std::int64_t clip, CollectionCache& cache, double timelineStart, int depth) {
    if (isOnPath(cache, clip)) return 0.0;
    const auto mediaIdentifier = compoundMediaIdentifier(clip, cache, budget_);
    if (!mediaIdentifier) return 0.0;

    CollectionCache* innerCache = &cache;
    std::optional<std::int64_t> innerSequence;
    if (const auto location = resolver_.multicamIndex_.sequenceLocation(*mediaIdentifier)) {
        innerCache = &resolver_.collectionCache(location->db);
        innerSequence = location->sequencePK;
    } else {
        innerSequence = resolver_.localCompoundSequencePK(*mediaIdentifier, cache.db());
    }
    if (!innerSequence) return 0.0;

    const DecodedBlob* blob = cache.blob(clip);
    const bool enabled = !blob || ConnectedItemResolver::isClipEnabled(*blob);
    const std::size_t entryMark = result_.entries.size();
    const std::size_t connectedMark = result_.connected.size();
    const std::size_t laidInMark = result_.laidIn.size();

    PathStep<PathKey> step(path_, {&cache, clip});
    // The referenced sequence is laid in whole: the clip's own range is not read.
    const auto duration = collectSpineEntries(*innerSequence, *innerCache, timelineStart, depth + 1);
    if (!enabled) {
        // A disabled compound clip yields nothing but still takes its time.
        result_.entries.erase(result_.entries.begin() + static_cast<std::ptrdiff_t>(entryMark), result_.entries.end());
        result_.connected.resize(connectedMark);
        result_.laidIn.resize(laidInMark);
    } else if (duration) {
        recordLaidIn(clip, cache, timelineStart);
    }
    return duration.value_or(0.0);
}

double SpineWalk::loadSpineClip(std::int64_t pk, CollectionCache& cache, double timelineStart, int stackDepth) {
    const auto* row = cache.info(pk);
    if (!row || !row->type) return 0.0;
    const std::string_view type = *row->type;

    if (type == store::kAnchoredStack) {
        if (stackDepth > kMaximumStackDepth || isOnPath(cache, pk)) return 0.0;
        const auto pick = cache.activePick(pk);
        if (!pick || !budget_.spend()) return 0.0;
        double duration = 0;
        {
            PathStep<PathKey> step(path_, {&cache, pk});
            duration = loadSpineClip(*pick, cache, timelineStart, stackDepth + 1);
        }
        recordLaidIn(pk, cache, timelineStart);
        return duration;
    }
    if (type == store::kAnchoredGapGeneratorComponent) return layInGap(pk, cache, timelineStart);
    if (type == store::kAnchoredGeneratorComponent) return layInGenerator(pk, cache, timelineStart);
    if (type == store::kAnchoredCollection || type == store::kAnchoredAngle || type == store::kAnchoredMediaComponent)
        return layInClip(pk, type, cache, timelineStart);
    // Unknown types, and a compound clip reached as an audition's pick, take no time.
    return 0.0;
}

double SpineWalk::layInGap(std::int64_t gap, CollectionCache& cache, double timelineStart) {
    const DecodedBlob* blob = cache.blob(gap);
    if (!blob) return 0.0;
    const auto range = BlobFields::timeRange(*blob, store::kClippedRange);
    const double start = range ? range->start : 0.0;
    collectAnchoredItems(gap, cache, timelineStart, start, ConnectedItemResolver::isClipEnabled(*blob));
    recordLaidIn(gap, cache, timelineStart);
    return range ? range->duration : 0.0;
}

double SpineWalk::layInGenerator(std::int64_t generator, CollectionCache& cache, double timelineStart) {
    const DecodedBlob* blob = cache.blob(generator);
    if (!blob) return 0.0;
    const auto range = BlobFields::timeRange(*blob, store::kClippedRange);
    if (!range || !(range->duration > 0)) return 0.0;
    std::string name = BlobFields::ownedText(*blob, store::kDisplayName).value_or("Unknown");
    const bool enabled = ConnectedItemResolver::isClipEnabled(*blob);
    const bool title = SpineClipDetails::generatorIsTitle(generator, cache, budget_);
    collectAnchoredItems(generator, cache, timelineStart, range->start, enabled);

    result_.entries.push_back(EditEntry{
        .collectionPK = generator,
        .clipName = std::move(name),
        .clipType = title ? ClipCategory::title : ClipCategory::generator,
        .timelineIn = timelineStart,
        .timelineOut = timelineStart + range->duration,
        .sourceIn = range->start,
        .markers = SpineClipDetails::findMarkers(generator, cache, budget_),
    });
    return range->duration;
}

double SpineWalk::layInClip(std::int64_t clip, std::string_view type, CollectionCache& cache, double timelineStart) {
    const DecodedBlob* blob = cache.blob(clip);
    if (!blob) return 0.0;
    std::string name = BlobFields::ownedText(*blob, store::kDisplayName).value_or("Unknown");
    const bool enabled = ConnectedItemResolver::isClipEnabled(*blob);
    const auto range = BlobFields::timeRange(*blob, store::kClippedRange);
    const double start = range ? range->start : 0.0;
    const double duration = range ? range->duration : 0.0;
    // Placeholders and empty clips take their time (none for an empty one) but make no edit.
    if (name == store::kGapName || name == store::kNewStackName || duration <= 0) return duration;

    const bool isSync = BlobFields::boolean(*blob, "isSyncronized").value_or(false);
    const bool isCompound = BlobFields::boolean(*blob, "isCompoundClip").value_or(false);
    auto videoAngle = BlobFields::ownedText(*blob, store::kVideoAngle);
    ClipCategory category = ClipCategory::simple;
    if (isSync) {
        category = ClipCategory::sync;
    } else if (isCompound) {
        category = ClipCategory::compound;
    } else if (videoAngle || type == store::kAnchoredAngle) {
        category = ClipCategory::multicam;
    }
    const auto metadata = blob->dictionary(store::kMetadata);
    const auto info = AssetInfoResolver::findAssetInfo(clip, cache, resolver_.assetStore_, &resolver_.multicamIndex_,
                                                       videoAngle, 0, &budget_);
    const auto retime = SpineClipDetails::loadRetimeInfo(clip, cache, budget_);
    const auto transform = SpineClipDetails::loadTransformInfo(clip, cache, budget_);
    collectAnchoredItems(clip, cache, timelineStart, start, enabled);

    std::optional<double> speedRate;
    if (retime) {
        if (const auto speed = retime->effectiveSpeed()) speedRate = *speed / 100.0;
    }
    const auto transformValue = [&](double TransformParser::TransformValues::*field) -> std::optional<double> {
        return transform ? std::optional<double>((*transform).*field) : std::nullopt;
    };
    auto angle = metadataText(metadata, store::kAngle, videoAngle ? videoAngle : info.angle);
    result_.entries.push_back(EditEntry{
        .collectionPK = clip,
        .clipName = std::move(name),
        .clipType = category,
        .timelineIn = timelineStart,
        .timelineOut = timelineStart + duration,
        .sourceIn = AssetInfoResolver::correctedSourceIn(start, info),
        .assetName = info.name,
        .mediaIdentifier = info.mediaID,
        .reelName = metadataText(metadata, store::kReel, info.reel),
        .scene = metadataText(metadata, store::kScene, info.scene),
        .shot = metadataText(metadata, store::kShot, info.shot),
        .angle = std::move(angle),
        .notes = metadataText(metadata, store::kNotes, info.notes),
        .resolution = SpineClipDetails::videoResolution(*blob),
        .frameRate = info.rate,
        .isSyncClip = isSync,
        .isCompoundClip = isCompound,
        .videoAngle = std::move(videoAngle),
        .speedRate = speedRate,
        .isReversed = retime ? retime->isReversed : false,
        .positionX = transformValue(&TransformParser::TransformValues::positionX),
        .positionY = transformValue(&TransformParser::TransformValues::positionY),
        .scaleX = transformValue(&TransformParser::TransformValues::scaleX),
        .scaleY = transformValue(&TransformParser::TransformValues::scaleY),
        .rotation = transformValue(&TransformParser::TransformValues::rotation),
        .markers = SpineClipDetails::findMarkers(clip, cache, budget_),
    });
    return duration;
}

void SpineWalk::collectAnchoredItems(std::int64_t pk, CollectionCache& cache, double timelineStart, double sourceStart,
                                     bool enabled) {
    ConnectedItemResolver::Walk walk{cache, budget_, &resolver_.assetStore_, &resolver_.multicamIndex_};
    std::vector<ConnectedItemResolver::ConnectedItem> items;
    ConnectedItemResolver::handleAnchoredItems(pk, walk, timelineStart, sourceStart, enabled, items);
    for (auto& item : items)
        if (item.isEnabled) result_.connected.push_back(std::move(item));
}

void SpineWalk::recordLaidIn(std::int64_t pk, CollectionCache& cache, double timelineStart) {
    EditDecisionList::LaidInItem item;
    item.collectionPK = pk;
    item.timelineStart = timelineStart;
    if (const DecodedBlob* blob = cache.blob(pk)) {
        if (const auto range = BlobFields::timeRange(*blob, store::kClippedRange)) item.sourceStart = range->start;
        item.name = BlobFields::ownedText(*blob, store::kDisplayName);
    }
    item.entriesBefore = result_.entries.size();
    result_.laidIn.push_back(std::move(item));
}

}  // namespace brimlock
