#pragma once

#include "QuilloToDo/Controllers/WatchedLibrary.h"
#include "QuilloToDoKit/QuilloToDoScan/ScannedLibrarySource.h"
#include "Platform/Automation/FinalCutProAutomation.h"

#include <QByteArray>
#include <QFuture>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

class QSettings;

namespace quillo {

// The library bundles the user watches, kept across launches as bookmarks in the user defaults: a
// map from each bundle's path to its bookmark under `kBookmarksKey`. Restores them when constructed.
// Never reads a library itself. Main thread only.
//
// URLs are compared whole: "/a/Cut.fcpbundle" and "/a/Cut.fcpbundle/" are two libraries.
class LibraryController : public QObject {
    Q_OBJECT
    Q_PROPERTY(QList<quillo::WatchedLibrary*> watchedLibraries READ watchedLibraries NOTIFY watchedLibrariesChanged)
    Q_PROPERTY(std::optional<QString> lastLibraryDetectionError READ lastLibraryDetectionError NOTIFY
                   lastLibraryDetectionErrorChanged)

public:
    static constexpr const char* kBookmarksKey = "QuilloToDo.WatchedLibraryBookmarks";
    // The path of the library added last (restoring adds none), kept when it is removed.
    static constexpr const char* kLastAddedKey = "QuilloToDo.LastAddedLibrary";

    // Restores the stored libraries in the order of their paths. An entry whose bookmark no longer
    // resolves, or whose bundle cannot be read, is skipped and kept.
    explicit LibraryController(QSettings& settings,
                               platform::FinalCutProAutomation automation = platform::FinalCutProAutomation(),
                               QObject* parent = nullptr);

    // In the order they were added; children of the controller.
    const QList<WatchedLibrary*>& watchedLibraries() const noexcept { return libraries_; }
    // The text of the last failed detection; cleared when a detection starts.
    const std::optional<QString>& lastLibraryDetectionError() const noexcept { return lastLibraryDetectionError_; }

    // Watches a bundle ("fcpbundle", letter case counting) that is not watched under this URL yet,
    // stores its bookmark and remembers it as the library added last. Anything else is ignored
    // without a message.
    void addLibrary(const QUrl& url);
    // The path of the library added last, in this launch or an earlier one; empty before any.
    QString lastAddedLibraryPath() const;
    // Removes the library at that position and every stored bookmark tied to it: the one under its
    // current path and the ones it was added or restored under, so it does not return at the next
    // launch. A position past the end does nothing.
    void removeLibrary(qsizetype index);
    // The first library with that URL is loaded without an error, or not loaded with one.
    void markLoaded(const QUrl& url, const std::optional<QString>& error);
    // Follows the first library of that name to where Final Cut Pro has it open, unless another
    // watched library is at that path already (its paths compared without trailing slashes). The
    // stored bookmarks stay: the next launch brings the library back where it was added.
    void updateLiveURL(const QString& name, const QUrl& url);

    // The watched libraries as the scanners take them; the bookmark id is the library's id.
    std::vector<ScannedLibrarySource> librarySources() const;

    // The libraries Final Cut Pro has open, asked off the main thread. A failure gives an empty list
    // and leaves its text in lastLibraryDetectionError (only the newest detection sets it). Adds
    // nothing: callers pass each URL to addLibrary().
    QFuture<QList<QUrl>> detectOpenFCPLibraries();

signals:
    void watchedLibrariesChanged();
    void lastLibraryDetectionErrorChanged();

private:
    void restoreBookmarkedLibraries();
    // addLibrary() without remembering the library as added last; true when it is watched now.
    bool watch(const QUrl& url);
    WatchedLibrary* libraryWithURL(const QUrl& url) const;
    QMap<QString, QByteArray> storedBookmarks() const;
    void storeBookmarks(const QMap<QString, QByteArray>& bookmarks);
    bool saveBookmark(const QUrl& url);
    void setLastLibraryDetectionError(const std::optional<QString>& error);

    QSettings& settings_;
    platform::FinalCutProAutomation automation_;
    QList<WatchedLibrary*> libraries_;
    // Every stored key that brings a library back; removing the library deletes them all.
    QHash<const WatchedLibrary*, QSet<QString>> storedKeys_;
    std::optional<QString> lastLibraryDetectionError_;
    quint64 newestDetection_ = 0;
};

}  // namespace quillo
