#include "BrimlockCore/Resolver/ConnectedItemResolver.h"

#include "BrimlockCore/Database/AssetStore.h"
#include "BrimlockCore/PropertyList/DecodedBlob.h"
#include "BrimlockCore/Database/FCPDatabaseConnection.h"
#include "BrimlockCore/Database/StoreVocabulary.h"
#include "BrimlockCore/Resolver/MulticamMediaIndex.h"
#include "BrimlockCore/Resolver/AssetInfoResolver.h"
#include "BrimlockCore/Resolver/BlobFields.h"
#include "BrimlockCore/Resolver/CollectionCache.h"
#include "BrimlockCore/Resolver/WalkBudget.h"
#include "BrimlockCore/Timecode/FrameRate.h"
#include "BrimlockCore/Timecode/TimecodeCalculator.h"

#include "Platform/Foundation/IntegerText.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_set>

namespace brimlock::ConnectedItemResolver {

namespace {

using BlobDecoder::DecodedBlob;

constexpr int kMaximumLayoutDepth = 9;
constexpr int kMaximumInnerRoleDepth = 7;
constexpr std::int64_t kUnnumberedChannel = std::numeric_limits<std::int64_t>::max();

bool isOnPath(const Walk& walk, std::int64_t pk) {
    return std::find(walk.path.begin(), walk.path.end(), pk) != walk.path.end();
}

// Keeps `pk` on the walk path for the lifetime of the guard.
class PathStep {
public:
    PathStep(std::vector<std::int64_t>& path, std::int64_t pk) : path_(path) { path_.push_back(pk); }
    ~PathStep() { path_.pop_back(); }
    PathStep(const PathStep&) = delete;
    PathStep& operator=(const PathStep&) = delete;

private:
    std::vector<std::int64_t>& path_;
};

std::int64_t laneOf(const DecodedBlob& blob, std::int64_t inheritedLane) noexcept {
    const auto lane = BlobFields::integer(blob, "anchoredLane");
    return lane && *lane != kInheritLaneMarker ? *lane : inheritedLane;
}

// P2 - P1 of "anchorPair"; 0 without one.
double anchorOffset(const DecodedBlob& blob) {
    const auto pair = BlobFields::timeRange(blob, "anchorPair");
    return pair ? pair->duration - pair->start : 0.0;
}

// The first element of "channelMap" as a channel number; unnumbered entries lose to every other.
std::int64_t channelOf(const DecodedBlob& blob) {
    const auto map = blob.array("channelMap");
    if (!map || map->size() == 0) return kUnnumberedChannel;
    const auto first = (*map)[0].string();
    if (!first) return kUnnumberedChannel;
    return platform::parseDecimalInteger<std::int64_t>(*first).value_or(kUnnumberedChannel);
}

struct ChannelRole {
    std::string uid;
    std::int64_t channel;
};

void collectLayoutItems(std::int64_t pk, Walk& walk, std::unordered_set<std::int64_t>& seen, int depth,
                        std::optional<ChannelRole>& best) {
    if (depth > kMaximumLayoutDepth || !seen.insert(pk).second) return;
    const auto* row = walk.cache.info(pk);
    if (row && row->type == store::kMutableAudioClipComponentsLayoutItem) {
        if (const auto* blob = walk.cache.blob(pk)) {
            if (const auto uid = BlobFields::text(*blob, store::kRoleUID)) {
                const std::int64_t channel = channelOf(*blob);
                // Strictly lower: among equal channels the first collected wins.
                if (!best || channel < best->channel) best = ChannelRole{std::string(*uid), channel};
            }
        }
    }
    const auto children = walk.cache.children(pk);
    if (!children) return;
    for (const auto child : *children) {
        if (!walk.budget.spend()) return;
        collectLayoutItems(child, walk, seen, depth + 1, best);
    }
}

// The role of the audio channel with the lowest number.
std::optional<std::string> channelSourceRoleUID(std::int64_t pk, Walk& walk) {
    const auto layoutMap = walk.cache.childNamed(pk, store::kAudioComponentsLayoutMap);
    if (!layoutMap) return std::nullopt;
    std::unordered_set<std::int64_t> seen;
    std::optional<ChannelRole> best;
    collectLayoutItems(*layoutMap, walk, seen, 0, best);
    if (!best) return std::nullopt;
    return std::move(best->uid);
}

// Depth first below `pk`, connected items excepted: each child's own "roleUID" before its
// descendants'. `path` holds `pk` and its ancestors in this search.
std::optional<std::string> innerRoleUID(std::int64_t pk, Walk& walk, std::vector<std::int64_t>& path, int depth) {
    if (depth > kMaximumInnerRoleDepth) return std::nullopt;
    const auto children = walk.cache.children(pk);
    if (!children) return std::nullopt;
    for (const auto child : *children) {
        if (std::find(path.begin(), path.end(), child) != path.end()) continue;
        if (!walk.budget.spend()) return std::nullopt;
        const auto* row = walk.cache.info(child);
        if (!row || row->name == store::kAnchoredItems) continue;
        if (const auto* blob = walk.cache.blob(child)) {
            if (auto uid = BlobFields::ownedText(*blob, store::kRoleUID)) return uid;
        }
        PathStep step(path, child);
        if (auto uid = innerRoleUID(child, walk, path, depth + 1)) return uid;
    }
    return std::nullopt;
}

std::optional<std::string> chooseRole(std::int64_t pk, const DecodedBlob& blob, Walk& walk) {
    if (auto uid = channelSourceRoleUID(pk, walk)) return uid;
    if (auto uid = BlobFields::ownedText(blob, store::kRoleUID)) return uid;
    std::vector<std::int64_t> path{pk};
    return innerRoleUID(pk, walk, path, 0);
}

// Nearest whole frame, halves away from zero, held in the 64-bit range; nothing when not finite.
std::optional<std::int64_t> clampedFrame(double frames) noexcept {
    if (!std::isfinite(frames)) return std::nullopt;
    const double rounded = std::round(frames);
    if (rounded >= 9223372036854775808.0) return std::numeric_limits<std::int64_t>::max();
    if (rounded < -9223372036854775808.0) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(rounded);
}

void resolveAssetFields(ConnectedItem& item, std::int64_t pk, Walk& walk) {
    std::optional<std::string> angle;
    if (const auto* blob = walk.cache.blob(pk)) {
        angle = BlobFields::ownedText(*blob, store::kVideoAngle);
        if (!angle) {
            if (const auto audioAngles = blob->array("audioAngles")) {
                for (const auto element : *audioAngles) {
                    if (const auto text = element.string()) {
                        angle = std::string(*text);
                        break;
                    }
                }
            }
        }
    }
    const auto info =
        AssetInfoResolver::findAssetInfo(pk, walk.cache, *walk.assetStore, walk.multicamIndex, angle, 0, &walk.budget);
    item.reelName = info.reel;
    if (info.scene && info.shot) {
        item.sceneShot = *info.scene + "/" + *info.shot;
    } else {
        item.sceneShot = info.scene ? info.scene : info.shot;
    }
    item.sourceFileName = info.name;
    if (!info.rate) return;

    const FrameRate rate = *info.rate;
    const double corrected = AssetInfoResolver::correctedSourceIn(item.sourceStart, info);
    const auto frame = clampedFrame(corrected * fps(rate));
    // A start that is no number has no frame; the other source fields go with it.
    if (!frame) return;
    item.sourceFrameNumber = frame;
    item.sourceTimecode = TimecodeCalculator::framesToTimecode(std::max<std::int64_t>(*frame, 0), rate);
    item.correctedSourceStart = corrected;
    item.sourceFpsNum = rational(rate).num;
    item.sourceFpsDen = rational(rate).den;
    item.sourceRateString = std::string(timecodeRateString(rate));
}

// The record of one item read from `blob`; timelineStart, lane and isEnabled as given.
ConnectedItem makeRecord(std::int64_t pk, const DecodedBlob& blob, std::string type, std::int64_t lane,
                         double timelineStart, bool enabled, Walk& walk) {
    ConnectedItem item;
    item.collectionPK = pk;
    item.name = BlobFields::ownedText(blob, store::kDisplayName);
    item.type = std::move(type);
    item.lane = lane;
    item.timelineStart = timelineStart;
    if (const auto range = BlobFields::timeRange(blob, store::kClippedRange)) {
        item.duration = range->duration;
        item.sourceStart = range->start;
    }
    item.roleUID = chooseRole(pk, blob, walk);
    item.isEnabled = enabled;
    if (walk.assetStore) resolveAssetFields(item, pk, walk);
    return item;
}

// Appends the record, then the items anchored on it: they hang on it with its start, lane and
// enabled state.
void appendWithAnchored(ConnectedItem record, Walk& walk, int depth, std::vector<ConnectedItem>& out) {
    const std::int64_t pk = record.collectionPK;
    const double start = record.timelineStart;
    const double sourceStart = record.sourceStart;
    const std::int64_t lane = record.lane;
    const bool enabled = record.isEnabled;
    out.push_back(std::move(record));

    const auto anchored = walk.cache.childNamed(pk, store::kAnchoredItems);
    if (!anchored) return;
    const auto children = walk.cache.children(*anchored);
    if (!children) return;
    PathStep step(walk.path, pk);
    for (const auto child : *children) handle(child, walk, start, sourceStart, lane, enabled, depth + 1, out);
}

void handleAudition(std::int64_t stack, const DecodedBlob& stackBlob, Walk& walk, double containerAbs,
                    double containerStart, std::int64_t inheritedLane, bool inheritedEnabled, int depth,
                    std::vector<ConnectedItem>& out) {
    const auto pick = walk.cache.activePick(stack);
    if (!pick || isOnPath(walk, *pick)) return;
    const auto* pickBlob = walk.cache.blob(*pick);
    const auto* pickRow = walk.cache.info(*pick);
    if (!pickBlob || !pickRow || !pickRow->type) return;

    const std::int64_t lane = laneOf(stackBlob, inheritedLane);
    const bool enabled = inheritedEnabled && isClipEnabled(stackBlob);
    const auto range = BlobFields::timeRange(*pickBlob, store::kClippedRange);
    const double timelineStart =
        (anchorOffset(stackBlob) + (range ? range->start : 0.0)) - containerStart + containerAbs;

    PathStep step(walk.path, stack);
    appendWithAnchored(makeRecord(*pick, *pickBlob, std::string(*pickRow->type), lane, timelineStart, enabled, walk),
                       walk, depth, out);
}

// A connected storyline: no record of its own; its clips lie end to end from `base` on its lane.
void handleStoryline(std::int64_t storyline, Walk& walk, double base, std::int64_t lane, bool enabled, int depth,
                     std::vector<ConnectedItem>& out) {
    const auto contained = walk.cache.childNamed(storyline, store::kContainedItems);
    if (!contained) return;
    PathStep step(walk.path, storyline);
    double offset = 0;
    for (const auto member : walk.cache.storylineOrder(*contained)) {
        if (isOnPath(walk, member)) continue;
        if (!walk.budget.spend()) return;
        const DecodedBlob* blob = walk.cache.blob(member);
        if (!blob) continue;
        const auto* row = walk.cache.info(member);
        std::int64_t key = member;
        std::string type(row && row->type ? *row->type : "?");
        const bool memberEnabled = enabled && isClipEnabled(*blob);
        if (type == store::kAnchoredStack) {
            const auto pick = walk.cache.activePick(member);
            if (pick && !isOnPath(walk, *pick)) {
                if (const auto* pickBlob = walk.cache.blob(*pick)) {
                    const auto* pickRow = walk.cache.info(*pick);
                    key = *pick;
                    blob = pickBlob;
                    type = pickRow && pickRow->type ? *pickRow->type : "?";
                }
            }
        }
        ConnectedItem record = makeRecord(key, *blob, std::move(type), lane, base + offset, memberEnabled, walk);
        const double duration = record.duration;
        PathStep memberStep(walk.path, member);
        appendWithAnchored(std::move(record), walk, depth, out);
        offset += duration;
    }
}

}  // namespace

std::optional<std::int64_t> ConnectedItem::videoLaneNumber() const noexcept {
    if (lane < 1) return std::nullopt;
    return lane == std::numeric_limits<std::int64_t>::max() ? lane : lane + 1;
}

bool isClipEnabled(const BlobDecoder::DecodedBlob& blob) noexcept {
    const auto value = blob.value("playEnable");
    if (!value) return true;
    if (value->is(PropertyListKind::integer)) return value->integer() != std::int64_t{0};
    return value->boolean().value_or(true);
}

void handle(std::int64_t pk, Walk& walk, double containerAbs, double containerStart, std::int64_t inheritedLane,
            bool inheritedEnabled, int depth, std::vector<ConnectedItem>& out) {
    if (depth > kMaximumDepth || isOnPath(walk, pk) || !walk.budget.spend()) return;
    const auto* row = walk.cache.info(pk);
    if (!row || !row->type) return;
    const std::string_view type = *row->type;
    // Markers are not connected items, and nothing hangs below them.
    if (type.find("Marker") != std::string_view::npos) return;
    const DecodedBlob* blob = walk.cache.blob(pk);
    if (!blob) return;
    if (type == store::kAnchoredStack) {
        handleAudition(pk, *blob, walk, containerAbs, containerStart, inheritedLane, inheritedEnabled, depth, out);
        return;
    }

    const auto range = BlobFields::timeRange(*blob, store::kClippedRange);
    const std::int64_t lane = laneOf(*blob, inheritedLane);
    const bool enabled = inheritedEnabled && isClipEnabled(*blob);
    const double timelineStart = ((range ? range->start : 0.0) + anchorOffset(*blob)) - containerStart + containerAbs;
    if (!range && walk.cache.childNamed(pk, store::kContainedItems)) {
        handleStoryline(pk, walk, timelineStart, lane, enabled, depth, out);
        return;
    }

    appendWithAnchored(makeRecord(pk, *blob, std::string(type), lane, timelineStart, enabled, walk), walk, depth, out);
}

void handleAnchoredItems(std::int64_t containerPK, Walk& walk, double containerAbs, double containerStart,
                         bool inheritedEnabled, std::vector<ConnectedItem>& out) {
    const auto anchored = walk.cache.childNamed(containerPK, store::kAnchoredItems);
    if (!anchored) return;
    const auto children = walk.cache.children(*anchored);
    if (!children) return;
    PathStep step(walk.path, containerPK);
    for (const auto child : *children) handle(child, walk, containerAbs, containerStart, 0, inheritedEnabled, 0, out);
}

std::vector<ConnectedItem> findConnectedItems(FCPDatabaseConnection& db, std::int64_t forSpineClipPK,
                                              double spineClipTimelineStart, double parentStart, bool spineClipEnabled,
                                              const AssetStore* assetStore, MulticamMediaIndex* multicamIndex) {
    CollectionCache cache(db);
    WalkBudget budget;
    Walk walk{cache, budget, assetStore, multicamIndex};
    std::vector<ConnectedItem> items;
    handleAnchoredItems(forSpineClipPK, walk, spineClipTimelineStart, parentStart, spineClipEnabled, items);
    return items;
}

}  // namespace brimlock::ConnectedItemResolver
