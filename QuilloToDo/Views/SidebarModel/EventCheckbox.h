#pragma once

#include <cstddef>
#include <string_view>

namespace quillo {

// The check box in an event card's header, which switches all of the event's timelines at once.
// An event without timelines counts as fully included.
class EventCheckbox {
public:
    enum class State { allIncluded, someIncluded, noneIncluded };

    EventCheckbox(std::size_t timelineCount, std::size_t includedCount) noexcept;

    State state() const noexcept { return state_; }
    // "checkmark.square.fill", "minus.square.fill" or "square".
    std::string_view symbol() const noexcept;
    // Drawn in the accent colour while at least one timeline is included, else in the tertiary text colour.
    bool isAccented() const noexcept { return state_ != State::noneIncluded; }
    std::string_view tooltip() const noexcept;
    // What a click asks for every timeline of the event: a fully included event is excluded as a
    // whole, a partly or wholly excluded one is included as a whole.
    bool clickIncludes() const noexcept { return state_ != State::allIncluded; }

private:
    State state_;
};

}  // namespace quillo
