#include "Platform/Updater/UpdateCheckResult.h"

namespace platform {

QString UpdateCheckResult::title() const {
    switch (outcome) {
    case Outcome::newerVersion: return QStringLiteral("A new version of QuilloToDo is available!");
    case Outcome::upToDate: return QStringLiteral("You’re up to date!");
    case Outcome::failed: break;
    }
    return QStringLiteral("Update Error!");
}

QString UpdateCheckResult::message() const {
    switch (outcome) {
    case Outcome::newerVersion: {
        QString text =
            QStringLiteral("QuilloToDo %1 is now available — you have %2.").arg(offeredVersion, runningVersion);
        if (!link.isEmpty()) text += QStringLiteral("\n\n") + link.toString();
        return text;
    }
    case Outcome::upToDate:
        return QStringLiteral("QuilloToDo %1 is currently the newest version available.").arg(runningVersion);
    case Outcome::failed: break;
    }
    return QStringLiteral("Checking for updates failed: %1").arg(reason);
}

}  // namespace platform
