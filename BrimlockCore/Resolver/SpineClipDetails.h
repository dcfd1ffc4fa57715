#pragma once

#include "BrimlockCore/PropertyList/DecodedBlob.h"
#include "BrimlockCore/Effects/RetimeParser.h"
#include "BrimlockCore/Effects/TransformParser.h"
#include "BrimlockCore/Model/FrameSize.h"
#include "BrimlockCore/Model/MarkerInfo.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace brimlock {

class CollectionCache;
class WalkBudget;

// Details of one primary-storyline item that the storyline walk puts into its edit: retime and
// transform values, whether a generator is a title, the markers hanging on it, its frame size.
// Library-internal. Every search is depth-limited, does not enter a collection already on its
// path, spends one unit of `budget` per child it examines and stops once a spend is refused.
namespace SpineClipDetails {

// The first "FFRetimingVideoEffect" with data under "channelData", depth first in row order below
// the clip (connected items excepted), levels 0 to 7: its parsed values, or nothing when the parse
// gives nothing. Nothing as well when a child-list or collection query on the way fails.
std::optional<RetimeParser::RetimeValues> loadRetimeInfo(std::int64_t clip, CollectionCache& cache, WalkBudget& budget);

// The first "FFHeXForm3DEffect" below the clip (searched like loadRetimeInfo) whose "channelData"
// parses to values that differ from the defaults. A failing child list ends that branch only.
std::optional<TransformParser::TransformValues> loadTransformInfo(std::int64_t clip, CollectionCache& cache,
                                                                  WalkBudget& budget);

// Whether a collection below the generator (levels 0 to 5, "persistedAnchoredObject" excepted)
// has the "effectType" "effect.video.title".
bool generatorIsTitle(std::int64_t generator, CollectionCache& cache, WalkBudget& budget);

// The markers below the clip's "anchoredItems", and those of the items connected to it (and to
// them), levels 0 to 7, in the order found. A child whose row or blob cannot be read is skipped.
std::vector<MarkerInfo> findMarkers(std::int64_t clip, CollectionCache& cache, WalkBudget& budget);

// The frame size an object's attributes record: the rectangle under "videoProps" > "PB".
std::optional<FrameSize> videoResolution(const BlobDecoder::DecodedBlob& blob);

}  // namespace SpineClipDetails
}  // namespace brimlock
