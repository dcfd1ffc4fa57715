#pragma once

#include "testing/ArchiveValue.h"
#include "testing/EventDatabase.h"
#include "testing/MarkerOptions.h"
#include "testing/MarkerType.h"
#include "testing/PlistValue.h"
#include "testing/RetimeEffect.h"
#include "testing/Time.h"
#include "testing/TransformEffect.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillo::testing {

class EventBuilder;
class ItemContainer;

// A handle on one object of an event: a clip, gap, title, marker, sequence, asset reference, ...
// Copies are handles on the same object; every call changes the object and answers a handle, so calls
// chain. Times given to markers and connections count from the start of the object's own range
// ("clippedRange"), that is from its first frame on the timeline.
class ItemBuilder {
public:
    ItemBuilder(EventBuilder& event, std::int64_t pk) : event_(&event), pk_(pk) {}

    EventBuilder& event() const noexcept { return *event_; }
    std::int64_t pk() const noexcept { return pk_; }
    std::string identifier() const;

    // --- any attribute, for values readers must survive ---
    ItemBuilder attribute(std::string key, ArchiveValue value) const;
    ItemBuilder removeAttribute(std::string_view key) const;
    ItemBuilder withIdentifier(std::optional<std::string> identifier) const;  // NULL for std::nullopt
    ItemBuilder blob(EventDatabase::Blob blob) const;  // written instead of the attribute archive
    ItemBuilder blobFormat(PlistFormat format) const;
    // An object of any class below this one, under the grouping collection `relation`.
    ItemBuilder child(std::string_view relation, std::string type, ArchiveValue::Entries attributes = {}) const;

    // --- the timeline vocabulary ---
    ItemBuilder role(std::string roleUID) const;  // "roleUID"
    // An audio channel of the clip with its role: "audioComponentsLayoutMap" >
    // "FFMutableAudioClipComponentsLayoutItem" {"roleUID", "channelMap": [channel]}.
    ItemBuilder audioChannelRole(std::string roleUID, std::string channel) const;
    ItemBuilder disabled() const;                              // "playEnable" false
    ItemBuilder metadata(ArchiveValue::Entries fields) const;  // "metadata": {"reel": ..., "scene": ...}

    // A marker `offset` seconds after the start of this object, below its "anchoredItems".
    ItemBuilder marker(std::string text, MarkerType type, Time offset, MarkerOptions options = {}) const;
    // The same, answering the marker itself (for its key, or to give it odd attributes).
    ItemBuilder addMarker(std::string text, MarkerType type, Time offset, MarkerOptions options = {}) const;

    // The place `offset` seconds after this object's start on connection lane `lane` (negative lanes
    // lie below the primary storyline); items made there are connected to this one.
    ItemContainer connect(std::int64_t lane, Time offset) const;
    // A connected clip with source range (start, duration); answers the connected clip.
    ItemBuilder connected(std::string name, Time offset, Time start, Time duration, std::int64_t lane = 1) const;

    // Effects below "effects", each an object whose "channelData" holds the OZ XML.
    ItemBuilder retime(const RetimeEffect& effect) const;        // "FFRetimingVideoEffect"
    ItemBuilder transform(const TransformEffect& effect) const;  // "FFHeXForm3DEffect"
    ItemBuilder effect(std::string type, Bytes channelData) const;

private:
    EventBuilder* event_;
    std::int64_t pk_;
};

}  // namespace quillo::testing
