#include "testing/EventBuilder.h"

#include "testing/KeyedArchiveWriter.h"
#include "testing/MulticamBuilder.h"
#include "testing/TimelineBuilder.h"

#include <stdexcept>

namespace quillo::testing {

namespace {

std::filesystem::path preparedDatabasePath(const std::filesystem::path& eventFolder) {
    std::filesystem::create_directories(eventFolder);
    return eventFolder / EventBuilder::kDatabaseFileName;
}

std::string groupType(std::string_view relation) {
    return relation == "items" || relation == "assets" || relation == "anchoredItems" ? "NSSet" : "NSArray";
}

}  // namespace

EventBuilder::EventBuilder(const std::filesystem::path& eventFolder, std::string name, std::uint64_t seed,
                           EventOptions options)
    : name_(std::move(name)),
      options_(options),
      identifiers_(seed),
      database_(preparedDatabasePath(eventFolder), identifiers_.next(), name_) {
    if (!options_.projectStructure) return;
    projectData_ = addObject("FFMediaEventProjectData", {
                                                            {"displayName", name_},
                                                            {"dataVersion", 7},
                                                        });
    relation(*projectData_, "items");
    relation(*projectData_, "assets");
    project_ = addChild(*projectData_, "project", "FFMediaEventProject",
                        {
                            {"displayName", name_},
                            {"eventDate", 757382400.0},
                            {"colorSpace", "Rec. 709"},
                        });
}

EventBuilder::~EventBuilder() {
    try {
        finish();
    } catch (...) {
        // A fixture that failed to write shows up in the test that reads it.
    }
}

EventDatabase& EventBuilder::database() {
    requireOpen();
    return database_;
}

void EventBuilder::requireOpen() const {
    if (finished_) throw std::logic_error("event \"" + name_ + "\" is already finished");
}

EventBuilder::Record& EventBuilder::record(std::int64_t collection) {
    const auto found = records_.find(collection);
    if (found == records_.end()) {
        throw std::out_of_range("collection " + std::to_string(collection) + " was not made by the event builder");
    }
    return found->second;
}

const EventBuilder::Record& EventBuilder::record(std::int64_t collection) const {
    return const_cast<EventBuilder*>(this)->record(collection);
}

std::int64_t EventBuilder::addObject(std::string type, ArchiveValue::Entries attributes) {
    requireOpen();
    const auto pk = database_.addCollection({.type = std::move(type), .identifier = identifiers_.next()});
    Record& created = records_[pk];
    created.attributes = std::move(attributes);
    created.format = options_.blobFormat;
    return pk;
}

std::int64_t EventBuilder::relation(std::int64_t parent, std::string_view relation) {
    if (const auto found = record(parent).relations.find(relation); found != record(parent).relations.end()) {
        return found->second;
    }
    requireOpen();
    const auto group = database_.addCollection(
        {.type = groupType(relation), .identifier = identifiers_.next(), .name = std::string(relation)});
    Record& created = records_[group];
    created.isGroup = true;
    created.format = options_.blobFormat;
    record(parent).relations.emplace(std::string(relation), group);
    link(parent, group);
    return group;
}

std::int64_t EventBuilder::addChild(std::int64_t parent, std::string_view relationName, std::string type,
                                    ArchiveValue::Entries attributes) {
    const auto group = relation(parent, relationName);
    const auto child = addObject(std::move(type), std::move(attributes));
    link(group, child);
    return child;
}

void EventBuilder::link(std::int64_t parent, std::int64_t child) {
    requireOpen();
    database_.link(parent, child);
    if (const auto found = records_.find(parent); found != records_.end()) found->second.children.push_back(child);
}

const ArchiveValue::Entries& EventBuilder::attributes(std::int64_t object) const { return record(object).attributes; }

void EventBuilder::setAttribute(std::int64_t object, std::string key, ArchiveValue value) {
    requireOpen();
    auto& entries = record(object).attributes;
    for (auto& entry : entries) {
        if (entry.first == key) {
            entry.second = std::move(value);
            return;
        }
    }
    entries.emplace_back(std::move(key), std::move(value));
}

void EventBuilder::removeAttribute(std::int64_t object, std::string_view key) {
    requireOpen();
    std::erase_if(record(object).attributes, [key](const auto& entry) { return entry.first == key; });
}

void EventBuilder::setBlob(std::int64_t collection, EventDatabase::Blob blob) {
    requireOpen();
    record(collection).blob = std::move(blob);
}

void EventBuilder::setBlobFormat(std::int64_t collection, PlistFormat format) {
    requireOpen();
    record(collection).format = format;
}

void EventBuilder::setStoredOrder(std::int64_t group, std::vector<std::string> identifiers) {
    requireOpen();
    Record& target = record(group);
    if (!target.isGroup) throw std::logic_error("only a grouping collection stores an order");
    target.storedOrder = std::move(identifiers);
}

void EventBuilder::setIdentifier(std::int64_t collection, const std::optional<std::string>& identifier) {
    requireOpen();
    database_.setIdentifier(collection, identifier);
}

std::optional<std::string> EventBuilder::identifier(std::int64_t collection) const {
    return database_.identifier(collection);
}

const std::vector<std::int64_t>& EventBuilder::children(std::int64_t collection) const {
    return record(collection).children;
}

Time EventBuilder::sourceStart(std::int64_t object) const { return record(object).sourceStart; }

void EventBuilder::setSourceStart(std::int64_t object, Time start) {
    requireOpen();
    record(object).sourceStart = start;
}

std::int64_t EventBuilder::projectData() const {
    if (!projectData_) throw std::logic_error("event \"" + name_ + "\" was made without its project structure");
    return *projectData_;
}

std::int64_t EventBuilder::project() const {
    if (!project_) throw std::logic_error("event \"" + name_ + "\" was made without its project structure");
    return *project_;
}

AssetRef EventBuilder::asset(AssetDescription description) {
    const std::string mediaIdentifier =
        description.mediaIdentifier ? *description.mediaIdentifier : identifiers_.next();
    ArchiveValue::Entries attributes{
        {"displayName", description.name},
        {"mediaIdentifier", mediaIdentifier},
        {"mediaRange", timeRangeText(description.start, description.duration)},
    };
    if (description.frameDuration) attributes.emplace_back("timecodeFrameDuration", *description.frameDuration);
    attributes.emplace_back("timecodeDisplayDropFrame", description.dropFrame ? 1 : 0);
    attributes.emplace_back("videoFormatName", description.videoFormat);
    attributes.emplace_back("hasVideo", description.hasVideo);
    attributes.emplace_back("hasAudio", description.hasAudio);
    attributes.emplace_back("audioSampleRate", description.audioSampleRate);
    attributes.emplace_back("originalFileName", description.name + ".mov");
    const auto pk = addChild(projectData(), "assets", "FFAsset", std::move(attributes));
    AssetRef made{pk, description.name, mediaIdentifier};
    assetsByName_.try_emplace(description.name, made);
    return made;
}

AssetRef EventBuilder::assetNamed(const std::string& name) {
    if (const auto found = assetsByName_.find(name); found != assetsByName_.end()) return found->second;
    return asset({.name = name});
}

TimelineBuilder EventBuilder::sequence(std::string name, SequenceOptions options) {
    return TimelineBuilder(*this, std::move(name), std::move(options));
}

MulticamBuilder EventBuilder::multicam(std::string name, Time duration) {
    return MulticamBuilder(*this, std::move(name), duration);
}

Bytes EventBuilder::blobBytes(const Record& source) const {
    if (!source.isGroup) {
        return KeyedArchiveWriter::archive(ArchiveValue::dictionary(source.attributes), source.format);
    }
    std::vector<ArchiveValue> listed;
    if (source.storedOrder) {
        for (const auto& text : *source.storedOrder) listed.emplace_back(text);
    } else {
        for (const auto child : source.children) {
            if (const auto text = identifier(child)) listed.emplace_back(*text);
        }
    }
    return KeyedArchiveWriter::archive(
        ArchiveValue::dictionary({{"identifiers", ArchiveValue::array(std::move(listed))}}), source.format);
}

void EventBuilder::finish() {
    if (finished_) return;
    if (!roles_.empty()) setAttribute(project(), "roleSetData", ArchiveValue::data(roles_.archive()));
    for (const auto& [pk, source] : records_) {
        database_.setBlob(pk, source.blob ? *source.blob : EventDatabase::Blob(blobBytes(source)));
    }
    database_.close();
    finished_ = true;
}

}  // namespace quillo::testing
