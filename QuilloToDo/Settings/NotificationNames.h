#pragma once

#include <QLatin1String>

// The names with which the menu commands ask the main window for a sheet (see AppNotifications).
namespace quillo::NotificationName {

inline constexpr QLatin1String kShowFeedbackSheet{"showFeedbackSheet"};
inline constexpr QLatin1String kShowRemindersExportSheet{"showRemindersExportSheet"};

}  // namespace quillo::NotificationName
