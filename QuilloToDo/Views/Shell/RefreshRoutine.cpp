#include "QuilloToDo/Views/Shell/RefreshRoutine.h"

#include "QuilloToDo/Controllers/IndexController.h"
#include "QuilloToDo/Controllers/LibraryController.h"
#include "QuilloToDo/Controllers/PostlabLibraryLocator.h"
#include "QuilloToDo/IPC/TodoIPCServer.h"

#include <QSet>

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

void RefreshRoutine::refreshIfURLsChanged() {
    auto urls = watchedURLs();
    if (urls == lastURLs_) return;
    lastURLs_ = std::move(urls);
    refreshAndMarkLoaded();
}

QFuture<void> RefreshRoutine::refreshAndMarkLoaded() {
    emit started();
    QSet<QString> names;
    for (const auto* library : libraries_.watchedLibraries()) names.insert(library->name());
    locator_.setWatchedNames(names);

    if (++runningSearches_ == 1) emit isSearchingChanged(true);
    // Without watched names the search is skipped and the future is ready at once.
    return locator_.locateOnce()
        .then(this,
              [this] {
                  if (--runningSearches_ == 0) emit isSearchingChanged(false);
                  // Read after the search: a library it moved is scanned at its new path.
                  const quint64 refresh = ++newestIndexRefresh_;
                  return index_.refresh(libraries_.librarySources()).then(this, [this, refresh] {
                      if (refresh == newestIndexRefresh_) markLoadedAndPublish();
                  });
              })
        .unwrap();
}

void RefreshRoutine::markLoadedAndPublish() {
    const auto watched = libraries_.watchedLibraries();
    for (const auto* library : watched) libraries_.markLoaded(library->url(), std::nullopt);
    ipcServer_.publish(index_.items());
    emit published();
}

}  // namespace quillo
