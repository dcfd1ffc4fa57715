#include "QuilloToDo/Controllers/FilteredItems.h"

namespace quillo {

std::int64_t TimelineCounts::count(std::string_view libraryBookmarkID, std::string_view timelineID) const {
    const auto library = counts_.find(libraryBookmarkID);
    if (library == counts_.end()) return 0;
    const auto timeline = library->second.find(timelineID);
    return timeline == library->second.end() ? 0 : timeline->second;
}

std::int64_t& TimelineCounts::counter(std::string_view libraryBookmarkID, std::string_view timelineID) {
    auto library = counts_.find(libraryBookmarkID);
    if (library == counts_.end())
        library = counts_.emplace(std::string(libraryBookmarkID), decltype(library->second){}).first;
    auto timeline = library->second.find(timelineID);
    if (timeline == library->second.end()) timeline = library->second.emplace(std::string(timelineID), 0).first;
    return timeline->second;
}

}  // namespace quillo
