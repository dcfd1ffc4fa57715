#include "BrimlockCore/Resolver/TimelineMarkerScanner.h"

#include "BrimlockCore/PropertyList/DecodedBlob.h"
#include "BrimlockCore/Database/FCPDatabaseError.h"
#include "BrimlockCore/Database/StoreVocabulary.h"
#include "BrimlockCore/Resolver/CollectionCache.h"
#include "BrimlockCore/Resolver/ConnectedItemResolver.h"
#include "BrimlockCore/Resolver/MarkerFields.h"
#include "BrimlockCore/Resolver/TimelineResolver.h"
#include "BrimlockCore/Resolver/WalkBudget.h"

#include <string>

namespace brimlock::TimelineMarkerScanner {

namespace {

struct Scan {
    CollectionCache& cache;
    WalkBudget& budget;
    std::vector<ScannedMarker>& out;
};

// The markers hanging on one collection, in child order.
void appendMarkers(Scan& scan, std::int64_t pk, double containerTimelineStart, double containerSourceStart,
                   const std::optional<std::string>& roleUID, const std::optional<std::string>& containingClipName) {
    const auto anchored = scan.cache.childNamed(pk, store::kAnchoredItems);
    if (!anchored) return;
    const auto children = scan.cache.children(*anchored);
    if (!children) return;
    for (const auto child : *children) {
        if (!scan.budget.spend()) return;
        const auto* row = scan.cache.info(child);
        if (!row || row->type != store::kAnchoredTimeMarker) continue;
        const auto* blob = scan.cache.blob(child);
        if (!blob) continue;
        MarkerFields fields = MarkerFields::read(*blob);
        const auto position = markerTimelinePosition(fields.start, containerSourceStart, containerTimelineStart);
        if (!position) continue;
        scan.out.push_back({child, std::move(fields.text), fields.type, fields.completed, std::move(fields.chapterNote),
                            roleUID, *position, containingClipName});
    }
}

// The markers of a storyline item, then those of its enabled connected items.
void appendItemMarkers(Scan& scan, std::int64_t pk, double timelineStart, double sourceStart,
                       const std::optional<std::string>& name) {
    appendMarkers(scan, pk, timelineStart, sourceStart, std::nullopt, name);
    ConnectedItemResolver::Walk walk{scan.cache, scan.budget};
    std::vector<ConnectedItemResolver::ConnectedItem> connected;
    ConnectedItemResolver::handleAnchoredItems(pk, walk, timelineStart, sourceStart, true, connected);
    for (const auto& item : connected) {
        if (!item.isEnabled) continue;
        appendMarkers(scan, item.collectionPK, item.timelineStart, item.sourceStart, item.roleUID, item.name);
    }
}

}  // namespace

std::vector<ScannedMarker> scan(std::int64_t timelineID, FCPDatabaseConnection& db, TimelineResolver& resolver) {
    const auto list = resolver.getEDL(timelineID);
    WalkBudget budget(resolver.walkLimit());
    std::vector<ScannedMarker> markers;
    Scan scan{resolver.collectionCache(db), budget, markers};

    const auto& entries = list->entries();
    const auto& laidIn = list->laidInItems();
    auto nextLaidIn = laidIn.begin();
    const auto appendLaidInUpTo = [&](std::size_t entriesBefore) {
        for (; nextLaidIn != laidIn.end() && nextLaidIn->entriesBefore <= entriesBefore; ++nextLaidIn)
            appendItemMarkers(scan, nextLaidIn->collectionPK, nextLaidIn->timelineStart, nextLaidIn->sourceStart,
                              nextLaidIn->name);
    };
    for (std::size_t i = 0; i < entries.size(); ++i) {
        appendLaidInUpTo(i);
        const EditEntry& entry = entries[i];
        appendItemMarkers(scan, entry.collectionPK, entry.timelineIn, entry.sourceIn, entry.clipName);
    }
    appendLaidInUpTo(entries.size());

    if (budget.exhausted()) {
        throw FCPDatabaseError(FCPDatabaseError::Kind::queryFailed,
                               "the marker scan visited more than " + std::to_string(budget.limit()) + " collections");
    }
    return markers;
}

}  // namespace brimlock::TimelineMarkerScanner
