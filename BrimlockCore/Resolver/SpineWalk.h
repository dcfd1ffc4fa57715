#pragma once

#include "BrimlockCore/Model/EditEntry.h"
#include "BrimlockCore/Resolver/ConnectedItemResolver.h"
#include "BrimlockCore/Resolver/EditDecisionList.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace brimlock {

class CollectionCache;
class TimelineResolver;
class WalkBudget;

// The storyline walk behind TimelineResolver: the primary storyline's items laid end to end from
// time 0, compound clips opened into their sequences (levels 0 to 7), auditions followed to their
// pick (four deep). Library-internal; one walk per timeline.
//
// Damaged databases: a sequence, compound clip or audition already on the walk path is not entered
// again, and every storyline item, pick and sequence spends one unit of the budget (as do the
// searches below each clip); once a spend is refused the walk adds nothing more, and the caller
// must drop the result.
class SpineWalk {
public:
    struct Result {
        std::vector<EditEntry> entries;  // walk order, display segments not yet filled
        // The enabled connected items of the storyline items, in walk order.
        std::vector<ConnectedItemResolver::ConnectedItem> connected;
        // Gaps, enabled compound clips and auditions; entriesBefore counts entries in walk order.
        std::vector<EditDecisionList::LaidInItem> laidIn;
    };

    SpineWalk(TimelineResolver& resolver, WalkBudget& budget) : resolver_(resolver), budget_(budget) {}

    Result run(std::int64_t sequencePK);

private:
    struct PathKey {
        const CollectionCache* cache;
        std::int64_t pk;
        friend bool operator==(const PathKey&, const PathKey&) = default;
    };

    // The length of the walked storyline; nothing when the walk does not go in (too deep, or the
    // sequence is already on the path).
    std::optional<double> collectSpineEntries(std::int64_t sequencePK, CollectionCache& cache, double timelineStart,
                                              int depth);
    double layInCompound(std::int64_t clip, CollectionCache& cache, double timelineStart, int depth);
    double loadSpineClip(std::int64_t pk, CollectionCache& cache, double timelineStart, int stackDepth);
    double layInGap(std::int64_t gap, CollectionCache& cache, double timelineStart);
    double layInGenerator(std::int64_t generator, CollectionCache& cache, double timelineStart);
    double layInClip(std::int64_t clip, std::string_view type, CollectionCache& cache, double timelineStart);
    // The enabled items connected to a storyline item, into the result.
    void collectAnchoredItems(std::int64_t pk, CollectionCache& cache, double timelineStart, double sourceStart,
                              bool enabled);
    void recordLaidIn(std::int64_t pk, CollectionCache& cache, double timelineStart);
    bool isOnPath(const CollectionCache& cache, std::int64_t pk) const;

    TimelineResolver& resolver_;
    WalkBudget& budget_;
    std::vector<PathKey> path_;
    Result result_;
};

}  // namespace brimlock
