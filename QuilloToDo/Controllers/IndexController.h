#pragma once

#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"
#include "QuilloToDoKit/QuilloToDoScan/LibraryStructure.h"
#include "QuilloToDoKit/QuilloToDoScan/ScannedLibrarySource.h"
#include "QuilloToDoKit/QuilloToDoScan/TodoScanner.h"

#include <QDateTime>
#include <QFuture>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

namespace quillo {

using TodoItems = std::vector<TodoItem>;
using SidebarStructure = std::vector<SidebarLibrary>;

// The index the window shows: every to-do item of the watched libraries and the sidebar structure,
// rebuilt off the main thread on request. Main thread only; the scans run elsewhere and only their
// results are assigned here.
class IndexController : public QObject {
    Q_OBJECT
    Q_PROPERTY(quillo::TodoItems items READ items NOTIFY itemsChanged)
    Q_PROPERTY(quillo::SidebarStructure structure READ structure NOTIFY structureChanged)
    Q_PROPERTY(bool isRefreshing READ isRefreshing NOTIFY isRefreshingChanged)
    Q_PROPERTY(std::optional<QString> lastRefreshError READ lastRefreshError NOTIFY lastRefreshErrorChanged)
    Q_PROPERTY(std::optional<QDateTime> lastRefreshDate READ lastRefreshDate NOTIFY lastRefreshDateChanged)

public:
    explicit IndexController(QObject* parent = nullptr);
    ~IndexController() override;

    // In the scanner's order. Notifies only when a refresh brings a list that differs. Pointers into
    // a list stay valid until the itemsChanged that replaces it has returned: whoever keeps them
    // takes the new list there.
    const TodoItems& items() const noexcept { return *items_; }
    // The same list, shared with holders that read it off the main thread. Whoever lets go of it last
    // frees it, which takes milliseconds: not the main thread.
    std::shared_ptr<const TodoItems> sharedItems() const noexcept { return items_; }
    // Notifies at every refresh that reaches it, equal or not.
    const SidebarStructure& structure() const noexcept { return structure_; }
    // True while any refresh with libraries is under way (one held back is not, until let through).
    bool isRefreshing() const noexcept { return refreshesUnderWay_ > 0; }
    // A refresh cannot fail: this stays absent.
    const std::optional<QString>& lastRefreshError() const noexcept { return lastRefreshError_; }
    // When the newest refresh with libraries published its items.
    const std::optional<QDateTime>& lastRefreshDate() const noexcept { return lastRefreshDate_; }

    // Rebuilds the index from `libraries`: the structure first (published before the items), then
    // the items, then the date. With no libraries it only empties the items and the structure, at
    // once. Only the newest refresh publishes: one started earlier that ends later changes nothing,
    // so a removed library never comes back with a slow scan, and one overtaken before its items are
    // read reads none. The structure is read at once, but nothing is published before `publishAfter`
    // has finished: whoever starts a refresh ahead of knowing it is wanted supersedes it by then if
    // it is not. Such a held refresh reads its items at once as well; any other reads them once its
    // structure is published. The future finishes once the refresh has published (or been
    // superseded and let go of what it read); it never fails.
    QFuture<void> refresh(std::vector<ScannedLibrarySource> libraries,
                          QFuture<void> publishAfter = QtFuture::makeReadyFuture());

signals:
    void itemsChanged();
    void structureChanged();
    void isRefreshingChanged();
    void lastRefreshErrorChanged();
    void lastRefreshDateChanged();

private:
    struct ScanResult {
        // Qt's future chain copies a result and frees the copies on whichever thread lets go last,
        // often the main one: the lists travel in one box that the main thread empties, so that no
        // copy keeps a list alive.
        struct Lists {
            std::shared_ptr<const TodoItems> items;
            std::shared_ptr<const TodoItems> compared;  // the list current when the scan began
        };
        std::shared_ptr<Lists> lists;  // none when the items were not read
        bool equalsCompared = false;
    };

    // On the scan pool: nothing when `refresh` is no longer the newest once the scanner is free.
    QFuture<ScanResult> readItems(quint64 refresh, std::shared_ptr<const std::vector<ScannedLibrarySource>> sources);
    void publishItems(quint64 refresh, ScanResult result);
    void setItems(std::shared_ptr<const TodoItems> items);
    void setStructure(SidebarStructure structure);
    void startRefresh();
    void finishRefresh();
    void release(std::shared_ptr<const TodoItems> items);

    TodoScanner scanner_;  // on every core but one: the main thread keeps its own
    std::shared_ptr<const TodoItems> items_;
    SidebarStructure structure_;
    int refreshesUnderWay_ = 0;
    std::optional<QString> lastRefreshError_;
    std::optional<QDateTime> lastRefreshDate_;
    std::atomic<quint64> newestRefresh_ = 0;  // written on the main thread, read by the scans too
    // Scans run one at a time, like calls on an actor; declared last so that it is destroyed (and
    // waits for a running scan) before the scanner it uses.
    QThreadPool scanPool_;
};

}  // namespace quillo
