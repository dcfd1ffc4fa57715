#pragma once

#include "QuilloToDo/Controllers/FilteredItems.h"
#include "QuilloToDo/Controllers/RoleFilterOption.h"
#include "QuilloToDoKit/QuilloToDoModel/MarkerFilter.h"
#include "QuilloToDoKit/QuilloToDoModel/MarkerSearchTexts.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include <QFuture>
#include <QObject>

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

class QSettings;

namespace quillo {

// Timeline identifiers in canonical (NFC) form, so that canonically equivalent spellings are one.
using TimelineIDSet = std::unordered_set<std::string>;

// What the user has chosen to see: the current filter (in memory only) and the timelines switched
// off in the sidebar (kept in the user defaults). Main thread only.
class MarkerFilterController : public QObject {
    Q_OBJECT
    Q_PROPERTY(quillo::MarkerFilter filter READ filter WRITE setFilter NOTIFY filterChanged)
    Q_PROPERTY(quillo::TimelineIDSet excludedTimelineIDs READ excludedTimelineIDs NOTIFY excludedTimelineIDsChanged)

public:
    static constexpr const char* kExcludedTimelinesKey = "QuilloToDo.ExcludedTimelineIDs";

    // Starts with the empty filter and the stored excluded timelines (none when the stored value is
    // missing or not a list of texts).
    explicit MarkerFilterController(QSettings& settings, QObject* parent = nullptr);

    const MarkerFilter& filter() const noexcept { return filter_; }
    // Notifies only when the filter changes.
    void setFilter(const MarkerFilter& filter);

    const TimelineIDSet& excludedTimelineIDs() const noexcept { return excludedTimelineIDs_; }
    // Adds the identifiers to the excluded set (`included` false) or removes them from it, then
    // stores the whole set. Notifies once per call, also when nothing changed.
    void setTimelines(const std::vector<std::string>& timelineIDs, bool included);

    // One pass of the filter over `items` (the index's list, held by whoever keeps it): the items it
    // matches on timelines that are not excluded, in their order, and every timeline's count of
    // matched items. Remembered until the filter, the excluded timelines or the list change, so that
    // the to-do list and the sidebar share one pass; the pointers stay valid while `items` lives.
    //
    // The first pass over a list starts folding its searched texts on a worker thread; once they are
    // folded, a search text costs one byte search of them instead of a text search per item.
    std::shared_ptr<const FilteredItems> filteredItems(const std::shared_ptr<const std::vector<TodoItem>>& items) const;
    // Finishes once the searched texts of the list last filtered are folded.
    QFuture<void> searchTextsFolded() const { return QFuture<void>(preparing_); }

    std::vector<RoleFilterOption> availableRoles(const std::vector<TodoItem>& items) const {
        return roleFilterOptions(items);
    }

signals:
    void filterChanged();
    void excludedTimelineIDsChanged();

private:
    using ItemList = std::vector<TodoItem>;
    struct PreparedList;

    bool isExcluded(const std::string& timelineID) const;
    void storeExcludedTimelines();
    // What passes over `items` use once it is ready, else nullptr; starts preparing a new list.
    const PreparedList* prepared(const std::shared_ptr<const ItemList>& items) const;
    void passOverPrepared(const ItemList& items, const PreparedList& prepared, FilteredItems& filtered) const;
    void passOverItems(const ItemList& items, FilteredItems& filtered) const;

    QSettings& settings_;
    MarkerFilter filter_;
    TimelineIDSet excludedTimelineIDs_;

    // Lists are told apart by identity, through weak pointers: a list that is still referred to here
    // cannot be replaced by another at its address, and is not kept alive.
    mutable std::weak_ptr<const ItemList> filteredList_;
    mutable std::shared_ptr<const FilteredItems> filtered_;  // of filteredList_, null once stale
    mutable std::weak_ptr<const ItemList> preparedList_;
    mutable QFuture<std::shared_ptr<const PreparedList>> preparing_;  // of preparedList_
};

}  // namespace quillo
