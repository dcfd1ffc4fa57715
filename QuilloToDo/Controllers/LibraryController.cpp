#include "QuilloToDo/Controllers/LibraryController.h"

#include "QuilloToDo/Controllers/StoredValues.h"
#include "Platform/Automation/LibraryBundlePath.h"
#include "Platform/Bookmark/Bookmark.h"
#include "Platform/QtBridge/QtText.h"

#include <QSettings>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace quillo {

namespace {

// The key of a bundle's bookmark: its path without a trailing slash.
QString storedKey(const QUrl& url) { return platform::LibraryBundlePath::withoutTrailingSlashes(url.toLocalFile()); }

struct Detection {
    QList<QUrl> libraries;
    std::optional<QString> error;
};

}  // namespace

LibraryController::LibraryController(QSettings& settings, platform::FinalCutProAutomation automation, QObject* parent)
    : QObject(parent), settings_(settings), automation_(std::move(automation)) {
    restoreBookmarkedLibraries();
}

void LibraryController::addLibrary(const QUrl& url) {
    if (watch(url)) settings_.setValue(QLatin1String(kLastAddedKey), storedKey(url));
}

QString LibraryController::lastAddedLibraryPath() const {
    return settings_.value(QLatin1String(kLastAddedKey)).toString();
}

bool LibraryController::watch(const QUrl& url) {
    if (!url.isLocalFile() || !platform::LibraryBundlePath::isBundle(url.toLocalFile())) return false;
    if (libraryWithURL(url)) return false;
    auto* library = new WatchedLibrary(url, this);
    libraries_.append(library);
    emit watchedLibrariesChanged();
    if (saveBookmark(url)) storedKeys_[library].insert(storedKey(url));
    return true;
}

void LibraryController::removeLibrary(qsizetype index) {
    if (index < 0 || index >= libraries_.size()) return;
    WatchedLibrary* library = libraries_[index];
    QSet<QString> keys = storedKeys_.take(library);
    keys.insert(storedKey(library->url()));
    auto bookmarks = storedBookmarks();
    for (const auto& key : keys) bookmarks.remove(key);
    storeBookmarks(bookmarks);
    libraries_.removeAt(index);
    emit watchedLibrariesChanged();
    library->deleteLater();  // views may still hold it until they have heard of the change
}

void LibraryController::markLoaded(const QUrl& url, const std::optional<QString>& error) {
    WatchedLibrary* library = libraryWithURL(url);
    if (!library) return;
    library->setLoaded(!error);
    library->setErrorMessage(error);
}

void LibraryController::updateLiveURL(const QString& name, const QUrl& url) {
    const auto first = std::find_if(libraries_.cbegin(), libraries_.cend(),
                                    [&](const WatchedLibrary* library) { return library->name() == name; });
    if (first == libraries_.cend()) return;
    // Another library of that name watched at that path is the one open there: moving this one onto
    // it would scan one bundle twice and show each of its to-dos twice.
    const QString path = storedKey(url);
    for (const auto* library : libraries_) {
        if (library != *first && storedKey(library->url()) == path) return;
    }
    (*first)->setURL(url);
}

std::vector<ScannedLibrarySource> LibraryController::librarySources() const {
    std::vector<ScannedLibrarySource> sources;
    sources.reserve(static_cast<std::size_t>(libraries_.size()));
    for (const auto* library : libraries_) {
        sources.push_back({platform::toPath(library->url().toLocalFile()), platform::toStdString(library->name()),
                           library->id().uuidString()});
    }
    return sources;
}

QFuture<QList<QUrl>> LibraryController::detectOpenFCPLibraries() {
    const quint64 detection = ++newestDetection_;
    setLastLibraryDetectionError(std::nullopt);
    return QtConcurrent::run([automation = automation_]() -> Detection {
               try {
                   QList<QUrl> urls;
                   for (const auto& path : automation.openLibraries()) urls.append(QUrl::fromLocalFile(path));
                   return {urls, std::nullopt};
               } catch (const platform::FinalCutProAutomationError& error) {
                   return {{}, QString::fromUtf8(error.what())};
               }
           })
        .then(this, [this, detection](const Detection& result) {
            if (detection == newestDetection_ && result.error) setLastLibraryDetectionError(result.error);
            return result.libraries;
        });
}

void LibraryController::restoreBookmarkedLibraries() {
    const auto bookmarks = storedBookmarks();
    for (auto entry = bookmarks.begin(); entry != bookmarks.end(); ++entry) {
        const auto resolved = platform::Bookmark::resolve(entry.value());
        if (!resolved || !platform::Bookmark::startAccessing(resolved->path)) continue;
        const QUrl url = QUrl::fromLocalFile(resolved->path);
        watch(url);
        WatchedLibrary* library = libraryWithURL(url);
        if (!library || entry.key() == storedKey(url)) continue;
        // The bundle is stored under its new path now; the old entry would bring it back after a
        // removal.
        if (storedKeys_.value(library).contains(storedKey(url))) {
            auto current = storedBookmarks();
            current.remove(entry.key());
            storeBookmarks(current);
        }
    }
}

WatchedLibrary* LibraryController::libraryWithURL(const QUrl& url) const {
    for (auto* library : libraries_) {
        if (library->url() == url) return library;
    }
    return nullptr;
}

QMap<QString, QByteArray> LibraryController::storedBookmarks() const {
    return StoredValues::readDataMap(settings_, kBookmarksKey).value_or(QMap<QString, QByteArray>{});
}

void LibraryController::storeBookmarks(const QMap<QString, QByteArray>& bookmarks) {
    StoredValues::writeDataMap(settings_, kBookmarksKey, bookmarks);
}

bool LibraryController::saveBookmark(const QUrl& url) {
    const auto data = platform::Bookmark::create(url.toLocalFile());
    if (!data) return false;
    auto bookmarks = storedBookmarks();
    bookmarks.insert(storedKey(url), *data);
    storeBookmarks(bookmarks);
    return true;
}

void LibraryController::setLastLibraryDetectionError(const std::optional<QString>& error) {
    if (error == lastLibraryDetectionError_) return;
    lastLibraryDetectionError_ = error;
    emit lastLibraryDetectionErrorChanged();
}

}  // namespace quillo
