#include "QuilloToDo/Controllers/MarkerFilterController.h"

#include "QuilloToDo/Controllers/StoredValues.h"
#include "Platform/Foundation/UnicodeText.h"
#include "Platform/QtBridge/QtText.h"

#include <QSettings>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string_view>
#include <utility>

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

template <class T>
bool sameList(const std::weak_ptr<T>& known, const std::shared_ptr<T>& list) {
    return !known.owner_before(list) && !list.owner_before(known);
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
    filtered_.reset();
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
    filtered_.reset();
    emit excludedTimelineIDsChanged();
}

bool MarkerFilterController::isExcluded(const std::string& timelineID) const {
    if (excludedTimelineIDs_.empty()) return false;
    // ASCII text is its own canonical form: no copy for the usual identifiers.
    return isASCII(timelineID) ? excludedTimelineIDs_.contains(timelineID)
                               : excludedTimelineIDs_.contains(platform::canonicalForm(timelineID));
}

// What every pass over one list needs besides the filter, made once per list on a worker thread:
// the folded searched texts, and the timeline of each item.
struct MarkerFilterController::PreparedList {
    struct Timeline {
        std::string libraryBookmarkID;
        std::string timelineID;
    };

    explicit PreparedList(const ItemList& items) : texts(items) {
        std::map<std::pair<std::string_view, std::string_view>, std::uint32_t> indexes;
        timelineOfItem.reserve(items.size());
        for (const TodoItem& item : items) {
            const auto [entry, isNew] = indexes.try_emplace({item.libraryBookmarkID, item.timelineID},
                                                            static_cast<std::uint32_t>(timelines.size()));
            if (isNew) timelines.push_back({item.libraryBookmarkID, item.timelineID});
            timelineOfItem.push_back(entry->second);
        }
    }

    MarkerSearchTexts texts;
    std::vector<std::uint32_t> timelineOfItem;  // indexes into timelines
    std::vector<Timeline> timelines;
};

std::shared_ptr<const FilteredItems> MarkerFilterController::filteredItems(
    const std::shared_ptr<const ItemList>& items) const {
    if (!items) return std::make_shared<const FilteredItems>();
    if (filtered_ && sameList(filteredList_, items)) return filtered_;
    auto filtered = std::make_shared<FilteredItems>();
    filtered->items.reserve(items->size());
    if (const PreparedList* ready = prepared(items)) {
        passOverPrepared(*items, *ready, *filtered);
    } else {
        passOverItems(*items, *filtered);
    }
    filteredList_ = items;
    filtered_ = std::move(filtered);
    return filtered_;
}

void MarkerFilterController::passOverPrepared(const ItemList& items, const PreparedList& prepared,
                                              FilteredItems& filtered) const {
    const std::vector<bool> matched = filter_.matchesEach(items, prepared.texts);
    std::vector<std::uint8_t> excluded(prepared.timelines.size());
    for (std::size_t t = 0; t < excluded.size(); ++t) excluded[t] = isExcluded(prepared.timelines[t].timelineID);
    std::vector<std::int64_t> counts(prepared.timelines.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!matched[i]) continue;
        const std::uint32_t timeline = prepared.timelineOfItem[i];
        ++counts[timeline];
        if (!excluded[timeline]) filtered.items.push_back(&items[i]);
    }
    for (std::size_t t = 0; t < counts.size(); ++t) {
        if (counts[t] > 0)
            filtered.timelineCounts.counter(prepared.timelines[t].libraryBookmarkID, prepared.timelines[t].timelineID) =
                counts[t];
    }
}

void MarkerFilterController::passOverItems(const ItemList& items, FilteredItems& filtered) const {
    // Neighbours mostly share a timeline: its counter and whether it is excluded serve them all.
    const TodoItem* timelineOf = nullptr;
    std::int64_t* counter = nullptr;
    bool excluded = false;
    for (const TodoItem& item : items) {
        if (!filter_.matches(item)) continue;
        if (!timelineOf || item.timelineID != timelineOf->timelineID ||
            item.libraryBookmarkID != timelineOf->libraryBookmarkID) {
            timelineOf = &item;
            counter = &filtered.timelineCounts.counter(item.libraryBookmarkID, item.timelineID);
            excluded = isExcluded(item.timelineID);
        }
        ++*counter;
        if (!excluded) filtered.items.push_back(&item);
    }
}

const MarkerFilterController::PreparedList* MarkerFilterController::prepared(
    const std::shared_ptr<const ItemList>& items) const {
    if (!sameList(preparedList_, items)) {
        preparedList_ = items;
        // The worker holds the list while it works, and lets it go there.
        preparing_ = QtConcurrent::run([items]() -> std::shared_ptr<const PreparedList> {
            try {
                return std::make_shared<const PreparedList>(*items);
            } catch (const std::length_error&) {
                return nullptr;  // more text than one folded block holds: searched item by item
            }
        });
        return nullptr;
    }
    // The future holds its result for as long as it is the one kept here.
    return preparing_.isFinished() ? preparing_.result().get() : nullptr;
}

void MarkerFilterController::storeExcludedTimelines() {
    QStringList ids;
    ids.reserve(static_cast<qsizetype>(excludedTimelineIDs_.size()));
    for (const auto& id : excludedTimelineIDs_) ids.append(platform::toQString(std::string_view(id)));
    StoredValues::writeTextList(settings_, kExcludedTimelinesKey, ids);
}

}  // namespace quillo
