#include "QuilloToDo/Views/Panels/RightPanel.h"

namespace quillo {

std::string_view rawValue(RightPanel panel) noexcept {
    switch (panel) {
    case RightPanel::details: return "details";
    case RightPanel::status: return "status";
    }
    return {};
}

std::optional<RightPanel> rightPanelFromRawValue(std::string_view raw) noexcept {
    for (RightPanel panel : kAllRightPanels) {
        if (rawValue(panel) == raw) return panel;
    }
    return std::nullopt;
}

std::string_view title(RightPanel panel) noexcept {
    switch (panel) {
    case RightPanel::details: return "Details";
    case RightPanel::status: return "Status";
    }
    return {};
}

std::string_view symbolName(RightPanel panel) noexcept {
    switch (panel) {
    case RightPanel::details: return "doc.text.magnifyingglass";
    case RightPanel::status: return "waveform.path.ecg";
    }
    return {};
}

}  // namespace quillo
