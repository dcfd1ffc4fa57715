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
#include <memory>
#include <optional>
#include <string>
#include <thread>

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

// What the walks of one readable timeline found, the items not made yet.
struct TimelineMarkers {
    brimlock::FrameRate rate;
    std::vector<brimlock::ScannedMarker> markers;
};

// One connection to an event database, the sequence index its timeline walks share and the
// resolver they go through. Which sequence a compound clip refers to is a property of the event
// database: looked up once per connection, not once per timeline. The resolver's caches keep their
// room from timeline to timeline, so a walk does not build them up from nothing again. Used by one
// thread at a time.
class EventReader {
public:
    // Throws what opening the database throws.
    EventReader(const brimlock::FCPEvent& event, const brimlock::RoleResolver& roles)
        : db_(event.databaseURL.string()), sequences_(db_), resolver_(db_, assets_, roles, multicam_, &sequences_) {}

    brimlock::FCPDatabaseConnection& db() noexcept { return db_; }

    // Nothing when the timeline's markers cannot be read.
    std::optional<TimelineMarkers> read(const brimlock::FCPTimelineInfo& timeline) {
        // The previous timeline's list would only hold memory; its reads go when the walk starts.
        resolver_.invalidateCache();
        std::vector<brimlock::ScannedMarker> markers;
        if (!brimlock::whenStoreReadable(
                [&] { markers = brimlock::TimelineMarkerScanner::scan(timeline.collectionPK, db_, resolver_); }))
            return std::nullopt;
        return TimelineMarkers{timecodeRate(resolver_, timeline.collectionPK), std::move(markers)};
    }

private:
    brimlock::FCPDatabaseConnection db_;
    brimlock::LocalSequenceIndex sequences_;
    brimlock::AssetStore assets_;
    brimlock::MulticamMediaIndex multicam_;
    brimlock::TimelineResolver resolver_;
};

// One event of a scan: what its first reader finds (its timelines and roles, read-only afterwards)
// and what the walks of each timeline found, by whichever worker read it.
struct EventScan {
    const ScannedLibrarySource* source = nullptr;
    const brimlock::FCPEvent* event = nullptr;
    std::vector<brimlock::FCPTimelineInfo> timelines;
    brimlock::RoleResolver roles;
    // The first reader's index, which the other readers of the event share; nullptr when it has none,
    // and once every timeline is read, so that it goes with the event's last reader.
    std::shared_ptr<const brimlock::CollectionIndex> index;
    std::atomic<bool> opened = false;  // the fields above are final, but for `index`
    std::atomic<std::size_t> nextTimeline = 0;
    std::atomic<std::size_t> unread = 0;                // timelines taken by no worker or still being read
    std::vector<std::optional<TimelineMarkers>> found;  // by timeline; nothing for one that cannot be read
    // Faults of ours, rethrown below where a serial scan would stop: opening the event, then by timeline.
    std::exception_ptr openFailure;
    std::vector<std::exception_ptr> failures;
};

// The event's first reader: reads its timelines and roles into `scan`. nullptr when the database
// cannot be opened or its timelines cannot be listed, which leaves the event without timelines.
std::unique_ptr<EventReader> openEvent(EventScan& scan) {
    std::unique_ptr<EventReader> reader;
    if (!brimlock::whenStoreReadable([&] { reader = std::make_unique<EventReader>(*scan.event, scan.roles); }))
        return nullptr;
    reader->db().loadCollectionIndex();  // the walks visit nearly every collection of the event
    if (!brimlock::whenStoreReadable(
            [&] { scan.timelines = brimlock::LibraryScanner::discoverTimelines(reader->db()); })) {
        scan.timelines.clear();
        return nullptr;
    }
    // Roles that cannot be read stay unknown: assignees then come from at-sign prefixes only.
    brimlock::whenStoreReadable([&] { scan.roles.loadRoles(reader->db()); });
    scan.index = reader->db().collectionIndex();
    return reader;
}

// Another reader of an event its first reader opened; nullptr when the database cannot be opened
// now, which drops the timelines it would have read.
std::unique_ptr<EventReader> joinEvent(const EventScan& scan) {
    std::unique_ptr<EventReader> reader;
    if (!brimlock::whenStoreReadable([&] { reader = std::make_unique<EventReader>(*scan.event, scan.roles); }))
        return nullptr;
    if (scan.index) reader->db().useCollectionIndex(scan.index);
    return reader;
}

// The items of one timeline's markers, written from `out` on; the markers' texts move into them.
void makeItems(const EventScan& scan, const brimlock::FCPTimelineInfo& timeline, TimelineMarkers& found,
               std::vector<TodoItem>::iterator out) {
    const ScannedLibrarySource& source = *scan.source;
    const double fps = brimlock::fps(found.rate);  // the exact ratio, 24000/1001 and so on
    std::map<std::int64_t, int> occurrences;
    for (auto& marker : found.markers) {
        const int occurrence = ++occurrences[marker.markerPK];
        auto assignment = AssigneeResolver::derive(marker.text, marker.roleUID, scan.roles);
        std::optional<std::string> roleName;
        std::optional<std::string> topLevelRoleUID;
        if (marker.roleUID) {
            roleName = scan.roles.resolve(*marker.roleUID);
            topLevelRoleUID = scan.roles.topLevelUID(*marker.roleUID);
        }
        const auto [kind, status] = kindAndStatus(marker.type, marker.completed);
        const std::int64_t frames = frameCount(marker.timelinePositionSeconds, fps);
        *out++ = TodoItem{
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
            .eventName = scan.event->name,
            .timelineID = timeline.id,
            .timelineName = timeline.name,
            .timelinePositionSeconds = marker.timelinePositionSeconds,
            .timelineTimecode = brimlock::TimecodeCalculator::framesToTimecode(frames, found.rate),
            .frameRateFPS = fps,
        };
    }
}

// Reads the event's timelines that no worker has taken yet.
void readTimelines(EventScan& scan, std::unique_ptr<EventReader>& reader) {
    for (std::size_t t = scan.nextTimeline++; t < scan.timelines.size(); t = scan.nextTimeline++) {
        try {
            if (!reader) reader = joinEvent(scan);
            if (reader) scan.found[t] = reader->read(scan.timelines[t]);
        } catch (...) {
            scan.failures[t] = std::current_exception();
        }
        // Every worker that could still join the event has taken its timeline before this one ended.
        if (--scan.unread == 0) scan.index.reset();
    }
}

// Runs `work` on the calling thread and on up to `threads` - 1 more.
template <class Work>
void onThreads(std::size_t threads, const Work& work) {
    std::vector<std::jthread> helpers;
    for (std::size_t k = 1; k < threads; ++k) helpers.emplace_back(work);
    work();
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

unsigned TodoScanner::defaultThreads() noexcept {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 2 ? cores - 1 : 1;
}

std::vector<TodoItem> TodoScanner::scan(const std::vector<ScannedLibrarySource>& libraries) {
    const std::lock_guard serialised(scanning_);
    std::vector<brimlock::FCPLibrary> listed(libraries.size());
    // The events of all libraries in scan order.
    std::size_t eventCount = 0;
    for (std::size_t i = 0; i < libraries.size(); ++i) {
        // Only the folders here: the workers read the events' timelines. A library that cannot be
        // listed yields nothing.
        if (!brimlock::whenStoreReadable([&] { listed[i] = brimlock::LibraryScanner::listEvents(libraries[i].url); }))
            continue;
        eventCount += listed[i].events.size();
    }
    std::vector<EventScan> events(eventCount);
    for (std::size_t i = 0, e = 0; i < libraries.size(); ++i) {
        for (const auto& event : listed[i].events) {
            events[e].source = &libraries[i];
            events[e++].event = &event;
        }
    }

    // One pool of workers serves every timeline of every event: each worker first opens an event
    // nobody has opened and reads its timelines, then helps with the timelines left in the others,
    // on a connection of its own that shares the event's index. So no core idles while one event
    // with many timelines is still being read.
    std::atomic<std::size_t> nextEvent = 0;
    const auto read = [&events, &nextEvent] {
        for (std::size_t e = nextEvent++; e < events.size(); e = nextEvent++) {
            EventScan& scan = events[e];
            std::unique_ptr<EventReader> reader;
            try {
                reader = openEvent(scan);
                scan.found.resize(scan.timelines.size());
                scan.failures.resize(scan.timelines.size());
                scan.unread = scan.timelines.size();
                if (scan.timelines.empty()) scan.index.reset();
            } catch (...) {
                scan.openFailure = std::current_exception();
                reader.reset();
                scan.index.reset();
                scan.timelines.clear();
                scan.found.clear();
                scan.failures.clear();
            }
            scan.opened = true;
            scan.opened.notify_all();
            if (reader) readTimelines(scan, reader);
        }
        for (auto& scan : events) {
            scan.opened.wait(false);
            std::unique_ptr<EventReader> reader;
            readTimelines(scan, reader);
        }
    };
    const std::size_t threads = std::min<std::size_t>(maximumThreads_, events.size());
    onThreads(threads, read);

    // Every marker is found: the items go straight into one list sized once, each timeline's from
    // its place on, so that no item is moved or copied after it is made.
    struct Placed {
        EventScan* scan;
        std::size_t timeline;
        std::size_t first;  // in `items`
    };
    std::vector<Placed> placed;
    std::size_t total = 0;
    for (auto& scan : events) {
        if (scan.openFailure) std::rethrow_exception(scan.openFailure);
        for (std::size_t t = 0; t < scan.found.size(); ++t) {
            if (scan.failures[t]) std::rethrow_exception(scan.failures[t]);
            if (!scan.found[t]) continue;
            placed.push_back({&scan, t, total});
            total += scan.found[t]->markers.size();
        }
    }
    std::vector<TodoItem> items(total);
    std::atomic<std::size_t> nextPlaced = 0;
    std::vector<std::exception_ptr> failures(placed.size());
    const auto make = [&] {
        for (std::size_t p = nextPlaced++; p < placed.size(); p = nextPlaced++) {
            auto& [scan, t, first] = placed[p];
            try {
                makeItems(*scan, scan->timelines[t], *scan->found[t],
                          items.begin() + static_cast<std::ptrdiff_t>(first));
            } catch (...) {
                failures[p] = std::current_exception();
            }
            scan->found[t].reset();
        }
    };
    onThreads(std::min(threads, placed.size()), make);
    for (const auto& failure : failures) {
        if (failure) std::rethrow_exception(failure);
    }
    return items;
}

}  // namespace quillo
