#include "QuilloToDo/Controllers/IndexController.h"

#include <QtConcurrent/QtConcurrentRun>

#include <utility>

namespace quillo {

IndexController::IndexController(QObject* parent) : QObject(parent), items_(std::make_shared<const TodoItems>()) {
    scanPool_.setMaxThreadCount(1);
}

IndexController::~IndexController() { scanPool_.waitForDone(); }

QFuture<void> IndexController::refresh(std::vector<ScannedLibrarySource> libraries, QFuture<void> publishAfter) {
    // Every refresh, the empty one too, supersedes the ones before it.
    const quint64 refresh = ++newestRefresh_;
    if (libraries.empty()) {
        setItems(std::make_shared<const TodoItems>());
        setStructure({});
        return QtFuture::makeReadyFuture();
    }
    // A refresh held back is not under way for its observers until it is let through.
    const bool held = !publishAfter.isFinished();
    if (!held) startRefresh();

    auto sources = std::make_shared<const std::vector<ScannedLibrarySource>>(std::move(libraries));
    // The structure is read at once, whether or not it may be published yet. A refresh held back
    // reads its items at once too, while its holder decides: it is seldom superseded.
    auto structureRead = QtConcurrent::run([sources] { return LibraryStructureScanner::structure(*sources); });
    QFuture<ScanResult> itemsRead = held ? readItems(refresh, sources) : QFuture<ScanResult>();
    // A gate that is cancelled lets the refresh through, so that each one started also finishes.
    return publishAfter.onCanceled([] {})
        .then(this,
              [this, held, structureRead] {
                  if (held) startRefresh();
                  return structureRead;
              })
        .unwrap()
        .then(this,
              [this, refresh, sources, itemsRead](SidebarStructure structure) {
                  if (refresh != newestRefresh_) {
                      // Overtaken before its items were read: reading them would only delay the
                      // newer scan. Items already being read are awaited, to be let go off this thread.
                      return itemsRead.isValid() ? itemsRead : QtFuture::makeReadyFuture(ScanResult{});
                  }
                  setStructure(std::move(structure));
                  return itemsRead.isValid() ? itemsRead : readItems(refresh, sources);
              })
        .unwrap()
        .then(this,
              [this, refresh](ScanResult result) {
                  if (result.lists) publishItems(refresh, std::move(result));
                  finishRefresh();
              })
        .onFailed(this, [this] { finishRefresh(); });
}

QFuture<IndexController::ScanResult> IndexController::readItems(
    quint64 refresh, std::shared_ptr<const std::vector<ScannedLibrarySource>> sources) {
    return QtConcurrent::run(&scanPool_, [this, refresh, sources = std::move(sources), previous = items_]() mutable {
        // Overtaken while it waited for the scanner.
        if (refresh != newestRefresh_) return ScanResult{};
        auto items = std::make_shared<const TodoItems>(scanner_.scan(*sources));
        // Compared here, not on the main thread: 80,000 items take a while.
        const bool equal = *items == *previous;
        auto lists = std::make_shared<ScanResult::Lists>(ScanResult::Lists{std::move(items), std::move(previous)});
        return ScanResult{std::move(lists), equal};
    });
}

void IndexController::publishItems(quint64 refresh, ScanResult result) {
    ScanResult::Lists lists = std::move(*result.lists);
    // The comparison made off the main thread holds only while the list it was made with is current.
    const bool unchanged = result.equalsCompared && lists.compared == items_;
    release(std::move(lists.compared));  // before items_ lets go of it: else it would be freed here
    if (refresh != newestRefresh_) {
        release(std::move(lists.items));
        return;
    }
    if (unchanged) {
        release(std::move(lists.items));
    } else {
        setItems(std::move(lists.items));
    }
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (lastRefreshDate_ != now) {
        lastRefreshDate_ = now;
        emit lastRefreshDateChanged();
    }
}

void IndexController::setItems(std::shared_ptr<const TodoItems> items) {
    if (items->empty() && items_->empty()) return;
    // A handler that runs before the views' still reads the old list through them: it goes once every
    // handler has taken the new one.
    std::shared_ptr<const TodoItems> replaced = std::exchange(items_, std::move(items));
    emit itemsChanged();
    release(std::move(replaced));
}

void IndexController::setStructure(SidebarStructure structure) {
    structure_ = std::move(structure);
    emit structureChanged();
}

void IndexController::startRefresh() {
    if (++refreshesUnderWay_ == 1) emit isRefreshingChanged();
}

void IndexController::finishRefresh() {
    if (--refreshesUnderWay_ == 0) emit isRefreshingChanged();
}

void IndexController::release(std::shared_ptr<const TodoItems> items) {
    // Freeing a large list takes milliseconds the main thread does not have. Whoever lets go last
    // frees it: a worker, unless another holder on the main thread outlives it.
    if (items && items->size() > 1000) {
        QThreadPool::globalInstance()->start([items = std::move(items)]() mutable { items.reset(); });
    }
}

}  // namespace quillo
