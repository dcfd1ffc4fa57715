#include "QuilloToDo/Controllers/PostlabLibraryLocator.h"

#include "Platform/Automation/LibraryBundlePath.h"
#include "Platform/Automation/OpenLibraryBundles.h"

#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>
#include <limits>

namespace quillo {

namespace {

// Seconds to a timer interval: fractions kept, anything negative or not a number is no wait, and
// the longest wait is what a timer can take.
std::chrono::milliseconds intervalFrom(double seconds) {
    if (!(seconds > 0)) return std::chrono::milliseconds(0);
    const double milliseconds = std::ceil(seconds * 1000.0);
    constexpr double longest = std::numeric_limits<int>::max();
    return std::chrono::milliseconds(milliseconds >= longest ? std::numeric_limits<int>::max()
                                                             : static_cast<std::int64_t>(milliseconds));
}

}  // namespace

PostlabLibraryLocator::PostlabLibraryLocator(QObject* parent, std::chrono::milliseconds searchTimeout)
    : QObject(parent), searchTimeout_(searchTimeout) {}

void PostlabLibraryLocator::startPolling(double intervalSeconds) {
    const quint64 loop = ++currentLoop_;  // the running loop sees it is no longer current and ends
    interval_ = intervalFrom(intervalSeconds);
    if (!isPolling_) {
        isPolling_ = true;
        emit isPollingChanged();
    }
    poll(loop);
}

void PostlabLibraryLocator::setWatchedNames(const QSet<QString>& names) {
    if (names == watchedNames_) return;
    watchedNames_ = names;
    emit watchedNamesChanged();
}

void PostlabLibraryLocator::setOnLocated(Callback callback) {
    onLocated_ = std::move(callback);
    emit onLocatedChanged();
}

QFuture<void> PostlabLibraryLocator::locateOnce() {
    if (watchedNames_.isEmpty()) return QtFuture::makeReadyFuture();
    return search();
}

QList<LocatedLibrary> PostlabLibraryLocator::findOpenLibraries(const QSet<QString>& names,
                                                               std::chrono::milliseconds timeout) {
    namespace OpenLibraryBundles = platform::OpenLibraryBundles;
    std::optional<QStringList> bundles;
    try {
        bundles = OpenLibraryBundles::inLsofOutput(
            OpenLibraryBundles::listOpenFiles(QString::fromUtf8(OpenLibraryBundles::kFinalCutProProcessName), timeout));
    } catch (const platform::LsofError&) {
        return {};
    }
    QList<LocatedLibrary> located;
    QSet<QString> found;
    for (const auto& bundle : bundles.value_or(QStringList{})) {
        const QString name = platform::LibraryBundlePath::name(bundle);
        if (!names.contains(name) || found.contains(name)) continue;
        found.insert(name);
        located.append({name, QUrl::fromLocalFile(bundle)});
    }
    return located;
}

QFuture<void> PostlabLibraryLocator::search() {
    return QtConcurrent::run(&PostlabLibraryLocator::findOpenLibraries, watchedNames_, searchTimeout_)
        .then(this, [this](const QList<LocatedLibrary>& located) { report(located); });
}

void PostlabLibraryLocator::poll(quint64 loop) {
    if (loop != currentLoop_) return;
    const auto next = [this, loop] {
        if (loop != currentLoop_) return;
        QTimer::singleShot(interval_, Qt::PreciseTimer, this, [this, loop] { poll(loop); });
    };
    if (watchedNames_.isEmpty()) {
        next();
        return;
    }
    search().then(this, next);
}

void PostlabLibraryLocator::report(const QList<LocatedLibrary>& located) const {
    for (const auto& library : located) {
        // Read anew for every report, and called through a copy: a callback may replace itself.
        if (const Callback callback = onLocated_) callback(library.name, library.url);
    }
}

}  // namespace quillo
