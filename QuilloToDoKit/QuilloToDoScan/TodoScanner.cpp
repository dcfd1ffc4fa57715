#include "QuilloToDoKit/QuilloToDoScan/TodoScanner.h"

#include "QuilloToDoKit/QuilloToDoScan/AssigneeResolver.h"

#include "BrimlockCore/Database/AssetStore.h"
#include "BrimlockCore/Database/DamagedStore.h"
#include "BrimlockCore/Database/FCPDatabaseConnection.h"
#include "BrimlockCore/Database/LibraryScanner.h"
#include "BrimlockCore/Resolver/MulticamMediaIndex.h"
#include "BrimlockCore/Database/RoleResolver.h"
#include "BrimlockCore/Resolver/LocalSequenceIndex.h"
#include "BrimlockCore/Resolver/TimelineMarkerScanner.h"
#include "BrimlockCore/Resolver/TimelineResolver.h"
#include "BrimlockCore/Timecode/TimecodeCalculator.h"

#include <openssl/evp.h>
#include <openssl/sha.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <exception>
#include <map>
#include <string>

namespace quillo {

namespace {

struct KindAndStatus {
    MarkerKind kind;
    TodoStatus status;
};

KindAndStatus kindAndStatus(brimlock::MarkerType type, std::optional<bool> completed) {
    switch (type) {
    case brimlock::MarkerType::chapter: return {MarkerKind::chapter, TodoStatus::unknown};
    case brimlock::MarkerType::todo:
        if (!completed) return {MarkerKind::todo, TodoStatus::unknown};
        return {MarkerKind::todo, *completed ? TodoStatus::done : TodoStatus::open};
    case brimlock::MarkerType::standard: break;
    }
    return {MarkerKind::standard, TodoStatus::unknown};
}

// Rounds half away from zero; negative counts become 0 and counts beyond int64 are clamped, so an
// absurd clip range in a damaged library cannot make the conversion undefined.
std::int64_t frameCount(double seconds, double fps) {
    const double frames = std::round(seconds * fps);
    if (!(frames > 0.0)) return 0;  // also NaN
    if (frames >= 9223372036854775807.0) return INT64_MAX;
    return static_cast<std::int64_t>(frames);
}

brimlock::FrameRate timecodeRate(brimlock::TimelineResolver& resolver, std::int64_t timelinePK) {
    // An edit list that cannot be built leaves the default rate.
    const auto edl = brimlock::whenStoreReadable([&] { return resolver.getEDL(timelinePK); }, nullptr);
    if (edl && !edl->entries().empty() && edl->entries().front().frameRate) return *edl->entries().front().frameRate;
    return brimlock::FrameRate::fps24;
}

// What one event's walks found: its timelines, its roles and each readable timeline's markers, the
// items not made yet.
struct EventMarkers {
    struct Timeline {
        std::size_t timeline;  // in `timelines`
        brimlock::FrameRate rate;
        std::vector<brimlock::ScannedMarker> markers;
    };
    std::vector<brimlock::FCPTimelineInfo> timelines;
    brimlock::RoleResolver roles;
    std::vector<Timeline> found;
    std::size_t count = 0;  // markers in `found`
};

EventMarkers readMarkers(const brimlock::FCPEvent& event) {
    EventMarkers read;
    // An event whose database cannot be opened, or whose timelines cannot be listed, yields nothing.
    std::optional<brimlock::FCPDatabaseConnection> db;
    if (!brimlock::whenStoreReadable([&] { db.emplace(event.databaseURL.string()); })) return read;
    db->loadCollectionIndex();  // the walks below visit nearly every collection of the event
    if (!brimlock::whenStoreReadable([&] { read.timelines = brimlock::LibraryScanner::discoverTimelines(*db); }))
        return read;
    // Which sequence a compound clip refers to is a property of the event database: looked up once
    // per event, not once per timeline.
    brimlock::LocalSequenceIndex sequences(*db);
    // Roles that cannot be read stay unknown: assignees then come from at-sign prefixes only.
    brimlock::whenStoreReadable([&] { read.roles.loadRoles(*db); });
    for (std::size_t t = 0; t < read.timelines.size(); ++t) {
        const auto& timeline = read.timelines[t];
        brimlock::AssetStore assets;
        brimlock::MulticamMediaIndex multicam;
        brimlock::TimelineResolver resolver(*db, assets, read.roles, multicam, &sequences);
        // A timeline whose markers cannot be read yields nothing.
        std::vector<brimlock::ScannedMarker> markers;
        if (!brimlock::whenStoreReadable(
                [&] { markers = brimlock::TimelineMarkerScanner::scan(timeline.collectionPK, *db, resolver); }))
            continue;
        read.count += markers.size();
        read.found.push_back({t, timecodeRate(resolver, timeline.collectionPK), std::move(markers)});
    }
    return read;
}

// The items of what readMarkers found, appended to `items`; the markers' texts move into them.
void appendItems(const ScannedLibrarySource& source, const brimlock::FCPEvent& event, EventMarkers& read,
                 std::vector<TodoItem>& items) {
    for (auto& [t, rate, markers] : read.found) {
        const auto& timeline = read.timelines[t];
        const double fps = brimlock::fps(rate);  // the exact ratio, 24000/1001 and so on
        std::map<std::int64_t, int> occurrences;
        for (auto& marker : markers) {
            const int occurrence = ++occurrences[marker.markerPK];
            auto assignment = AssigneeResolver::derive(marker.text, marker.roleUID, read.roles);
            std::optional<std::string> roleName;
            std::optional<std::string> topLevelRoleUID;
            if (marker.roleUID) {
                roleName = read.roles.resolve(*marker.roleUID);
                topLevelRoleUID = read.roles.topLevelUID(*marker.roleUID);
            }
            const auto [kind, status] = kindAndStatus(marker.type, marker.completed);
            const std::int64_t frames = frameCount(marker.timelinePositionSeconds, fps);
            items.push_back(TodoItem{
                .id = TodoScanner::itemID(source.name, timeline.id, marker.markerPK, occurrence),
                .kind = kind,
                .status = status,
                .completedRaw = marker.completed,
                .text = std::move(assignment.display),
                .rawText = std::move(marker.text),
                .chapterNote = std::move(marker.chapterNote),
                .assigneeName = std::move(assignment.assignee),
                .assigneeSource = assignment.source,
                .roleUID = std::move(marker.roleUID),
                .roleName = std::move(roleName),
                .topLevelRoleUID = std::move(topLevelRoleUID),
                .libraryName = source.name,
                .libraryBookmarkID = source.bookmarkID,
                .eventName = event.name,
                .timelineID = timeline.id,
                .timelineName = timeline.name,
                .timelinePositionSeconds = marker.timelinePositionSeconds,
                .timelineTimecode = brimlock::TimecodeCalculator::framesToTimecode(frames, rate),
                .frameRateFPS = fps,
            });
        }
    }
}

}  // namespace

platform::UUID TodoScanner::itemID(std::string_view libraryName, std::string_view timelineID, std::int64_t markerPK,
                                   int occurrence) {
    std::string text;
    text.reserve(libraryName.size() + timelineID.size() + 24);
    text.append(libraryName).append("|").append(timelineID).append("|").append(std::to_string(markerPK));
    if (occurrence >= 2) text.append("|").append(std::to_string(occurrence));
    // Fetched once: the one-shot SHA256() looks the algorithm up, under a process-wide lock, on every call.
    static EVP_MD* const sha256 = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    std::array<unsigned char, SHA256_DIGEST_LENGTH> digest{};
    if (sha256 == nullptr || EVP_Digest(text.data(), text.size(), digest.data(), nullptr, sha256, nullptr) != 1)
        SHA256(reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest.data());
    platform::UUID::Bytes bytes{};
    std::copy_n(digest.begin(), bytes.size(), bytes.begin());
    return platform::UUID(bytes);
}

TodoScanner::TodoScanner(unsigned maximumThreads) : maximumThreads_(std::max(maximumThreads, 1u)) {}

std::vector<TodoItem> TodoScanner::scan(const std::vector<ScannedLibrarySource>& libraries) {
    const std::lock_guard serialised(scanning_);
    std::vector<brimlock::FCPLibrary> listed(libraries.size());
    struct EventScan {
        const ScannedLibrarySource* source;
        const brimlock::FCPEvent* event;
        EventMarkers markers;
        std::vector<TodoItem> items;
        std::exception_ptr failure;
    };
    // The events of all libraries in scan order: one pool of workers serves them all.
    std::vector<EventScan> events;
    for (std::size_t i = 0; i < libraries.size(); ++i) {
        // Only the folders here: each worker reads its event's timelines on its own connection. A
        // library that cannot be listed yields nothing.
        if (!brimlock::whenStoreReadable([&] { listed[i] = brimlock::LibraryScanner::listEvents(libraries[i].url); }))
            continue;
        for (const auto& event : listed[i].events) events.push_back({&libraries[i], &event, {}, {}, {}});
    }

    std::vector<TodoItem> items;
    const std::size_t workers = std::min<std::size_t>(maximumThreads_, events.size());
    if (workers <= 1) {
        // On one thread every event's markers come first, so that the items go straight into one
        // list sized once: no second copy of every item, no memory touched twice.
        std::size_t total = 0;
        for (auto& event : events) {
            event.markers = readMarkers(*event.event);
            total += event.markers.count;
        }
        items.reserve(total);
        for (auto& event : events) {
            appendItems(*event.source, *event.event, event.markers, items);
            event.markers = {};
        }
        return items;
    }

    std::atomic<std::size_t> next = 0;
    const auto work = [&events, &next] {
        for (std::size_t i = next++; i < events.size(); i = next++) {
            try {
                auto markers = readMarkers(*events[i].event);
                events[i].items.reserve(markers.count);
                appendItems(*events[i].source, *events[i].event, markers, events[i].items);
            } catch (...) {
                events[i].failure = std::current_exception();  // rethrown below, where a serial scan would stop
            }
        }
    };
    {
        std::vector<std::jthread> helpers;
        for (std::size_t k = 1; k < workers; ++k) helpers.emplace_back(work);
        work();
    }

    std::size_t total = 0;
    for (const auto& event : events) total += event.items.size();
    items.reserve(total);
    for (auto& event : events) {
        if (event.failure) std::rethrow_exception(event.failure);
        items.insert(items.end(), std::make_move_iterator(event.items.begin()),
                     std::make_move_iterator(event.items.end()));
        event.items = {};
    }
    return items;
}

}  // namespace quillo
