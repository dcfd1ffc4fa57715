#include "QuilloToDo/Views/SidebarModel/EventCheckbox.h"

namespace quillo {

EventCheckbox::EventCheckbox(std::size_t timelineCount, std::size_t includedCount) noexcept
    : state_(includedCount == timelineCount ? State::allIncluded
             : includedCount >= 1           ? State::someIncluded
                                            : State::noneIncluded) {}

std::string_view EventCheckbox::symbol() const noexcept {
    switch (state_) {
    case State::allIncluded: return "checkmark.square.fill";
    case State::someIncluded: return "minus.square.fill";
    case State::noneIncluded: return "square";
    }
    return "square";
}

std::string_view EventCheckbox::tooltip() const noexcept {
    return state_ == State::allIncluded ? "Exclude all timelines" : "Include all timelines";
}

}  // namespace quillo
