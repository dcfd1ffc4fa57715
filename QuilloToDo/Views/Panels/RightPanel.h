#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace quillo {

// The floating panels beside the to-do list, in the order the panel column shows them.
enum class RightPanel { details, status };

inline constexpr auto kAllRightPanels = std::to_array<RightPanel>({RightPanel::details, RightPanel::status});

std::string_view rawValue(RightPanel panel) noexcept;
std::optional<RightPanel> rightPanelFromRawValue(std::string_view raw) noexcept;
// The panel's frame title, also its toolbar button's help text: "Details", "Status".
std::string_view title(RightPanel panel) noexcept;
// The symbol of the panel's frame and of its toolbar button.
std::string_view symbolName(RightPanel panel) noexcept;

}  // namespace quillo
