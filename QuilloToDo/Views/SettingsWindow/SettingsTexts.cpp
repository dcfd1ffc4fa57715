#include "QuilloToDo/Views/SettingsWindow/SettingsTexts.h"

#include "QuilloToDo/Views/Shared/MenuShortcuts.h"

#include <cmath>

namespace quillo::SettingsTexts {

QString transparencyPercent(double glassDarkness) {
    const double percent = glassDarkness * 100;
    // Out-of-range doubles have no integer value; a stored value is clamped by the slider anyway.
    if (!std::isfinite(percent) || std::abs(percent) > 1e9) return QStringLiteral("0%");
    return QString::number(static_cast<long long>(percent)) + u'%';
}

QString remindersAccess(platform::ReminderAuthorizationStatus status) {
    using Status = platform::ReminderAuthorizationStatus;
    switch (status) {
    case Status::notDetermined: return QStringLiteral("Not requested yet");
    case Status::restricted:
    case Status::denied: return QStringLiteral("Access denied (folder not writable)");
    case Status::fullAccess: return QStringLiteral("Access granted");
    case Status::writeOnly: return QStringLiteral("Write-only access");
    }
    return QStringLiteral("Unknown");
}

QString remindersCaption() {
    return QStringLiteral(
               "Optional export: the shown to-dos as a new Reminders list (main window's context menu, %1). "
               "Nothing happens automatically; changes made in Reminders don't flow back into Final Cut.")
        .arg(MenuShortcuts::exportReminders().toString(QKeySequence::NativeText));
}

QString feedbackCaption() {
    return QStringLiteral(
               "Goes straight to Jorv, including diagnostic info. Also available via %1 in the main "
               "window's context menu.")
        .arg(MenuShortcuts::sendFeedback().toString(QKeySequence::NativeText));
}

QString openSourceNotice() {
    return QStringLiteral(
        "Open-source components: Qt (LGPL-3.0, user interface), ICU (Unicode license, text comparison), "
        "SQLite (public domain, library databases), expat (MIT license, XML), nlohmann-json (MIT license, "
        "JSON), libical (MPL-2.0, reminders), Avahi (LGPL-2.1, extension discovery), OpenSSL (Apache-2.0, "
        "hashing).");
}

}  // namespace quillo::SettingsTexts
