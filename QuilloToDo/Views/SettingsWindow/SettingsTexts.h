#pragma once

#include "Platform/Reminders/ReminderAuthorizationStatus.h"

#include <QString>

// The settings window's texts that depend on a value.
namespace quillo::SettingsTexts {

// The transparency slider's value as shown beside it: value × 100 with the fraction dropped, then
// "%" (0.35 → "35%"). A value that is not finite shows "0%".
QString transparencyPercent(double glassDarkness);

// "Not requested yet", "Access denied (folder not writable)", "Access granted", "Write-only access";
// anything else "Unknown". Why the folder refused, when known, is the export service's to tell.
QString remindersAccess(platform::ReminderAuthorizationStatus status);

// The captions that name a keyboard shortcut, with the platform's key names, and where the command
// is: no window has a menu bar here, so they point at the main window's context menu.
QString remindersCaption();
QString feedbackCaption();

// The legal section's notice of the open-source components the program links.
QString openSourceNotice();

}  // namespace quillo::SettingsTexts
