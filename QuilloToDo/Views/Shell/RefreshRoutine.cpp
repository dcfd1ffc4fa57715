#include "QuilloToDo/Views/Shell/RefreshRoutine.h"

#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/LibraryController.h"
#include "QuilloToDo/Controllers/PostlabLibraryLocator.h"
#include "QuilloToDo/IPC/TodoIPCServer.h"

#include <QPromise>

#include <memory>
#include <optional>

namespace quillo {

RefreshRoutine::RefreshRoutine(LibraryController& libraries, IndexController& index, PostlabLibraryLocator& locator,
                               TodoIPCServer& ipcServer, QObject* parent)
    : QObject(parent), libraries_(libraries), index_(index), locator_(locator), ipcServer_(ipcServer) {}

void RefreshRoutine::start() {
    if (!isStarted_) {
        isStarted_ = true;
        connect(&libraries_, &LibraryController::watchedLibrariesChanged, this, [this] {
            followEachURL();
            refreshIfURLsChanged();
        });
        followEachURL();
        lastURLs_ = watchedURLs();
    }
    // The first refresh runs whatever the list holds, an empty one too: that clears the index and
    // the extension's list.
    refreshAndMarkLoaded();
}

QList<QUrl> RefreshRoutine::watchedURLs() const {
    QList<QUrl> urls;
    for (const auto* library : libraries_.watchedLibraries()) urls.append(library->url());
    return urls;
}

// The locator moves a library without changing the list, so each library's URL is followed too.
void RefreshRoutine::followEachURL() {
    for (const auto& connection : urlConnections_) disconnect(connection);
    urlConnections_.clear();
    for (auto* library : libraries_.watchedLibraries()) {
        urlConnections_.append(
            connect(library, &WatchedLibrary::urlChanged, this, &RefreshRoutine::refreshIfURLsChanged));
    }
}

QSet<QString> RefreshRoutine::watchedNames() const {
    QSet<QString> names;
    for (const auto* library : libraries_.watchedLibraries()) names.insert(library->name());
    return names;
}

void RefreshRoutine::refreshIfURLsChanged() {
    auto urls = watchedURLs();
    if (urls == lastURLs_) return;
    lastURLs_ = std::move(urls);
    // A search under way for the same names is followed by a rebuild from the sources of after it:
    // that rebuild takes in this change (a library the search itself moved, most often), which a
    // refresh of its own would only search and scan a second time.
    if (runningSearches_ > 0 && watchedNames() == locator_.watchedNames()) return;
    refreshAndMarkLoaded();
}

QFuture<void> RefreshRoutine::refreshAndMarkLoaded() {
    emit started();
    locator_.setWatchedNames(watchedNames());

    if (++runningSearches_ == 1) emit isSearchingChanged(true);
    // The libraries are read where they are now while the search runs, their items too: it seldom
    // moves one, and then this early scan is superseded before it publishes anything.
    auto searched = std::make_shared<QPromise<void>>();
    searched->start();
    std::optional<IndexRebuild> early;
    if (auto sources = libraries_.librarySources(); !sources.empty()) {
        QFuture<void> rebuilt = index_.refresh(sources, searched->future());
        early = IndexRebuild{++indexRebuilds_, std::move(sources), std::move(rebuilt)};
    }
    // Without watched names the search is skipped and the future is ready at once.
    return locator_.locateOnce()
        .then(this,
              [this, searched, early] {
                  if (--runningSearches_ == 0) emit isSearchingChanged(false);
                  // Read after the search: a library it moved is scanned at its new path. The early
                  // scan counts only while no other rebuild has begun since.
                  auto sources = libraries_.librarySources();
                  QFuture<void> rebuilt;
                  if (early && early->rebuild == indexRebuilds_ && early->sources == sources) {
                      rebuilt = early->rebuilt;
                  } else {
                      ++indexRebuilds_;
                      rebuilt = index_.refresh(std::move(sources));
                  }
                  searched->finish();  // the early scan publishes now, unless superseded just above
                  const quint64 refresh = ++newestRefresh_;
                  return rebuilt.then(this, [this, refresh, rebuild = indexRebuilds_] {
                      if (refresh == newestRefresh_ && rebuild == indexRebuilds_) markLoadedAndPublish();
                  });
              })
        .unwrap();
}

void RefreshRoutine::markLoadedAndPublish() {
    const auto watched = libraries_.watchedLibraries();
    for (const auto* library : watched) libraries_.markLoaded(library->url(), std::nullopt);
    ipcServer_.publish(index_.sharedItems());
    emit published();
}

}  // namespace quillo
