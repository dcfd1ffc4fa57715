#include "QuilloToDo/Services/FeedbackDiagnostics.h"

#include "QuilloToDo/Services/LocaleDateText.h"

#include <QStringList>

namespace quillo {

QString diagnosticsText(const FeedbackDiagnostics& d, const QDateTime& now, const QString& appVersion,
                        const QString& osVersion) {
    QStringList lines{
        QStringLiteral("=== QuilloToDo Diagnostics ==="),
        QStringLiteral("Date: ") + LocaleDateText::abbreviatedDateShortenedTime(now),
        QStringLiteral("App version: ") + appVersion,
        QStringLiteral("System: ") + osVersion,
        QString(),
        QStringLiteral("Libraries: %1").arg(d.libraries.size()),
    };
    for (const auto& library : d.libraries) {
        const QString state =
            library.isLoaded ? QStringLiteral("loaded") : library.errorMessage.value_or(QStringLiteral("pending"));
        lines << QStringLiteral("  - ") + library.name + QStringLiteral(": ") + state;
    }
    lines << QStringLiteral("Markers indexed: %1").arg(d.markersIndexed);
    lines << QStringLiteral("Events/Timelines: %1 / %2").arg(d.eventCount).arg(d.timelineCount);
    lines << QStringLiteral("Scan running: ") + (d.isRefreshing ? QStringLiteral("yes") : QStringLiteral("no"));
    if (d.lastRefreshDate) lines << QStringLiteral("Last scan: ") + LocaleDateText::standardTime(*d.lastRefreshDate);
    if (d.lastRefreshError) lines << QStringLiteral("Last scan error: ") + *d.lastRefreshError;
    lines << QStringLiteral("FCP extension connected: %1").arg(d.connectedExtensionCount);
    lines << QStringLiteral("PostLab watch: ") +
                 (d.isPostlabPolling ? QStringLiteral("active (%1 names)").arg(d.postlabWatchedNameCount)
                                     : QStringLiteral("off"));
    return lines.join(QChar(u'\n'));
}

}  // namespace quillo
