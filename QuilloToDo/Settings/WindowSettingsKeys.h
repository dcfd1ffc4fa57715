#pragma once

#include <QLatin1String>

// The user-defaults keys of the window, shared by the application object, the main window, the
// sidebar and the settings window. Their defaults are in WindowSettings.
namespace quillo::WindowSettingsKey {

inline constexpr QLatin1String kWindowGlassDarkness{"windowGlassDarkness"};
inline constexpr QLatin1String kBaseColorHex{"quilloBaseColorHex"};
inline constexpr QLatin1String kSidebarColorHex{"quilloSidebarColorHex"};
inline constexpr QLatin1String kSidebarDarknessDelta{"quilloSidebarDarknessDelta"};
inline constexpr QLatin1String kAppearancePresetID{"quilloAppearancePresetID"};
inline constexpr QLatin1String kListGrouping{"QuilloToDo.ListGrouping"};
inline constexpr QLatin1String kExpandedEvents{"QuilloToDo.ExpandedEvents"};

}  // namespace quillo::WindowSettingsKey
