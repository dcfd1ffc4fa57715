#include "testing/ItemBuilder.h"

#include "testing/EventBuilder.h"
#include "testing/ItemContainer.h"

namespace quillo::testing {

std::string ItemBuilder::identifier() const { return event_->identifier(pk_).value_or(""); }

ItemBuilder ItemBuilder::attribute(std::string key, ArchiveValue value) const {
    event_->setAttribute(pk_, std::move(key), std::move(value));
    return *this;
}

ItemBuilder ItemBuilder::removeAttribute(std::string_view key) const {
    event_->removeAttribute(pk_, key);
    return *this;
}

ItemBuilder ItemBuilder::withIdentifier(std::optional<std::string> identifier) const {
    event_->setIdentifier(pk_, identifier);
    return *this;
}

ItemBuilder ItemBuilder::blob(EventDatabase::Blob blob) const {
    event_->setBlob(pk_, std::move(blob));
    return *this;
}

ItemBuilder ItemBuilder::blobFormat(PlistFormat format) const {
    event_->setBlobFormat(pk_, format);
    return *this;
}

ItemBuilder ItemBuilder::child(std::string_view relation, std::string type, ArchiveValue::Entries attributes) const {
    return ItemBuilder(*event_, event_->addChild(pk_, relation, std::move(type), std::move(attributes)));
}

ItemBuilder ItemBuilder::role(std::string roleUID) const { return attribute("roleUID", std::move(roleUID)); }

ItemBuilder ItemBuilder::audioChannelRole(std::string roleUID, std::string channel) const {
    child("audioComponentsLayoutMap", "FFMutableAudioClipComponentsLayoutItem",
          {
              {"roleUID", std::move(roleUID)},
              {"channelMap", ArchiveValue::array({std::move(channel)})},
              {"audioEnabled", true},
          });
    return *this;
}

ItemBuilder ItemBuilder::disabled() const { return attribute("playEnable", false); }

ItemBuilder ItemBuilder::metadata(ArchiveValue::Entries fields) const {
    return attribute("metadata", ArchiveValue::dictionary(std::move(fields)));
}

ItemBuilder ItemBuilder::marker(std::string text, MarkerType type, Time offset, MarkerOptions options) const {
    addMarker(std::move(text), type, offset, std::move(options));
    return *this;
}

ItemBuilder ItemBuilder::addMarker(std::string text, MarkerType type, Time offset, MarkerOptions options) const {
    ArchiveValue::Entries attributes{
        {"displayName", std::move(text)},
        {"clippedRange", timeRangeText(event_->sourceStart(pk_) + offset, options.duration)},
    };
    if (type == MarkerType::todo) attributes.emplace_back("isTodo", true);
    if (type == MarkerType::chapter) attributes.emplace_back("isChapter", true);
    if (options.completed) attributes.emplace_back(options.completionKey, *options.completed);
    if (options.chapterNote) {
        attributes.emplace_back("metadata", ArchiveValue::dictionary({{"notes", std::move(*options.chapterNote)}}));
    }
    attributes.emplace_back("markerColor", type == MarkerType::todo ? 2 : type == MarkerType::chapter ? 3 : 0);
    return child("anchoredItems", "FFAnchoredTimeMarker", std::move(attributes));
}

ItemContainer ItemBuilder::connect(std::int64_t lane, Time offset) const {
    return ItemContainer(*event_, pk_, "anchoredItems",
                         ItemContainer::Connection{lane, event_->sourceStart(pk_) + offset, std::nullopt});
}

ItemBuilder ItemBuilder::connected(std::string name, Time offset, Time start, Time duration, std::int64_t lane) const {
    return connect(lane, offset).clip(std::move(name), start, duration);
}

ItemBuilder ItemBuilder::retime(const RetimeEffect& effect) const {
    child("effects", "FFRetimingVideoEffect",
          {
              {"displayName", "Retime"},
              {"effectID", "FFRetimingEffect"},
              {"channelData", ArchiveValue::data(bytesOf(effect.channelData()))},
          });
    return *this;
}

ItemBuilder ItemBuilder::transform(const TransformEffect& effect) const {
    child("effects", "FFHeXForm3DEffect",
          {
              {"displayName", "Transform"},
              {"effectID", "FFHeXForm3DEffect"},
              {"channelData", ArchiveValue::data(bytesOf(effect.channelData()))},
          });
    return *this;
}

ItemBuilder ItemBuilder::effect(std::string type, Bytes channelData) const {
    child("effects", std::move(type), {{"channelData", ArchiveValue::data(std::move(channelData))}});
    return *this;
}

}  // namespace quillo::testing
