#pragma once

#include "QuilloToDoKit/QuilloToDoScan/ScannedLibrarySource.h"

#include <string>
#include <vector>

namespace quillo {

struct SidebarTimeline {
    std::string id;  // the same text as TodoItem::timelineID
    std::string name;
};

struct SidebarEvent {
    std::string libraryName;
    std::string name;  // nested event folders joined with " / "
    std::vector<SidebarTimeline> timelines;

    // Built from names, not from the bookmark: equally named events of two libraries with the same
    // name share an id.
    std::string id() const { return libraryName + "|" + name; }
};

struct SidebarLibrary {
    std::string bookmarkID;
    std::string name;  // the source's name, not the bundle's
    std::vector<SidebarEvent> events;

    const std::string& id() const noexcept { return bookmarkID; }
};

// The sidebar tree of the watched libraries. Opens each event database only to list its timelines;
// touches no shared state, so it may run on any thread.
namespace LibraryStructureScanner {

// One entry per source, in the given order; never fails.
std::vector<SidebarLibrary> structure(const std::vector<ScannedLibrarySource>& sources);

}  // namespace LibraryStructureScanner
}  // namespace quillo
