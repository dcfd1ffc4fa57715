#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace brimlock {

// One timeline (a real sequence) of an event database.
struct FCPTimelineInfo {
    // The sequence's ZIDENTIFIER; a fresh random UUID at every scan when the row has none.
    std::string id;
    std::string name;
    std::int64_t collectionPK = 0;
    // Children of the primary object's "containedItems"; 0 when there is none.
    int editCount = 0;
    std::optional<double> duration;  // seconds; never filled by the library scan
};

// One event of a library: its folder names from the library down, joined with " / ".
struct FCPEvent {
    std::string name;
    // The event folder plus "CurrentVersion.fcpevent", as found (symbolic links not resolved).
    std::filesystem::path databaseURL;
    std::vector<FCPTimelineInfo> timelines;  // empty when the database cannot be opened or read
};

// A library bundle as scanned: its name is the bundle's last path component without extension.
struct FCPLibrary {
    std::filesystem::path url;
    std::string name;
    std::vector<FCPEvent> events;  // in discovery order
};

}  // namespace brimlock
