#include "QuilloToDo/Views/SidebarModel/SidebarEventCard.h"

#include "Platform/Foundation/UnicodeText.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <utility>

namespace quillo {

std::string SidebarEventCard::title() const { return showLibraryPrefix ? libraryName + " / " + eventName : eventName; }

std::int64_t SidebarEventCard::count() const {
    return std::accumulate(timelines.begin(), timelines.end(), std::int64_t{0},
                           [](std::int64_t sum, const SidebarTimelineRow& row) { return sum + row.count; });
}

EventCheckbox SidebarEventCard::checkbox() const {
    const auto included =
        std::count_if(timelines.begin(), timelines.end(), [](const SidebarTimelineRow& row) { return row.isIncluded; });
    return EventCheckbox(timelines.size(), static_cast<std::size_t>(included));
}

std::vector<std::string> SidebarEventCard::timelineIDs() const {
    std::vector<std::string> ids;
    ids.reserve(timelines.size());
    for (const auto& row : timelines) ids.push_back(row.id);
    return ids;
}

bool hasSameControls(const SidebarEventCard& a, const SidebarEventCard& b) {
    const auto sameRow = [](const SidebarTimelineRow& x, const SidebarTimelineRow& y) {
        return x.id == y.id && x.name == y.name && x.isIncluded == y.isIncluded;
    };
    return a.libraryBookmarkID == b.libraryBookmarkID && a.libraryName == b.libraryName && a.eventName == b.eventName &&
           a.storedID == b.storedID && a.showHeader == b.showHeader && a.showLibraryPrefix == b.showLibraryPrefix &&
           a.isExpanded == b.isExpanded &&
           std::equal(a.timelines.begin(), a.timelines.end(), b.timelines.begin(), b.timelines.end(), sameRow);
}

std::vector<SidebarEventCard> sidebarEventCards(const std::vector<SidebarLibrary>& structure,
                                                const TimelineCounts& counts,
                                                const std::unordered_set<std::string>& excludedTimelineIDs,
                                                const ExpandedEvents::IDSet& expanded) {
    std::size_t eventCount = 0;
    std::map<std::string, int> librariesByName;
    for (const auto& library : structure) {
        eventCount += library.events.size();
        ++librariesByName[library.name];
    }

    std::vector<SidebarEventCard> cards;
    cards.reserve(eventCount);
    for (const auto& library : structure) {
        const bool nameIsShared = librariesByName[library.name] > 1;
        for (const auto& event : library.events) {
            SidebarEventCard card{
                .libraryBookmarkID = library.bookmarkID,
                .libraryName = event.libraryName,
                .eventName = event.name,
                .storedID = nameIsShared ? library.bookmarkID + "|" + event.name : event.id(),
                .showHeader = eventCount > 1,
                .showLibraryPrefix = structure.size() > 1,
                .isExpanded = false,
                .timelines = {},
            };
            card.isExpanded = eventCount < 2 || expanded.contains(platform::canonicalForm(card.storedID));
            card.timelines.reserve(event.timelines.size());
            for (const auto& timeline : event.timelines) {
                card.timelines.push_back({
                    .id = timeline.id,
                    .name = timeline.name,
                    .isIncluded = !excludedTimelineIDs.contains(platform::canonicalForm(timeline.id)),
                    .count = counts.count(library.bookmarkID, timeline.id),
                });
            }
            cards.push_back(std::move(card));
        }
    }
    return cards;
}

}  // namespace quillo
