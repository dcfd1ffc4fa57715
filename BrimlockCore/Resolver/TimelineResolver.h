#pragma once

#include "BrimlockCore/Model/FCPMetadata.h"
#include "BrimlockCore/Model/FrameSize.h"
#include "BrimlockCore/Resolver/EditDecisionList.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace brimlock {

class AssetStore;
class CollectionCache;
class FCPDatabaseConnection;
class LocalSequenceIndex;
class MulticamMediaIndex;
class RoleResolver;
class SpineWalk;

// Flattens a timeline's tree of collections (sequence, primary storyline, clips, compound clips,
// auditions, connected items) into its EditDecisionList: one EditEntry per edit of the primary
// storyline, laid end to end, with source range, asset and metadata fields, retime and transform
// values, markers and display segments.
//
// Reads only, on the caller's thread; one thread at a time. Every database failure inside the walk
// is absorbed with the outcome the walk gives it (no entry, no time, a default). The collaborators
// are not owned and must outlive the resolver.
//
// Caches: finished lists by timeline key; the compound-clip sequence index per database; and
// the reads of the timeline being resolved (CollectionCache), which the marker scan shares and which
// are dropped when the resolver starts on another timeline.
class TimelineResolver {
public:
    // `sequenceIndex`, when given, is an index over `db` shared with other resolvers (see
    // LocalSequenceIndex); without it the resolver makes its own.
    TimelineResolver(FCPDatabaseConnection& db, const AssetStore& assetStore, const RoleResolver& roleResolver,
                     MulticamMediaIndex& multicamIndex, LocalSequenceIndex* sequenceIndex = nullptr);
    ~TimelineResolver();
    TimelineResolver(const TimelineResolver&) = delete;
    TimelineResolver& operator=(const TimelineResolver&) = delete;

    // The timeline's list, built on first request and the same object afterwards. Throws
    // FCPDatabaseError(queryFailed) when the walk of a damaged database visits more collections than
    // walkLimit(): such a timeline is dropped rather than returned half-read. Nothing is cached then.
    std::shared_ptr<const EditDecisionList> getEDL(std::int64_t timelineID);

    // What lies at timeline frame `frame` (the edit covering frame / fps of `rate`, which is the
    // timeline's rate), or at `seconds` (the frame then being seconds x fps + 0.5, truncated); see
    // ClipMetadataResolver::buildMetadata. FCPMetadata::empty() where no edit covers the position,
    // also at or after the end of the last edit. Failures of getEDL are passed on.
    FCPMetadata resolve(std::int64_t frame, std::int64_t in, FrameRate rate);
    FCPMetadata resolve(double seconds, std::int64_t in, FrameRate rate);

    // The timeline's stored frame size; nothing when it cannot be read. Reads the database each call.
    std::optional<FrameSize> timelineResolution(std::int64_t forTimeline);

    // Forgets every finished list (the compound-clip sequence index stays).
    void invalidateCache();
    void invalidateCache(std::int64_t timelineID);

    // Fills the multicam index from a library bundle; its failures are passed on.
    void loadMulticamIndex(const std::filesystem::path& libraryURL);

    // How many collections one walk of a timeline may visit (WalkBudget::defaultLimit unless set);
    // the marker scan's own walk gets as many. Lower limits are for tests and fuzzing.
    std::uint64_t walkLimit() const noexcept { return walkLimit_; }
    void setWalkLimit(std::uint64_t limit) noexcept { walkLimit_ = limit; }

    // Library-internal: the reads made from `db` for the current timeline, for the marker scan.
    CollectionCache& collectionCache(FCPDatabaseConnection& db);

private:
    friend class SpineWalk;

    std::optional<std::int64_t> localCompoundSequencePK(const std::string& forMediaIdentifier,
                                                        FCPDatabaseConnection& db);
    std::shared_ptr<const EditDecisionList> loadEDL(std::int64_t timelineID);

    FCPDatabaseConnection& db_;
    const AssetStore& assetStore_;
    const RoleResolver& roleResolver_;
    MulticamMediaIndex& multicamIndex_;
    std::unordered_map<std::int64_t, std::shared_ptr<const EditDecisionList>> edlCache_;
    LocalSequenceIndex* sharedSequenceIndex_;
    // By database path, for the databases the shared index does not cover.
    std::unordered_map<std::string, std::unique_ptr<LocalSequenceIndex>> localSequenceIndexCache_;
    // By connection, for the timeline below.
    std::unordered_map<const FCPDatabaseConnection*, std::unique_ptr<CollectionCache>> collectionCaches_;
    std::optional<std::int64_t> cachedReadsTimeline_;
    std::uint64_t walkLimit_;
};

}  // namespace brimlock
