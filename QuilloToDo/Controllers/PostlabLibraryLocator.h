#pragma once

#include "Platform/Automation/Lsof.h"

#include <QFuture>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>

namespace quillo {

// A watched library found open in Final Cut Pro: its bundle name and where the bundle is.
struct LocatedLibrary {
    QString name;
    QUrl url;

    friend bool operator==(const LocatedLibrary&, const LocatedLibrary&) = default;
};

// Finds where Final Cut Pro has the watched libraries open (for a library shared through PostLab, a
// bundle of the same name at another path) by asking lsof which files it holds, and reports each to
// `onLocated`. lsof runs off the main thread; the reports arrive on it. Main thread only.
class PostlabLibraryLocator : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isPolling READ isPolling NOTIFY isPollingChanged)
    Q_PROPERTY(QSet<QString> watchedNames READ watchedNames WRITE setWatchedNames NOTIFY watchedNamesChanged)

public:
    using Callback = std::function<void(const QString& name, const QUrl& url)>;

    // `searchTimeout` bounds each lsof run; a run that takes longer finds nothing.
    explicit PostlabLibraryLocator(QObject* parent = nullptr,
                                   std::chrono::milliseconds searchTimeout = platform::Lsof::kDefaultTimeout);

    // Whether a poll loop runs. Only a new start ends one.
    bool isPolling() const noexcept { return isPolling_; }
    // Starts a new poll loop, ending the running one: searches at once, then again `intervalSeconds`
    // after each search has ended, each time with the watched names of that moment (none: no search).
    // A search under way when its loop ends still reports what it finds.
    void startPolling(double intervalSeconds);

    // The bundle names (without extension) to look for; notifies only on a change.
    const QSet<QString>& watchedNames() const noexcept { return watchedNames_; }
    void setWatchedNames(const QSet<QString>& names);

    // Called on the main thread once per located library; replacing it takes effect at the next report.
    const Callback& onLocated() const noexcept { return onLocated_; }
    void setOnLocated(Callback callback);

    // One search with the current watched names, reported to `onLocated` in its order before the
    // future finishes. Without watched names nothing runs and the future is finished at once.
    QFuture<void> locateOnce();

    // The libraries of `names` that Final Cut Pro has open, at most one per name (the first lsof
    // lists), in lsof's order. Every failure (no lsof, a run past `timeout`, output that is not
    // UTF-8) gives an empty list. Blocks until lsof has finished: never call it on the main thread.
    static QList<LocatedLibrary> findOpenLibraries(const QSet<QString>& names,
                                                   std::chrono::milliseconds timeout = platform::Lsof::kDefaultTimeout);

signals:
    void isPollingChanged();
    void watchedNamesChanged();
    void onLocatedChanged();

private:
    QFuture<void> search();
    void poll(quint64 loop);
    void report(const QList<LocatedLibrary>& located) const;

    std::chrono::milliseconds searchTimeout_;
    bool isPolling_ = false;
    quint64 currentLoop_ = 0;
    std::chrono::milliseconds interval_{0};
    QSet<QString> watchedNames_;
    Callback onLocated_;
};

}  // namespace quillo
