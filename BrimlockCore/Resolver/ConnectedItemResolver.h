#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brimlock {

class AssetStore;
class CollectionCache;
class FCPDatabaseConnection;
class MulticamMediaIndex;
class WalkBudget;

namespace BlobDecoder {
class DecodedBlob;
}

// The connected (anchored) items of a storyline clip as a flat list: where each connected clip sits
// on the timeline, its lane, enabled state and role, and (with an asset store) the source media
// underneath. Auditions are followed to their active pick, connected storylines opened into their
// clips, and the connected items of connected items read too. Stateless.
namespace ConnectedItemResolver {

// Levels of anchoring 0 to 7 are read.
inline constexpr int kMaximumDepth = 7;
// The "anchoredLane" that means "no lane of its own": the item takes the enclosing item's lane.
inline constexpr std::int64_t kInheritLaneMarker = 999'999;

// One connected clip. Times are seconds on the timeline of the walked sequence.
struct ConnectedItem {
    // The collection the item was read from (for an audition: its active pick).
    std::int64_t collectionPK = 0;
    std::optional<std::string> name;  // "displayName"
    std::string type;                 // ZTYPE; "?" for a storyline child whose type cannot be read
    std::int64_t lane = 0;            // "anchoredLane", or the enclosing item's
    double timelineStart = 0;
    double duration = 0;     // of its "clippedRange"; 0 without one
    double sourceStart = 0;  // start of its "clippedRange"; 0 without one
    std::optional<std::string> roleUID;
    bool isEnabled = true;  // its own "playEnable" and that of every enclosing item

    // Filled only when an asset store is given. The source timecode fields (sourceTimecode to
    // sourceRateString) need the asset's frame rate, which only a loaded store knows.
    std::optional<std::string> reelName;
    std::optional<std::string> sceneShot;  // scene and shot joined with "/"
    std::optional<std::string> sourceFileName;
    std::optional<std::string> sourceTimecode;      // of the corrected source start, at the source rate
    std::optional<std::int64_t> sourceFrameNumber;  // may be negative; clamped to the 64-bit range
    std::optional<double> correctedSourceStart;     // sourceStart rebased onto the collection's time base
    std::optional<std::int64_t> sourceFpsNum;
    std::optional<std::int64_t> sourceFpsDen;
    std::optional<std::string> sourceRateString;

    // The video layer: lane + 1 for lanes 1 and above (the primary storyline is layer 1), absent for
    // lane 0 and below. The largest lane saturates.
    std::optional<std::int64_t> videoLaneNumber() const noexcept;
};

// The connected items of one storyline clip: handle() for each child of its "anchoredItems", in
// row order. `spineClipTimelineStart` is the clip's position on the timeline, `parentStart` its
// source start. Never fails; on a damaged database whose walk runs past WalkBudget::defaultLimit
// visited collections it answers what it found until then.
std::vector<ConnectedItem> findConnectedItems(FCPDatabaseConnection& db, std::int64_t forSpineClipPK,
                                              double spineClipTimelineStart, double parentStart, bool spineClipEnabled,
                                              const AssetStore* assetStore, MulticamMediaIndex* multicamIndex);

// "playEnable": an integer enables unless it is 0, a Boolean is taken as it is; anything else, or
// no value, enables.
bool isClipEnabled(const BlobDecoder::DecodedBlob& blob) noexcept;

// --- Library-internal: the per-child step the timeline resolver and the marker scanner run. ---

// What one walk down the anchoring shares: the timeline's read cache, its budget (one unit per
// collection examined; once refused, the walk adds nothing more), the optional asset services and
// the items from the outermost container down to the current one. An item already on that path
// is not entered again.
struct Walk {
    CollectionCache& cache;
    WalkBudget& budget;
    const AssetStore* assetStore = nullptr;
    MulticamMediaIndex* multicamIndex = nullptr;
    std::vector<std::int64_t> path{};
};

// Appends the records of one anchored item and of everything anchored below it, depth first.
// `containerAbs` is the timeline position of the item it hangs on, `containerStart` that item's
// source start. Markers (any type containing "Marker") yield nothing.
void handle(std::int64_t pk, Walk& walk, double containerAbs, double containerStart, std::int64_t inheritedLane,
            bool inheritedEnabled, int depth, std::vector<ConnectedItem>& out);

// handle() for each child of the container's "anchoredItems" (none without one), with lane 0 and
// depth 0; the container is on the walk path meanwhile.
void handleAnchoredItems(std::int64_t containerPK, Walk& walk, double containerAbs, double containerStart,
                         bool inheritedEnabled, std::vector<ConnectedItem>& out);

}  // namespace ConnectedItemResolver
}  // namespace brimlock
