#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace quillo {

// How the to-do list is grouped. The raw values are stored under "QuilloToDo.ListGrouping".
enum class ListGrouping { assignee, event, timeline };

inline constexpr std::array<ListGrouping, 3> kAllListGroupings{ListGrouping::assignee, ListGrouping::event,
                                                               ListGrouping::timeline};

std::string_view rawValue(ListGrouping grouping) noexcept;
// Exact, case-sensitive: "Event" is no grouping.
std::optional<ListGrouping> listGrouping(std::string_view rawValue) noexcept;

}  // namespace quillo
