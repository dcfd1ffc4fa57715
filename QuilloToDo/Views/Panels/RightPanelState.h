#pragma once

#include "QuilloToDo/Views/Panels/RightPanel.h"

#include <optional>
#include <set>
#include <vector>

namespace quillo {

// Which right panels are open and which one, if any, fills the content area. Lives as long as the
// window; not stored.
struct RightPanelState {
    std::set<RightPanel> activePanels;
    std::optional<RightPanel> expandedPanel;

    friend bool operator==(const RightPanelState&, const RightPanelState&) = default;
};

// What the user did to a panel.
enum class RightPanelAction {
    toggle,  // its toolbar button: open it, or close it (collapsing it when it was expanded)
    expand,  // its "Expand" button: expand it, or collapse it back into the column
    close,   // its "Close" button: close it, collapsing it when it was expanded
    open,    // a to-do was picked in the list: open it (Details); never expands, never closes
};

RightPanelState reduced(RightPanelState state, RightPanelAction action, RightPanel panel);

// The open panels in column order (Details above Status), however they were opened.
std::vector<RightPanel> columnPanels(const RightPanelState& state);

}  // namespace quillo
