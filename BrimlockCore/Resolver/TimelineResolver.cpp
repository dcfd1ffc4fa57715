#include "BrimlockCore/Resolver/TimelineResolver.h"

#include "BrimlockCore/Database/FCPDatabaseConnection.h"
#include "BrimlockCore/Database/FCPDatabaseError.h"
#include "BrimlockCore/Resolver/MulticamMediaIndex.h"
#include "BrimlockCore/Database/RoleResolver.h"
#include "BrimlockCore/Database/StoreVocabulary.h"
#include "BrimlockCore/Resolver/ClipMetadataResolver.h"
#include "BrimlockCore/Resolver/CollectionCache.h"
#include "BrimlockCore/Resolver/LocalSequenceIndex.h"
#include "BrimlockCore/Resolver/SpineWalk.h"
#include "BrimlockCore/Resolver/WalkBudget.h"

#include <algorithm>

namespace brimlock {

namespace {

using ConnectedItemResolver::ConnectedItem;

bool isPlaceholderName(const std::optional<std::string>& name) {
    return name == store::kGapName || name == store::kNewStackName;
}

EditEntry::DisplaySegment segment(double start, double end, const std::vector<const ConnectedItem*>& overlapping,
                                  const RoleResolver& roles) {
    const double mid = (start + end) * 0.5;
    std::vector<std::string> stackedVideoClips;
    std::vector<StackedLayerInfo> stackedLayers;
    std::map<std::string, ActiveRoleClip> activeRoleClips;
    for (const ConnectedItem* item : overlapping) {
        if (!(item->timelineStart <= mid && mid < item->timelineStart + item->duration)) continue;

        const bool isVideoLayer =
            item->lane > 0 && (item->type == store::kAnchoredCollection || item->type == store::kAnchoredAngle);
        if (isVideoLayer && !isPlaceholderName(item->name)) {
            if (item->name) stackedVideoClips.push_back(*item->name);
            stackedLayers.push_back(StackedLayerInfo{.videoLaneNumber = *item->videoLaneNumber(),
                                                     .reelName = item->reelName,
                                                     .sceneShot = item->sceneShot,
                                                     .sourceFileName = item->sourceFileName,
                                                     .sourceTimecode = item->sourceTimecode,
                                                     .sourceFrameNumber = item->sourceFrameNumber,
                                                     .layerTimelineStart = item->timelineStart,
                                                     .correctedSourceStart = item->correctedSourceStart,
                                                     .sourceFpsNum = item->sourceFpsNum,
                                                     .sourceFpsDen = item->sourceFpsDen,
                                                     .sourceRateString = item->sourceRateString});
        }

        if (!item->roleUID || !item->name) continue;
        // The first clip of a role is shown under the role; a second under its top-level role, if free.
        if (!activeRoleClips.contains(*item->roleUID)) {
            activeRoleClips.emplace(*item->roleUID,
                                    ActiveRoleClip(roles.resolve(*item->roleUID).value_or("?"), *item->name));
        } else if (const auto top = roles.topLevelUID(*item->roleUID); top && !activeRoleClips.contains(*top)) {
            activeRoleClips.emplace(*top, ActiveRoleClip(roles.resolve(*top).value_or("?"), *item->name));
        }
    }
    std::stable_sort(
        stackedLayers.begin(), stackedLayers.end(),
        [](const StackedLayerInfo& a, const StackedLayerInfo& b) { return a.videoLaneNumber < b.videoLaneNumber; });
    return EditEntry::DisplaySegment{.start = start,
                                     .end = end,
                                     .stackedVideoClips = std::move(stackedVideoClips),
                                     .activeRoleClips = std::move(activeRoleClips),
                                     .stackedLayers = std::move(stackedLayers)};
}

// The sub-ranges of the edit between the starts and ends of the connected items over it.
std::vector<EditEntry::DisplaySegment> displaySegments(const EditEntry& entry,
                                                       const std::vector<ConnectedItem>& connected,
                                                       const RoleResolver& roles) {
    const double in = entry.timelineIn;
    const double out = entry.timelineOut;
    std::vector<const ConnectedItem*> overlapping;
    std::vector<double> bounds{in, out};
    for (const auto& item : connected) {
        const double start = item.timelineStart;
        const double end = start + item.duration;
        if (!(start < out && in < end)) continue;
        overlapping.push_back(&item);
        if (in < start && start < out) bounds.push_back(start);
        if (in < end && end < out) bounds.push_back(end);
    }
    std::sort(bounds.begin(), bounds.end());
    bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());

    std::vector<EditEntry::DisplaySegment> segments;
    if (bounds.size() < 2) return segments;
    segments.reserve(bounds.size() - 1);
    for (std::size_t i = 0; i + 1 < bounds.size(); ++i)
        segments.push_back(segment(bounds[i], bounds[i + 1], overlapping, roles));
    return segments;
}

}  // namespace

TimelineResolver::TimelineResolver(FCPDatabaseConnection& db, const AssetStore& assetStore,
                                   const RoleResolver& roleResolver, MulticamMediaIndex& multicamIndex,
                                   LocalSequenceIndex* sequenceIndex)
    : db_(db),
      assetStore_(assetStore),
      roleResolver_(roleResolver),
      multicamIndex_(multicamIndex),
      sharedSequenceIndex_(sequenceIndex),
      walkLimit_(WalkBudget::kDefaultLimit) {}

TimelineResolver::~TimelineResolver() = default;

std::shared_ptr<const EditDecisionList> TimelineResolver::getEDL(std::int64_t timelineID) {
    if (const auto found = edlCache_.find(timelineID); found != edlCache_.end()) return found->second;
    auto list = loadEDL(timelineID);
    edlCache_.emplace(timelineID, list);
    return list;
}

FCPMetadata TimelineResolver::resolve(std::int64_t frame, std::int64_t in, FrameRate rate) {
    const auto list = getEDL(in);
    const EditEntry* entry = list->lookup(frame, rate);
    return entry ? ClipMetadataResolver::buildMetadata(*entry, frame, rate) : FCPMetadata::empty();
}

FCPMetadata TimelineResolver::resolve(double seconds, std::int64_t in, FrameRate rate) {
    const auto list = getEDL(in);
    const EditEntry* entry = list->lookup(seconds);
    if (!entry) return FCPMetadata::empty();
    // Only a damaged timeline has an edit this far out; its position has no frame.
    const auto frame = ClipMetadataResolver::frameAt(seconds, rate);
    return frame ? ClipMetadataResolver::buildMetadata(*entry, *frame, rate) : FCPMetadata::empty();
}

std::optional<FrameSize> TimelineResolver::timelineResolution(std::int64_t forTimeline) {
    return ClipMetadataResolver::timelineResolution(db_, forTimeline);
}

void TimelineResolver::invalidateCache() { edlCache_.clear(); }

void TimelineResolver::invalidateCache(std::int64_t timelineID) { edlCache_.erase(timelineID); }

void TimelineResolver::loadMulticamIndex(const std::filesystem::path& libraryURL) { multicamIndex_.scan(libraryURL); }

CollectionCache& TimelineResolver::collectionCache(FCPDatabaseConnection& db) {
    auto& slot = collectionCaches_[&db];
    if (!slot) slot = std::make_unique<CollectionCache>(db);
    return *slot;
}

std::shared_ptr<const EditDecisionList> TimelineResolver::loadEDL(std::int64_t timelineID) {
    if (cachedReadsTimeline_ != timelineID) {
        // The reads of the previous timeline would only hold memory.
        for (auto& [connection, cache] : collectionCaches_) cache->clear();
        cachedReadsTimeline_ = timelineID;
    }
    WalkBudget budget(walkLimit_);
    SpineWalk::Result walked = SpineWalk(*this, budget).run(timelineID);
    if (budget.exhausted()) {
        throw FCPDatabaseError(
            FCPDatabaseError::Kind::queryFailed,
            "the timeline's walk visited more than " + std::to_string(budget.limit()) + " collections");
    }
    for (auto& entry : walked.entries) entry.displaySegments = displaySegments(entry, walked.connected, roleResolver_);
    return std::make_shared<const EditDecisionList>(timelineID, std::move(walked.entries), std::move(walked.laidIn));
}

std::optional<std::int64_t> TimelineResolver::localCompoundSequencePK(const std::string& forMediaIdentifier,
                                                                      FCPDatabaseConnection& db) {
    if (sharedSequenceIndex_ && sharedSequenceIndex_->db().path() == db.path())
        return sharedSequenceIndex_->sequencePK(forMediaIdentifier);
    auto& index = localSequenceIndexCache_[db.path()];
    if (!index) index = std::make_unique<LocalSequenceIndex>(db);
    return index->sequencePK(forMediaIdentifier);
}

}  // namespace brimlock
