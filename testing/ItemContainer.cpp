#include "testing/ItemContainer.h"

#include "testing/AuditionBuilder.h"
#include "testing/CompoundBuilder.h"
#include "testing/EventBuilder.h"
#include "testing/MulticamBuilder.h"
#include "testing/TimelineBuilder.h"

namespace quillo::testing {

namespace {

ArchiveValue::Entries commonAttributes(std::string name, Time start, Time duration) {
    return {
        {"displayName", std::move(name)},
        {"clippedRange", timeRangeText(start, duration)},
        {"playEnable", true},
        {"lastModDate", 757382400.25},
    };
}

ArchiveValue videoProperties() {
    return ArchiveValue::dictionary({
        {"PB", "{{0, 0}, {1920, 1080}}"},
        {"FrameDuration", "100/2400"},
        {"FieldDominance", 0},
        {"ColorSpace", "Rec. 709"},
    });
}

bool isCollection(const ClipOptions& options) {
    return options.form == ClipForm::collection || options.synchronized || options.compoundFlag;
}

ArchiveValue audioProperties() {
    return ArchiveValue::dictionary({
        {"sampleRate", 48000},
        {"channelCount", 2},
        {"layout", "stereo"},
        {"volume", 1.0},
    });
}

}  // namespace

ItemContainer::ItemContainer(EventBuilder& event, std::int64_t owner, std::string relation,
                             std::optional<Connection> connection)
    : event_(&event), owner_(owner), relation_(std::move(relation)), connection_(std::move(connection)) {}

std::int64_t ItemContainer::groupPK() const { return event_->relation(owner_, relation_); }

ItemBuilder ItemContainer::add(std::string type, ArchiveValue::Entries attributes, std::optional<Time> start) const {
    const ItemBuilder made(*event_, event_->addChild(owner_, relation_, std::move(type), std::move(attributes)));
    if (start) event_->setSourceStart(made.pk(), *start);
    if (connection_) {
        const auto carrier = connection_->carrier.value_or(made.pk());
        // A carrier (an audition) is anchored by its first pick only: that pick is the one readers use.
        if (!connection_->carrier || event_->children(groupPK()).size() == 1) {
            event_->setAttribute(carrier, "anchoredLane", connection_->lane);
            event_->setAttribute(carrier, "anchorPair", timeRangeText(start.value_or(0.0), connection_->parentTime));
        }
    }
    return made;
}

void ItemContainer::addMedia(const ItemBuilder& item, const std::string& name, Time start, Time duration,
                             const ClipOptions& options) const {
    const AssetRef asset = options.asset ? *options.asset : event_->assetNamed(name);
    const ArchiveValue::Entries reference{
        {"displayName", asset.name},
        {"mediaIdentifier", asset.mediaIdentifier},
        {"assetKind", "media"},
    };
    if (!isCollection(options)) {
        item.child("media", "FFAssetRef", reference);
        return;
    }
    const auto component = [&](const char* kind) {
        item.child("containedItems", "FFAnchoredMediaComponent",
                   {
                       {"displayName", name},
                       {"clippedRange", timeRangeText(start, duration)},
                       {"componentType", kind},
                       {"playEnable", true},
                   })
            .child("media", "FFAssetRef", reference);
    };
    component("video");
    if (options.synchronized) component("audio");
}

ItemBuilder ItemContainer::clip(std::string name, Time start, Time duration, ClipOptions options) const {
    auto attributes = commonAttributes(name, start, duration);
    attributes.emplace_back("videoProps", videoProperties());
    attributes.emplace_back("audioProps", audioProperties());
    if (options.synchronized) attributes.emplace_back("isSyncronized", true);
    if (options.compoundFlag) attributes.emplace_back("isCompoundClip", true);
    if (options.videoAngle) attributes.emplace_back("videoAngle", *options.videoAngle);
    const auto made =
        add(isCollection(options) ? "FFAnchoredCollection" : "FFAnchoredMediaComponent", std::move(attributes), start);
    if (options.media) addMedia(made, name, start, duration, options);
    return made;
}

ItemBuilder ItemContainer::gap(Time duration) const {
    return add("FFAnchoredGapGeneratorComponent", commonAttributes("Gap", 0.0, duration), Time(0.0));
}

ItemBuilder ItemContainer::title(std::string name, Time start, Time duration) const {
    auto attributes = commonAttributes(name, start, duration);
    attributes.emplace_back("videoProps", videoProperties());
    const auto made = add("FFAnchoredGeneratorComponent", std::move(attributes), start);
    made.child("generator", "FFGenerator",
               {{"displayName", std::move(name)}, {"effectType", "effect.video.title"}, {"effectID", "Basic Title"}});
    return made;
}

ItemBuilder ItemContainer::generator(std::string name, Time start, Time duration) const {
    auto attributes = commonAttributes(name, start, duration);
    attributes.emplace_back("videoProps", videoProperties());
    const auto made = add("FFAnchoredGeneratorComponent", std::move(attributes), start);
    made.child("generator", "FFGenerator",
               {{"displayName", std::move(name)}, {"effectType", "effect.video.generator"}, {"effectID", "Solids"}});
    return made;
}

ItemBuilder ItemContainer::item(std::string type, std::string name, Time start, Time duration) const {
    return add(std::move(type), commonAttributes(std::move(name), start, duration), start);
}

AuditionBuilder ItemContainer::audition(std::string name) const {
    const auto stack = add("FFAnchoredStack", {{"displayName", std::move(name)}, {"playEnable", true}}, std::nullopt);
    std::optional<Connection> pickConnection;
    if (connection_) pickConnection = Connection{connection_->lane, connection_->parentTime, stack.pk()};
    return AuditionBuilder(stack, ItemContainer(*event_, stack.pk(), "activeVariant", pickConnection),
                           ItemContainer(*event_, stack.pk(), "variants"));
}

CompoundBuilder ItemContainer::compound(std::string name, Time start, Time duration) const {
    TimelineBuilder inner = event_->sequence(name, {.kind = SequenceKind::inner});
    const auto made = compoundReference(std::move(name), inner.mediaIdentifier(), start, duration);
    return CompoundBuilder(made, std::move(inner));
}

ItemBuilder ItemContainer::compoundReference(std::string name, std::string mediaIdentifier, Time start,
                                             Time duration) const {
    const auto made = add("FFAnchoredClip", commonAttributes(name, start, duration), start);
    made.child("media", "FFClipRef",
               {{"displayName", std::move(name)}, {"mediaIdentifier", std::move(mediaIdentifier)}});
    return made;
}

ItemBuilder ItemContainer::multicam(std::string name, const MulticamBuilder& source, Time start, Time duration,
                                    std::string videoAngle, std::vector<std::string> audioAngles) const {
    auto attributes = commonAttributes(std::move(name), start, duration);
    attributes.emplace_back("videoProps", videoProperties());
    attributes.emplace_back("videoAngle", std::move(videoAngle));
    if (!audioAngles.empty()) {
        std::vector<ArchiveValue> angles(audioAngles.begin(), audioAngles.end());
        attributes.emplace_back("audioAngles", ArchiveValue::array(std::move(angles)));
    }
    const auto made = add("FFAnchoredCollection", std::move(attributes), start);
    made.child("media", "FFClipRef", {{"displayName", source.name()}, {"mediaIdentifier", source.mediaIdentifier()}});
    return made;
}

ItemContainer ItemContainer::storyline(std::string name) const {
    const auto made =
        add("FFAnchoredCollection", {{"displayName", std::move(name)}, {"playEnable", true}}, std::nullopt);
    return ItemContainer(*event_, made.pk(), "containedItems");
}

void ItemContainer::storeOrder(const std::vector<ItemBuilder>& items) const {
    std::vector<std::string> identifiers;
    for (const auto& listed : items) identifiers.push_back(listed.identifier());
    storeOrderIdentifiers(std::move(identifiers));
}

void ItemContainer::storeOrderIdentifiers(std::vector<std::string> identifiers) const {
    event_->setStoredOrder(groupPK(), std::move(identifiers));
}

void ItemContainer::omitStoredOrder() const { event_->setBlob(groupPK(), EventDatabase::Blob::null()); }

}  // namespace quillo::testing
