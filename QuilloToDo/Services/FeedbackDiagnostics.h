#pragma once

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace quillo {

// The application's state as the diagnostics text of a feedback reports it; read from the
// controllers on the main thread (FeedbackService::sammeleDiagnose).
struct FeedbackDiagnostics {
    struct Library {
        QString name;
        bool isLoaded = false;
        std::optional<QString> errorMessage;
    };

    std::vector<Library> libraries;
    int markersIndexed = 0;
    int eventCount = 0;
    int timelineCount = 0;
    bool isRefreshing = false;
    std::optional<QDateTime> lastRefreshDate;
    std::optional<QString> lastRefreshError;
    int connectedExtensionCount = 0;
    bool isPostlabPolling = false;
    int postlabWatchedNameCount = 0;
};

// The diagnostics text, lines joined by line feeds with none at the end: a title, the date `now`,
// the versions, then the libraries and their state, the index, the extension and the PostLab watch.
QString diagnosticsText(const FeedbackDiagnostics& diagnostics, const QDateTime& now, const QString& appVersion,
                        const QString& osVersion);

}  // namespace quillo
