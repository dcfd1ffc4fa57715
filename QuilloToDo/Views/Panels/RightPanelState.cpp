#include "QuilloToDo/Views/Panels/RightPanelState.h"

namespace quillo {

RightPanelState reduced(RightPanelState state, RightPanelAction action, RightPanel panel) {
    switch (action) {
    case RightPanelAction::toggle:
        if (state.activePanels.erase(panel) == 0) {
            state.activePanels.insert(panel);
        } else if (state.expandedPanel == panel) {
            state.expandedPanel.reset();
        }
        break;
    case RightPanelAction::expand:
        if (state.expandedPanel == panel) {
            state.expandedPanel.reset();
        } else {
            state.expandedPanel = panel;
        }
        break;
    case RightPanelAction::close:
        state.activePanels.erase(panel);
        if (state.expandedPanel == panel) state.expandedPanel.reset();
        break;
    case RightPanelAction::open: state.activePanels.insert(panel); break;
    }
    return state;
}

std::vector<RightPanel> columnPanels(const RightPanelState& state) {
    std::vector<RightPanel> panels;
    for (RightPanel panel : kAllRightPanels) {
        if (state.activePanels.contains(panel)) panels.push_back(panel);
    }
    return panels;
}

}  // namespace quillo
