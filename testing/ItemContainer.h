#pragma once

#include "testing/ArchiveValue.h"
#include "testing/AssetDescription.h"
#include "testing/ClipOptions.h"
#include "testing/ItemBuilder.h"
#include "testing/Time.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillo::testing {

class AuditionBuilder;
class CompoundBuilder;
class EventBuilder;
class MulticamBuilder;

// A place that takes timeline items in order: a storyline's "containedItems", an audition's
// "activeVariant" or "variants", or a connection point below a clip's "anchoredItems". Items are laid
// one after the other in the order they are added; durations decide where each lands. Every item
// gets "displayName", "clippedRange" (its source range) and "playEnable" true unless said otherwise.
//
// At a connection point each item also gets "anchoredLane" and "anchorPair" {own start, point in the
// parent's time}, so that it starts at the point on the timeline.
class ItemContainer {
public:
    struct Connection {
        std::int64_t lane;
        Time parentTime;  // the point in the parent's own time the items connect at
        // The object that carries the anchoring when it is not the item itself (an audition carries it
        // for its pick).
        std::optional<std::int64_t> carrier;
    };

    ItemContainer(EventBuilder& event, std::int64_t owner, std::string relation,
                  std::optional<Connection> connection = std::nullopt);

    EventBuilder& event() const noexcept { return *event_; }
    ItemBuilder owner() const { return ItemBuilder(*event_, owner_); }
    // The grouping collection (made on first use).
    std::int64_t groupPK() const;

    // An "FFAnchoredMediaComponent" (or a collection, see ClipOptions) with an "FFAssetRef" below its
    // "media" naming the asset.
    ItemBuilder clip(std::string name, Time start, Time duration, ClipOptions options = {}) const;
    // An "FFAnchoredGapGeneratorComponent" named "Gap".
    ItemBuilder gap(Time duration) const;
    // An "FFAnchoredGeneratorComponent" whose "generator" object has "effectType"
    // "effect.video.title" (a title) or "effect.video.generator".
    ItemBuilder title(std::string name, Time start, Time duration) const;
    ItemBuilder generator(std::string name, Time start, Time duration) const;
    // Any class, with the common attributes.
    ItemBuilder item(std::string type, std::string name, Time start, Time duration) const;
    // An "FFAnchoredStack"; its picks are added to active() and alternatives().
    AuditionBuilder audition(std::string name = "Audition") const;
    // An "FFAnchoredClip" whose "media" holds an "FFClipRef" with the "mediaIdentifier" of a new
    // inner sequence; the clip's own range is written but readers lay in the whole inner sequence.
    CompoundBuilder compound(std::string name, Time start, Time duration) const;
    // An "FFAnchoredClip" referring to any media identifier (another compound's inner sequence, or
    // one that does not exist).
    ItemBuilder compoundReference(std::string name, std::string mediaIdentifier, Time start, Time duration) const;
    // An "FFAnchoredCollection" with "videoAngle" (and "audioAngles") whose "media" holds an
    // "FFClipRef" to the multicam's sequence.
    ItemBuilder multicam(std::string name, const MulticamBuilder& source, Time start, Time duration,
                         std::string videoAngle, std::vector<std::string> audioAngles = {}) const;
    // An "FFAnchoredCollection" without "clippedRange" whose "containedItems" take the items: a
    // connected storyline when this is a connection point.
    ItemContainer storyline(std::string name = "Storyline") const;

    // The order the group's blob lists (any items, any order, or other texts); by default it lists
    // the items as added.
    void storeOrder(const std::vector<ItemBuilder>& items) const;
    void storeOrderIdentifiers(std::vector<std::string> identifiers) const;
    void omitStoredOrder() const;  // the group's blob is NULL

private:
    ItemBuilder add(std::string type, ArchiveValue::Entries attributes, std::optional<Time> start) const;
    void addMedia(const ItemBuilder& item, const std::string& name, Time start, Time duration,
                  const ClipOptions& options) const;

    EventBuilder* event_;
    std::int64_t owner_;
    std::string relation_;
    std::optional<Connection> connection_;
};

}  // namespace quillo::testing
