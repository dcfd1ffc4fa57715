#pragma once

#include "BrimlockCore/Resolver/ScannedMarker.h"

#include <cstdint>
#include <vector>

namespace brimlock {

class FCPDatabaseConnection;
class TimelineResolver;

// The markers of one timeline with their positions, kinds, completion, chapter notes and roles.
// Stateless; runs on the caller's thread.
namespace TimelineMarkerScanner {

// Resolves the timeline's edit list with `resolver` (sharing its reads of `db`) and collects the
// markers ("FFAnchoredTimeMarker" below "anchoredItems") of, in this order:
// - each edit's clip, then of each enabled item connected to it (connected items resolved with
//   the edit's timelineIn and sourceIn, as if the clip were enabled);
// - between the edits, the items the storyline walk laid in without an edit of their own (gaps,
//   enabled compound clips, auditions; EditDecisionList::laidInItems), each with its enabled
//   connected items, in the same way.
// Markers on the primary storyline's items carry no role; those on connected items carry the
// item's role. Nothing is sorted or merged: a marker reached twice is reported twice. A marker whose
// position is not a finite number is skipped.
//
// `timelineID` is the key of the timeline's sequence collection in `db`. Throws what getEDL throws,
// and FCPDatabaseError(queryFailed) when the scan of a damaged database visits more collections than
// the resolver's walkLimit(); every other failure only drops the child it concerns.
std::vector<ScannedMarker> scan(std::int64_t timelineID, FCPDatabaseConnection& db, TimelineResolver& resolver);

}  // namespace TimelineMarkerScanner
}  // namespace brimlock
