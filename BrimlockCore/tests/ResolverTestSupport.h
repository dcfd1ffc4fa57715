#pragma once

// One fixture event for the resolver tests: build timelines with the fixture builder, then open the
// committed database and resolve or scan them the way the to-do scan does (an empty asset store and
// multicam index, the event's roles, a fresh resolver per timeline).

#include "BrimlockCore/Database/AssetStore.h"
#include "BrimlockCore/Database/FCPDatabaseConnection.h"
#include "BrimlockCore/Resolver/MulticamMediaIndex.h"
#include "BrimlockCore/Database/RoleResolver.h"
#include "BrimlockCore/Resolver/EditDecisionList.h"
#include "BrimlockCore/Resolver/TimelineMarkerScanner.h"
#include "BrimlockCore/Resolver/TimelineResolver.h"

#include "testing/LibraryBuilder.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace resolvertest {

using namespace quillo::testing;
// The builder's marker flavours; brimlock::MarkerType is what the scanner reports.
using Marker = quillo::testing::MarkerType;

class EventFixture {
public:
    EventFixture() : library_(dir_.path(), "Feature"), event_(library_.event("Day 1")) {}

    EventBuilder& event() { return event_; }
    const std::filesystem::path& bundlePath() const { return library_.bundlePath(); }
    TimelineBuilder timeline(std::string name = "Main Edit") { return event_.sequence(std::move(name)); }

    // Commits the event (first call) and opens it with the event's roles.
    brimlock::FCPDatabaseConnection& db() {
        if (!db_) {
            library_.finish();
            db_.emplace(event_.databasePath().string());
            roles_.loadRoles(*db_);
        }
        return *db_;
    }
    brimlock::AssetStore& assetStore() { return assetStore_; }
    const brimlock::RoleResolver& roles() { return (db(), roles_); }

    // A resolver of its own, as the to-do scan makes one per timeline.
    std::unique_ptr<brimlock::TimelineResolver> resolver() {
        return std::make_unique<brimlock::TimelineResolver>(db(), assetStore_, roles(), multicamIndex_);
    }
    std::shared_ptr<const brimlock::EditDecisionList> edl(std::int64_t sequencePK) {
        return resolver()->getEDL(sequencePK);
    }
    std::shared_ptr<const brimlock::EditDecisionList> edl(const TimelineBuilder& timeline) {
        return edl(timeline.sequencePK());
    }
    std::vector<brimlock::ScannedMarker> markers(const TimelineBuilder& timeline) {
        auto own = resolver();
        return brimlock::TimelineMarkerScanner::scan(timeline.sequencePK(), db(), *own);
    }

private:
    TemporaryDirectory dir_;
    LibraryBuilder library_;
    EventBuilder& event_;
    std::optional<brimlock::FCPDatabaseConnection> db_;
    brimlock::AssetStore assetStore_;
    brimlock::MulticamMediaIndex multicamIndex_;
    brimlock::RoleResolver roles_;
};

// Names of the entries in list order.
inline std::vector<std::string> clipNames(const brimlock::EditDecisionList& list) {
    std::vector<std::string> names;
    for (const auto& entry : list.entries()) names.push_back(entry.clipName);
    return names;
}

// [timelineIn, timelineOut) of each entry.
inline std::vector<std::pair<double, double>> spans(const brimlock::EditDecisionList& list) {
    std::vector<std::pair<double, double>> result;
    for (const auto& entry : list.entries()) result.emplace_back(entry.timelineIn, entry.timelineOut);
    return result;
}

}  // namespace resolvertest
