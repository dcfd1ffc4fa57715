#pragma once

#include "QuilloToDo/Controllers/RoleFilterOption.h"
#include "QuilloToDoKit/QuilloToDoModel/MarkerFilter.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include <QObject>

#include <string>
#include <unordered_set>
#include <vector>

class QSettings;

namespace quillo {

// Timeline identifiers in canonical (NFC) form, so that canonically equivalent spellings are one.
using TimelineIDSet = std::unordered_set<std::string>;
// Items shown from a list the caller keeps alive: pointers into it, in its order.
using ShownItems = std::vector<const TodoItem*>;

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

    // The items the filter matches on timelines that are not excluded, in their order. The pointers
    // stay valid as long as `items` is neither changed nor destroyed.
    ShownItems filteredItems(const std::vector<TodoItem>& items) const;

    std::vector<RoleFilterOption> availableRoles(const std::vector<TodoItem>& items) const {
        return roleFilterOptions(items);
    }

signals:
    void filterChanged();
    void excludedTimelineIDsChanged();

private:
    bool isExcluded(const std::string& timelineID) const;
    void storeExcludedTimelines();

    QSettings& settings_;
    MarkerFilter filter_;
    TimelineIDSet excludedTimelineIDs_;
};

}  // namespace quillo
