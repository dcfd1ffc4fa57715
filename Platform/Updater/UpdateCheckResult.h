#pragma once

#include <QMetaType>
#include <QString>
#include <QUrl>

namespace platform {

// What one check of the update feed found, and how the user is told.
struct UpdateCheckResult {
    enum class Outcome { newerVersion, upToDate, failed };

    Outcome outcome = Outcome::failed;
    QString runningVersion;
    QString offeredVersion;  // the feed's newest version; empty when the check failed
    QUrl link;               // where to get it (newerVersion only; may be empty)
    QString reason;          // why the check failed (failed only)

    // The dialog's headline and its explanation, plain text.
    QString title() const;
    QString message() const;
};

}  // namespace platform

Q_DECLARE_METATYPE(platform::UpdateCheckResult)
