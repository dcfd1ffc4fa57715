#pragma once

#include <QLatin1String>

// The user-defaults keys of the window, shared by the application object, the main window, the
// sidebar and the settings window. Their defaults are in WindowSettings.
namespace quillo::WindowSettingsKey {

inline constexpr QLatin1String windowGlassDarkness{"windowGlassDarkness"};
inline constexpr QLatin1String baseColorHex{"quilloBaseColorHex"};
inline constexpr QLatin1String sidebarColorHex{"quilloSidebarColorHex"};
inline constexpr QLatin1String sidebarDarknessDelta{"quilloSidebarDarknessDelta"};
inline constexpr QLatin1String appearancePresetID{"quilloAppearancePresetID"};
inline constexpr QLatin1String listGrouping{"QuilloToDo.ListGrouping"};
inline constexpr QLatin1String expandedEvents{"QuilloToDo.ExpandedEvents"};

}  // namespace quillo::WindowSettingsKey
