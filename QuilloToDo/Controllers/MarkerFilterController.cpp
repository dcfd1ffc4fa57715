#include "QuilloToDo/Controllers/MarkerFilterController.h"

#include "QuilloToDo/Controllers/StoredValues.h"
#include "Platform/Foundation/UnicodeText.h"
#include "Platform/QtBridge/QtText.h"

#include <QSettings>

#include <algorithm>

namespace quillo {

namespace {

bool isASCII(std::string_view text) noexcept {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

TimelineIDSet storedExcludedTimelines(const QSettings& settings) {
    TimelineIDSet ids;
    for (const auto& id :
         StoredValues::readTextList(settings, MarkerFilterController::kExcludedTimelinesKey).value_or(QStringList{})) {
        ids.insert(platform::canonicalForm(platform::toStdString(id)));
    }
    return ids;
}

}  // namespace

MarkerFilterController::MarkerFilterController(QSettings& settings, QObject* parent)
    : QObject(parent),
      settings_(settings),
      filter_({}, {}, {}, {}),
      excludedTimelineIDs_(storedExcludedTimelines(settings)) {}

void MarkerFilterController::setFilter(const MarkerFilter& filter) {
    if (filter == filter_) return;
    filter_ = filter;
    emit filterChanged();
}

void MarkerFilterController::setTimelines(const std::vector<std::string>& timelineIDs, bool included) {
    for (const auto& id : timelineIDs) {
        auto canonical = platform::canonicalForm(id);
        if (included) {
            excludedTimelineIDs_.erase(canonical);
        } else {
            excludedTimelineIDs_.insert(std::move(canonical));
        }
    }
    storeExcludedTimelines();
    emit excludedTimelineIDsChanged();
}

bool MarkerFilterController::isExcluded(const std::string& timelineID) const {
    if (excludedTimelineIDs_.empty()) return false;
    // ASCII text is its own canonical form: no copy for the usual identifiers.
    return isASCII(timelineID) ? excludedTimelineIDs_.contains(timelineID)
                               : excludedTimelineIDs_.contains(platform::canonicalForm(timelineID));
}

ShownItems MarkerFilterController::filteredItems(const std::vector<TodoItem>& items) const {
    ShownItems shown;
    shown.reserve(items.size());
    for (const auto& item : items) {
        // The set lookup first: an excluded item never costs a text search.
        if (!isExcluded(item.timelineID) && filter_.matches(item)) shown.push_back(&item);
    }
    return shown;
}

void MarkerFilterController::storeExcludedTimelines() {
    QStringList ids;
    ids.reserve(static_cast<qsizetype>(excludedTimelineIDs_.size()));
    for (const auto& id : excludedTimelineIDs_) ids.append(platform::toQString(std::string_view(id)));
    StoredValues::writeTextList(settings_, kExcludedTimelinesKey, ids);
}

}  // namespace quillo
