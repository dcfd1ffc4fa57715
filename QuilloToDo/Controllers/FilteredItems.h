#pragma once

#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quillo {

// Items shown from a list the caller keeps alive: pointers into it, in its order.
using ShownItems = std::vector<const TodoItem*>;

// How many items of each timeline of each library a filter matches. Timelines are told apart by
// their library's bookmark id and their own id, compared byte for byte as the scan wrote both.
class TimelineCounts {
public:
    // Zero for a timeline without a matched item.
    std::int64_t count(std::string_view libraryBookmarkID, std::string_view timelineID) const;
    // The count of one timeline, made at zero when it has none yet; it stays where it is.
    std::int64_t& counter(std::string_view libraryBookmarkID, std::string_view timelineID);

private:
    std::map<std::string, std::map<std::string, std::int64_t, std::less<>>, std::less<>> counts_;
};

// One pass of the filter over a list: what the to-do list shows and what the sidebar counts.
struct FilteredItems {
    // The matched items on timelines that are not excluded, in the list's order.
    ShownItems items;
    // The matched items of every timeline, excluded timelines too.
    TimelineCounts timelineCounts;
};

}  // namespace quillo
