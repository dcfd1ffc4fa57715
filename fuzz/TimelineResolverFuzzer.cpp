// Builds a small event database from the input (a few dozen collections of the timeline vocabulary
// with random attribute blobs and random child links: cycles, fan-out and dangling links included),
// then resolves and scans every sequence in it as the to-do scan does, once querying the store and
// once through its collection index. Nothing may crash or hang; positions must be finite; edit
// lists must be sorted with their laid-in items in range; both ways must find the same markers.
//
// Input: a count byte (its bit 0x40 resolves with the event's assets loaded), then per collection a
// type, a name, a blob form and its attributes; every byte left over is a child link (parent,
// child). Missing bytes read as 0. Walks are limited to far fewer collections than in a scan, so
// that inputs which fan out stay quick.
#include "BrimlockCore/Database/AssetStore.h"
#include "BrimlockCore/Database/FCPDatabaseConnection.h"
#include "BrimlockCore/Database/FCPDatabaseError.h"
#include "BrimlockCore/Resolver/MulticamMediaIndex.h"
#include "BrimlockCore/Database/RoleResolver.h"
#include "BrimlockCore/Resolver/TimelineMarkerScanner.h"
#include "BrimlockCore/Resolver/TimelineResolver.h"

#include "testing/ArchiveValue.h"
#include "testing/EventDatabase.h"
#include "testing/KeyedArchiveWriter.h"
#include "testing/TemporaryDirectory.h"
#include "fuzz/FuzzSupport.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

using fuzz::require;

namespace {

using quillo::testing::ArchiveValue;
using quillo::testing::Bytes;
using quillo::testing::EventDatabase;

constexpr auto kTypes = std::to_array<const char*>({
    "FFAnchoredSequence",
    "FFAnchoredCollection",
    "FFAnchoredMediaComponent",
    "FFAnchoredClip",
    "FFAnchoredStack",
    "FFAnchoredGapGeneratorComponent",
    "FFAnchoredGeneratorComponent",
    "FFAnchoredTimeMarker",
    "FFAnchoredAngle",
    "FFAssetRef",
    "FFClipRef",
    "FFRetimingVideoEffect",
    "FFHeXForm3DEffect",
    "FFMutableAudioClipComponentsLayoutItem",
    "NSArray",
    "NSSet",
    "FFGenerator",
    "FFAsset",
    "FFAnchoredKeywordMarker",
    "FFSomethingElse",
});
constexpr auto kNames = std::to_array<const char*>({
    nullptr,
    "primaryObject",
    "containedItems",
    "anchoredItems",
    "activeVariant",
    "media",
    "audioComponentsLayoutMap",
    "persistedAnchoredObject",
    "effects",
    "variants",
});
constexpr auto kKeys = std::to_array<const char*>({
    "clippedRange",    "anchorPair",    "anchoredLane",   "playEnable",  "displayName", "roleUID",
    "mediaIdentifier", "identifiers",   "isTodo",         "isChapter",   "isCompleted", "completed",
    "checked",         "metadata",      "channelMap",     "channelData", "effectType",  "videoAngle",
    "audioAngles",     "isSyncronized", "isCompoundClip", "videoProps",  "mediaRange",  "timecodeFrameDuration",
});

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const noexcept { return position_ >= size_; }
    std::uint8_t byte() noexcept { return empty() ? 0 : data_[position_++]; }
    template <std::size_t N>
    const char* pick(const std::array<const char*, N>& table) noexcept {
        return table[byte() % N];
    }
    std::int64_t smallInteger() noexcept { return static_cast<std::int8_t>(byte()); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

std::string identifierOf(std::size_t index) {
    char text[40];
    std::snprintf(text, sizeof text, "00000000-0000-4000-8000-%012zu", index);
    return text;
}

std::string mediaIdentifier(Input& in) { return "MEDIA-" + std::to_string(in.byte() % 4); }

std::string rational(Input& in) {
    switch (in.byte() % 8) {
    case 0: return "9223372036854775807/1";
    case 1: return "-9223372036854775808/1";
    case 2: return "1/0";
    case 3: return "x/24";
    default: return std::to_string(in.smallInteger()) + "/" + std::to_string(1 + in.byte() % 30);
    }
}

ArchiveValue value(const std::string& key, Input& in, std::size_t count) {
    if (key == "clippedRange" || key == "anchorPair" || key == "mediaRange")
        return ArchiveValue("{" + rational(in) + "," + rational(in) + "}");
    if (key == "anchoredLane") {
        const auto choice = in.byte() % 4;
        if (choice == 0) return ArchiveValue(999999);
        if (choice == 1) return ArchiveValue(static_cast<long long>(INT64_MAX));
        return ArchiveValue(static_cast<long long>(in.smallInteger()));
    }
    if (key == "playEnable" || key == "isCompleted" || key == "completed" || key == "checked") {
        switch (in.byte() % 4) {
        case 0: return ArchiveValue(false);
        case 1: return ArchiveValue(true);
        case 2: return ArchiveValue(static_cast<long long>(in.smallInteger()));
        default: return ArchiveValue("text");
        }
    }
    if (key == "isTodo" || key == "isChapter" || key == "isSyncronized" || key == "isCompoundClip")
        return in.byte() % 2 ? ArchiveValue(true) : ArchiveValue(1);
    if (key == "mediaIdentifier") return ArchiveValue(mediaIdentifier(in));
    if (key == "identifiers") {
        std::vector<ArchiveValue> listed;
        for (auto n = in.byte() % 6; n > 0; --n) listed.emplace_back(identifierOf(in.byte() % (count + 2)));
        return ArchiveValue::array(std::move(listed));
    }
    if (key == "metadata")
        return ArchiveValue::dictionary({{"notes", "A note"}, {"reel", "R1"}, {"scene", std::to_string(in.byte())}});
    if (key == "channelMap") return ArchiveValue::array({ArchiveValue(std::to_string(in.smallInteger()))});
    if (key == "audioAngles") return ArchiveValue::array({ArchiveValue(static_cast<long long>(in.byte())), "angle"});
    if (key == "effectType") return ArchiveValue(in.byte() % 2 ? "effect.video.title" : "effect.video.generator");
    if (key == "videoProps") return ArchiveValue::dictionary({{"PB", "{{0, 0}, {1920, 1080}}"}});
    if (key == "timecodeFrameDuration") return ArchiveValue(in.byte() % 2 ? "100/2400" : "1001/30000");
    if (key == "channelData") {
        std::string xml = "<ozml><parameter name=\"Speed\" value=\"" + std::to_string(in.smallInteger()) + "\"/>";
        for (auto n = in.byte() % 8; n > 0; --n) xml.push_back(static_cast<char>(in.byte()));
        return ArchiveValue::data(Bytes(xml.begin(), xml.end()));
    }
    return ArchiveValue(std::to_string(in.byte()));  // displayName, roleUID, videoAngle
}

EventDatabase::Blob blob(Input& in, std::size_t count) {
    switch (in.byte() % 8) {
    case 0: return EventDatabase::Blob::noRow();
    case 1: return EventDatabase::Blob::null();
    case 2: {
        Bytes bytes;
        for (auto n = in.byte() % 32; n > 0; --n) bytes.push_back(in.byte());
        return bytes;
    }
    default: {
        ArchiveValue::Entries attributes;
        for (auto n = in.byte() % 9; n > 0; --n) {
            std::string key = in.pick(kKeys);
            ArchiveValue made = value(key, in, count);
            attributes.emplace_back(std::move(key), std::move(made));
        }
        return quillo::testing::KeyedArchiveWriter::archive(ArchiveValue::dictionary(std::move(attributes)));
    }
    }
}

constexpr std::uint64_t kWalkLimit = 20'000;

void checkList(const brimlock::EditDecisionList& list) {
    const auto& entries = list.entries();
    for (std::size_t i = 1; i < entries.size(); ++i) require(entries[i - 1].timelineIn <= entries[i].timelineIn);
    std::size_t previous = 0;
    for (const auto& item : list.laidInItems()) {
        require(item.entriesBefore <= entries.size() && item.entriesBefore >= previous);
        previous = item.entriesBefore;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const quillo::testing::TemporaryDirectory directory;
    const std::filesystem::path file = directory.path() / "CurrentVersion.fcpevent";
    std::filesystem::remove(file);

    Input in(data, size);
    const std::uint8_t head = in.byte();
    const std::size_t count = 4 + (head & 0x3F) % 37;
    const bool withAssets = (head & 0x40) != 0;
    std::vector<std::int64_t> keysMade;
    std::vector<std::int64_t> sequences;
    {
        EventDatabase database(file, identifierOf(0), "Fuzz");
        for (std::size_t i = 0; i < count; ++i) {
            const std::string type = in.pick(kTypes);
            const char* name = in.pick(kNames);
            const auto pk = database.addCollection({.type = type,
                                                    .identifier = identifierOf(i + 1),
                                                    .name = name ? std::optional<std::string>(name) : std::nullopt,
                                                    .blob = blob(in, count)});
            keysMade.push_back(pk);
            if (type == "FFAnchoredSequence") sequences.push_back(pk);
        }
        std::set<std::pair<std::int64_t, std::int64_t>> links;
        while (!in.empty()) {
            const auto parent = keysMade[in.byte() % count];
            const auto child = keysMade[in.byte() % count];
            if (links.emplace(parent, child).second) database.link(parent, child);
        }
        database.close();
    }

    // The walks run twice, querying the store and reading through its collection index, and must
    // find the same markers.
    std::vector<std::optional<std::vector<brimlock::ScannedMarker>>> found[2];
    for (const bool indexed : {false, true}) {
        brimlock::FCPDatabaseConnection db(file.string());
        if (indexed) db.loadCollectionIndex();
        brimlock::RoleResolver roles;
        brimlock::AssetStore assets;
        if (withAssets) {
            try {
                assets.loadAssets(db);
            } catch (const brimlock::FCPDatabaseError&) {
            }
        }
        for (const auto sequence : sequences) {
            brimlock::MulticamMediaIndex multicamIndex;
            brimlock::TimelineResolver resolver(db, assets, roles, multicamIndex);
            resolver.setWalkLimit(kWalkLimit);
            auto& markers = found[indexed ? 1 : 0].emplace_back();
            try {
                markers = brimlock::TimelineMarkerScanner::scan(sequence, db, resolver);
                for (const auto& marker : *markers) require(std::isfinite(marker.timelinePositionSeconds));
                const auto list = resolver.getEDL(sequence);
                checkList(*list);
                for (const auto& entry : list->entries()) {
                    for (const auto& segment : entry.displaySegments)
                        for (const auto& layer : segment.stackedLayers) require(layer.videoLaneNumber > 1);
                }
            } catch (const brimlock::FCPDatabaseError&) {
                // A walk past the budget drops the timeline.
            }
        }
    }
    require(found[0] == found[1]);
    return 0;
}
