#pragma once

#include "QuilloToDo/Controllers/FilteredItems.h"
#include "QuilloToDo/Views/SidebarModel/EventCheckbox.h"
#include "QuilloToDo/Views/SidebarModel/ExpandedEvents.h"
#include "QuilloToDoKit/QuilloToDoScan/LibraryStructure.h"

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace quillo {

// One timeline line of an expanded event card.
struct SidebarTimelineRow {
    std::string id;
    std::string name;
    bool isIncluded = true;
    // Items of this timeline, of this library, that the filter matches; whether the timeline is
    // excluded does not matter (FilteredItems::timelineCounts).
    std::int64_t count = 0;
};

// What one event card of the sidebar shows. Events belong to a library by its identity (the
// bookmark id), not its name: two watched bundles of the same name never share a card's state.
struct SidebarEventCard {
    std::string libraryBookmarkID;
    std::string libraryName;
    std::string eventName;
    // The piece of "QuilloToDo.ExpandedEvents" that names this event: "<library name>|<event name>",
    // or, while another library of the structure has the same name, "<bookmark id>|<event name>".
    std::string storedID;
    bool showHeader = false;
    bool showLibraryPrefix = false;
    bool isExpanded = false;
    std::vector<SidebarTimelineRow> timelines;

    // Unique within the sidebar.
    std::string key() const { return libraryBookmarkID + '\x1F' + eventName; }
    // "<library> / <event>" with the prefix, else the event's name.
    std::string title() const;
    // The badge of the collapsed header: the sum of the timeline counts.
    std::int64_t count() const;
    EventCheckbox checkbox() const;
    std::vector<std::string> timelineIDs() const;
};

// Whether two cards have the same controls in the same states: they differ in their counts at most.
bool hasSameControls(const SidebarEventCard& a, const SidebarEventCard& b);

// The event cards of the sidebar, in the order of the structure and of each library's events, with
// the counts of the filter's pass over the index's items. A lone event has no header and is always
// expanded; headers name the library while the structure has more than one.
std::vector<SidebarEventCard> sidebarEventCards(const std::vector<SidebarLibrary>& structure,
                                                const TimelineCounts& counts,
                                                const std::unordered_set<std::string>& excludedTimelineIDs,
                                                const ExpandedEvents::IDSet& expanded);

}  // namespace quillo
