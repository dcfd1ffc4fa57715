#pragma once

namespace platform {

// Whether the reminder store may be used, with the platform's numbering: the store grants full
// access when its root folder exists and is writable, denies it when the folder exists but cannot
// be written, and has not been asked when the folder does not exist yet.
enum class ReminderAuthorizationStatus { notDetermined = 0, restricted = 1, denied = 2, fullAccess = 3, writeOnly = 4 };

}  // namespace platform
