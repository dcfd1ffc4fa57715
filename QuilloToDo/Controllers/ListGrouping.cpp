#include "QuilloToDo/Controllers/ListGrouping.h"

namespace quillo {

std::string_view rawValue(ListGrouping grouping) noexcept {
    switch (grouping) {
    case ListGrouping::assignee: return "assignee";
    case ListGrouping::event: return "event";
    case ListGrouping::timeline: return "timeline";
    }
    return "assignee";
}

std::optional<ListGrouping> listGrouping(std::string_view text) noexcept {
    for (const auto grouping : kAllListGroupings) {
        if (rawValue(grouping) == text) return grouping;
    }
    return std::nullopt;
}

}  // namespace quillo
