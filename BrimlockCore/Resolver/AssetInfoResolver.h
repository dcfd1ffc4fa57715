#pragma once

#include "BrimlockCore/Timecode/FrameRate.h"

#include <cstdint>
#include <optional>
#include <string>

namespace brimlock {

class AssetStore;
class CollectionCache;
class FCPDatabaseConnection;
class MulticamMediaIndex;
class WalkBudget;

// The source media behind one clip collection: the asset reached through its asset references,
// clip references (multicam angles), collections and media components. Keeps nothing between calls;
// what one call reads goes through the caller's per-timeline cache when it passes one.
namespace AssetInfoResolver {

// Levels 0 to 7 below the clip are read.
inline constexpr int kMaximumDepth = 7;
// correctedSourceIn treats starts this close (seconds) as equal: a quarter of a frame at 60 fps.
inline constexpr double kSourceInTolerance = 1.0 / 240.0;

// Every field is optional; the empty record has none.
struct AssetInfo {
    // The asset fields.
    std::optional<std::string> name{};     // the asset reference's "displayName", else the asset's file name
    std::optional<std::string> mediaID{};  // the asset reference's "mediaIdentifier"
    std::optional<FrameRate> rate{};       // from the asset store only
    // The gathered fields: clip metadata of the collections met on the way down...
    std::optional<std::string> reel{};
    std::optional<std::string> scene{};
    std::optional<std::string> shot{};
    std::optional<std::string> angle{};
    std::optional<std::string> notes{};
    // ...and the "clippedRange" starts (seconds) of the nearest collection and media component.
    std::optional<double> videoCollectionStart{};
    std::optional<double> videoMediaComponentStart{};

    // An asset was found: a name or a media identifier is present.
    bool isFound() const noexcept { return name.has_value() || mediaID.has_value(); }

    friend bool operator==(const AssetInfo&, const AssetInfo&) = default;
};

// Walks the children of `pk` depth first, in child row order, and stops at the first level that
// yields an asset. Never fails: every failing query or blob decode is swallowed and the record holds
// what was found. Callers start at `depth` 0 (a negative depth counts as 0); above kMaximumDepth the
// empty record comes back without a database access. Children named "anchoredItems" (connected
// items, markers) are never read.
//
// - "FFAssetRef" with a readable blob ends the search, even without a "mediaIdentifier": name, media
//   identifier and (from `assetStore`) rate, with the gathered fields met above it.
// - "FFClipRef" with a text "mediaIdentifier", when `multicamIndex` is given and resolves it with
//   `videoAngle`: that angle's record, both start offsets absent, ends the search.
// - "FFAnchoredCollection" fills the metadata fields still absent and videoCollectionStart;
//   "FFAnchoredMediaComponent" fills videoMediaComponentStart.
// - Every other child, and one of the above whose blob cannot be read, is descended. When the
//   descent finds an asset, its gathered fields win over those of shallower levels; otherwise the
//   shallower ones win.
//
// Damaged databases: a collection already on the walk path (a cycle of child links) is not
// entered again, and each child examined spends one unit of `budget`; once it is exhausted the walk
// stops and answers what it has. Without a budget the call uses its own of WalkBudget::defaultLimit.
AssetInfo findAssetInfo(std::int64_t pk, FCPDatabaseConnection& db, const AssetStore& assetStore,
                        MulticamMediaIndex* multicamIndex, const std::optional<std::string>& videoAngle, int depth,
                        WalkBudget* budget = nullptr);
// The same walk reading rows, child lists and blobs through a timeline's cache, which the other
// walks of the timeline have mostly filled already.
AssetInfo findAssetInfo(std::int64_t pk, CollectionCache& cache, const AssetStore& assetStore,
                        MulticamMediaIndex* multicamIndex, const std::optional<std::string>& videoAngle, int depth,
                        WalkBudget* budget = nullptr);

// Rebases a source start `outerStart` (seconds) measured on the media component's time base onto the
// collection's: with C = videoCollectionStart and M = videoMediaComponentStart, C + (outerStart - M)
// when outerStart is farther than kSourceInTolerance from C and not more than kSourceInTolerance
// before M; C otherwise (also for differences that are not numbers). Without both starts,
// outerStart unchanged.
double correctedSourceIn(double outerStart, const AssetInfo& info) noexcept;

}  // namespace AssetInfoResolver
}  // namespace brimlock
