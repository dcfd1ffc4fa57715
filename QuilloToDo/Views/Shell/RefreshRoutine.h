#pragma once

#include "QuilloToDoKit/QuilloToDoScan/ScannedLibrarySource.h"

#include <QFuture>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>

#include <vector>

namespace quillo {

class IndexController;
class LibraryController;
class PostlabLibraryLocator;
class TodoIPCServer;

// The one place where the library locator is fed, the index rebuilt, the watched libraries marked
// loaded and the result handed to the extension. Runs on the main thread; the library search and
// the scans run elsewhere and are awaited.
class RefreshRoutine : public QObject {
    Q_OBJECT
public:
    RefreshRoutine(LibraryController& libraries, IndexController& index, PostlabLibraryLocator& locator,
                   TodoIPCServer& ipcServer, QObject* parent = nullptr);

    // Refreshes now, and again whenever the ordered list of the watched libraries' URLs changes
    // (a library added or removed, or followed to where Final Cut Pro has it open), unless a search
    // for the same names is under way: the refresh it belongs to reads the libraries after it. Later
    // calls only refresh.
    void start();

    // In order: the watched names to the locator; one search whose hits reach its callback; the
    // library sources read after it, and the index rebuilt from them; every watched library marked
    // loaded; all items of the index, unfiltered, published to the extension. The index is rebuilt
    // from the sources of before the search while it runs, and that rebuild is kept (and publishes)
    // when the search moved nothing and no other rebuild began meanwhile. Refreshes may overlap;
    // only the one that searched last marks and publishes, and only once the newest rebuild has
    // ended, so a library removed meanwhile never comes back. The future finishes when this refresh
    // has ended; it never fails.
    QFuture<void> refreshAndMarkLoaded();

    // While the open-library search of a refresh runs (lsof, before the scan).
    bool isSearching() const { return runningSearches_ > 0; }

signals:
    // A refresh began (step 1).
    void started();
    void isSearchingChanged(bool searching);
    // A refresh handed its items to the extension's server, which sends them once encoded.
    void published();

private:
    QList<QUrl> watchedURLs() const;
    QSet<QString> watchedNames() const;
    void followEachURL();
    void refreshIfURLsChanged();
    void markLoadedAndPublish();

    LibraryController& libraries_;
    IndexController& index_;
    PostlabLibraryLocator& locator_;
    TodoIPCServer& ipcServer_;
    bool isStarted_ = false;
    QList<QUrl> lastURLs_;
    QList<QMetaObject::Connection> urlConnections_;
    struct IndexRebuild {
        quint64 rebuild;
        std::vector<ScannedLibrarySource> sources;
        QFuture<void> rebuilt;
    };

    // Which refresh ended its search last, and how many rebuilds of the index were begun: a refresh
    // marks and publishes only when it is the former and its rebuild is the newest.
    quint64 newestRefresh_ = 0;
    quint64 indexRebuilds_ = 0;
    int runningSearches_ = 0;
};

}  // namespace quillo
