#include "QuilloToDo/Views/List/TodoListModel.h"

#include "Platform/QtBridge/QtText.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <unordered_set>

namespace quillo {
namespace {

// Beyond this many separate runs of inserted or removed rows, one reset costs a view less than the
// notifications.
constexpr std::size_t kMaxRunsRowByRow = 64;

struct Run {
    int first;
    int last;
};

// Runs of consecutive rows that are not present in the other list; nothing beyond `limit` runs.
std::optional<std::vector<Run>> absentRuns(const TodoListRows::RowFlags& present, std::size_t limit) {
    std::vector<Run> runs;
    for (std::size_t i = 0; i < present.size(); ++i) {
        if (present[i]) continue;
        if (!runs.empty() && runs.back().last == static_cast<int>(i) - 1) {
            runs.back().last = static_cast<int>(i);
        } else {
            if (runs.size() == limit) return std::nullopt;
            runs.push_back({static_cast<int>(i), static_cast<int>(i)});
        }
    }
    return runs;
}

QString itemDisplayText(const TodoItem& item) {
    return platform::toQString(std::string_view(item.text)) + QLatin1Char('\n') +
           platform::toQString(std::string_view(rowDetailLine(item)));
}

}  // namespace

TodoListModel::TodoListModel(QObject* parent) : QAbstractListModel(parent) {}

std::vector<TodoListModel::ShownRow> TodoListModel::shownRows(const std::vector<const TodoItem*>& items,
                                                              const TodoListRows& rows) {
    std::vector<ShownRow> result;
    result.reserve(rows.size());
    for (const TodoListRows::Row& row : rows.rows()) {
        if (row.kind == TodoListRows::Row::Kind::header) {
            result.push_back({nullptr, &rows.headerKey(row), {}});
        } else {
            const TodoItem* item = items[row.index];
            result.push_back({item, nullptr, item->id});
        }
    }
    return result;
}

TodoListRows TodoListModel::rowsFor(const std::vector<const TodoItem*>& items, ListGrouping grouping,
                                    bool itemsReplaced, RowFlags& ofWidest, std::optional<MatchedRows>& matched) {
    // After a refresh the old pointers may name other items at the same addresses: never compared.
    if (!itemsReplaced && grouping == widestGrouping_) {
        if (auto rows = TodoListRows::narrowed(widestRows_, widestItems_, items, &ofWidest)) {
            // The rows shown and the new ones are both rows of the widest, in its order: they match
            // where both hold the same row of it.
            RowFlags kept(shown_.size());
            RowFlags old(rows->size());
            for (std::size_t row = 0, before = 0, after = 0; row < ofWidest.size(); ++row) {
                if (widestShown_[row]) kept[before++] = ofWidest[row];
                if (ofWidest[row]) old[after++] = widestShown_[row];
            }
            matched = MatchedRows{std::move(kept), std::move(old)};
            return std::move(*rows);
        }
    }
    widestItems_ = items;
    widestGrouping_ = grouping;
    widestRows_ = TodoListRows(items, grouping);
    ofWidest.assign(widestRows_.size(), 1);
    return widestRows_;
}

void TodoListModel::setContent(std::vector<const TodoItem*> items, ListGrouping grouping, bool itemsReplaced) {
    RowFlags ofWidest;
    std::optional<MatchedRows> matched;
    TodoListRows rows = rowsFor(items, grouping, itemsReplaced, ofWidest, matched);
    std::vector<ShownRow> after = shownRows(items, rows);
    const bool sameGrouping = grouping == grouping_;
    grouping_ = grouping;
    widestShown_ = std::move(ofWidest);
    bool anyRowStayed = false;
    // From no rows a reset tells views the same as one insertion, without matching every new row.
    if (sameGrouping && !shown_.empty() &&
        applyRowByRow(items, rows, after, itemsReplaced, std::move(matched), anyRowStayed)) {
        // Rows that stayed may carry edited markers after a refresh.
        if (itemsReplaced && anyRowStayed) {
            emit dataChanged(index(0), index(static_cast<int>(shown_.size()) - 1),
                             {Qt::DisplayRole, Qt::AccessibleTextRole, Qt::AccessibleDescriptionRole, IsSelectedRole,
                              IsDoneInRemindersRole});
        }
        return;
    }
    beginResetModel();
    items_ = std::move(items);
    rows_ = std::move(rows);
    shown_ = std::move(after);
    endResetModel();
}

// Which rows of each list also stand in the other, matched by identity; nothing when an identity
// repeats, which no row-by-row change could describe. Headers match by key. Items match by address
// while both lists point into the same list of items (cheap: a mark per item instead of a hash per
// id), else by id.
std::optional<TodoListModel::MatchedRows> TodoListModel::matchRows(const std::vector<ShownRow>& before,
                                                                   const std::vector<ShownRow>& after, bool sameItems) {
    std::unordered_set<std::string_view> beforeKeys;
    std::unordered_set<std::string_view> afterKeys;
    for (const ShownRow& row : before) {
        if (row.key && !beforeKeys.insert(*row.key).second) return std::nullopt;
    }
    for (const ShownRow& row : after) {
        if (row.key && !afterKeys.insert(*row.key).second) return std::nullopt;
    }
    RowFlags kept(before.size());
    RowFlags old(after.size());
    if (sameItems) {
        const TodoItem* first = nullptr;
        const TodoItem* last = nullptr;
        for (const auto* rows : {&before, &after}) {
            for (const ShownRow& row : *rows) {
                if (!row.item) continue;
                if (!first || row.item < first) first = row.item;
                if (!last || row.item > last) last = row.item;
            }
        }
        const std::size_t span = first ? static_cast<std::size_t>(last - first) + 1 : 0;
        std::vector<std::uint8_t> marks(span);  // bit 0: shown before, bit 1: shown after
        for (const ShownRow& row : before) {
            if (row.key) continue;
            std::uint8_t& mark = marks[static_cast<std::size_t>(row.item - first)];
            if (mark & 1) return std::nullopt;
            mark |= 1;
        }
        for (const ShownRow& row : after) {
            if (row.key) continue;
            std::uint8_t& mark = marks[static_cast<std::size_t>(row.item - first)];
            if (mark & 2) return std::nullopt;
            mark |= 2;
        }
        for (std::size_t i = 0; i < before.size(); ++i) {
            kept[i] = before[i].key ? afterKeys.contains(*before[i].key)
                                    : (marks[static_cast<std::size_t>(before[i].item - first)] & 2) != 0;
        }
        for (std::size_t j = 0; j < after.size(); ++j) {
            old[j] = after[j].key ? beforeKeys.contains(*after[j].key)
                                  : (marks[static_cast<std::size_t>(after[j].item - first)] & 1) != 0;
        }
        return std::pair{std::move(kept), std::move(old)};
    }
    std::unordered_set<platform::UUID> beforeIDs;
    std::unordered_set<platform::UUID> afterIDs;
    beforeIDs.reserve(before.size());
    afterIDs.reserve(after.size());
    for (const ShownRow& row : before) {
        if (!row.key && !beforeIDs.insert(row.id).second) return std::nullopt;
    }
    for (const ShownRow& row : after) {
        if (!row.key && !afterIDs.insert(row.id).second) return std::nullopt;
    }
    for (std::size_t i = 0; i < before.size(); ++i) {
        kept[i] = before[i].key ? afterKeys.contains(*before[i].key) : afterIDs.contains(before[i].id);
    }
    for (std::size_t j = 0; j < after.size(); ++j) {
        old[j] = after[j].key ? beforeKeys.contains(*after[j].key) : beforeIDs.contains(after[j].id);
    }
    return std::pair{std::move(kept), std::move(old)};
}

bool TodoListModel::applyRowByRow(std::vector<const TodoItem*>& items, TodoListRows& rows, std::vector<ShownRow>& after,
                                  bool itemsReplaced, std::optional<MatchedRows> matched, bool& anyRowStayed) {
    if (!matched) matched = matchRows(shown_, after, !itemsReplaced);
    if (!matched) return false;
    const RowFlags& kept = matched->first;
    const RowFlags& old = matched->second;
    // Counted first: a change in many places resets, and needs nothing more.
    const auto removals = absentRuns(kept, kMaxRunsRowByRow);
    if (!removals) return false;
    const auto insertions = absentRuns(old, kMaxRunsRowByRow - removals->size());
    if (!insertions) return false;

    // The rows both lists share must stand in the same order: only then is the change a matter of
    // removals and insertions. Meanwhile the shared rows are pointed at the new items and keys, so
    // that no row still reads the old list while views are told of the change.
    std::vector<ShownRow> repointed = shown_;
    std::size_t i = 0;
    std::size_t j = 0;
    while (true) {
        while (i < shown_.size() && !kept[i]) ++i;
        while (j < after.size() && !old[j]) ++j;
        if (i == shown_.size() || j == after.size()) {
            if (i != shown_.size() || j != after.size()) return false;
            break;
        }
        const ShownRow& a = shown_[i];
        const ShownRow& b = after[j];
        if ((a.key == nullptr) != (b.key == nullptr) || (a.key ? *a.key != *b.key : a.id != b.id)) return false;
        repointed[i] = b;
        anyRowStayed = true;
        ++i;
        ++j;
    }

    // Rows on their way out read nothing more of the old items; their keys stay alive in `previous`
    // until they are gone.
    for (std::size_t row = 0; row < repointed.size(); ++row) {
        if (!kept[row]) repointed[row].item = nullptr;
    }
    shown_ = std::move(repointed);
    const TodoListRows previous = std::exchange(rows_, std::move(rows));
    items_ = std::move(items);

    // Removals from the last run back, so that every row number refers to the rows as they stand.
    for (auto run = removals->rbegin(); run != removals->rend(); ++run) {
        beginRemoveRows({}, run->first, run->last);
        shown_.erase(shown_.begin() + run->first, shown_.begin() + run->last + 1);
        endRemoveRows();
    }
    // Insertions from the first run on: every row before a run is in place when it is inserted.
    for (const Run& run : *insertions) {
        beginInsertRows({}, run.first, run.last);
        shown_.insert(shown_.begin() + run.first, after.begin() + run.first, after.begin() + run.last + 1);
        endInsertRows();
    }
    return true;
}

void TodoListModel::setSelectedID(const std::optional<platform::UUID>& id) {
    if (id == selectedID_) return;
    std::vector<int> changed;
    if (selectedID_) {
        if (const int row = rowOf(*selectedID_); row >= 0) changed.push_back(row);
    }
    selectedID_ = id;
    if (selectedID_) {
        if (const int row = rowOf(*selectedID_); row >= 0) changed.push_back(row);
    }
    std::sort(changed.begin(), changed.end());
    emitRowsChanged(changed, {IsSelectedRole});
}

void TodoListModel::setCompletedInReminders(const std::set<platform::UUID>& ids) {
    std::vector<int> changed;
    for (std::size_t row = 0; row < shown_.size(); ++row) {
        if (shown_[row].key) continue;
        const platform::UUID& id = shown_[row].id;
        if (completedInReminders_.contains(id) != ids.contains(id)) changed.push_back(static_cast<int>(row));
    }
    completedInReminders_ = std::unordered_set<platform::UUID>(ids.begin(), ids.end());
    emitRowsChanged(changed, {IsDoneInRemindersRole, Qt::AccessibleDescriptionRole});
}

void TodoListModel::emitRowsChanged(const std::vector<int>& rows, const QList<int>& roles) {
    std::size_t start = 0;
    for (std::size_t k = 1; k <= rows.size(); ++k) {
        if (k == rows.size() || rows[k] != rows[k - 1] + 1) {
            emit dataChanged(index(rows[start]), index(rows[k - 1]), roles);
            start = k;
        }
    }
}

const TodoItem* TodoListModel::itemAt(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this || index.row() >= static_cast<int>(shown_.size())) return nullptr;
    return shown_[static_cast<std::size_t>(index.row())].item;
}

TodoListModel::RowKind TodoListModel::rowKind(const QModelIndex& index) {
    return index.internalId() == 0 ? RowKind::header : RowKind::item;
}

bool TodoListModel::isSelected(const TodoItem& item) const { return selectedID_ == item.id; }

bool TodoListModel::isDoneInReminders(const TodoItem& item) const { return completedInReminders_.contains(item.id); }

int TodoListModel::rowOf(const platform::UUID& id) const {
    for (std::size_t row = 0; row < shown_.size(); ++row) {
        if (!shown_[row].key && shown_[row].id == id) return static_cast<int>(row);
    }
    return -1;
}

int TodoListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

QModelIndex TodoListModel::index(int row, int column, const QModelIndex& parent) const {
    if (parent.isValid() || column != 0 || row < 0 || row >= static_cast<int>(shown_.size())) return {};
    return createIndex(row, column, quintptr(shown_[static_cast<std::size_t>(row)].key ? 0 : 1));
}

QVariant TodoListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
    const ShownRow& row = shown_[static_cast<std::size_t>(index.row())];
    if (!row.key && !row.item) return {};  // leaving the list
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return row.item ? itemDisplayText(*row.item) : platform::toQString(std::string_view(*row.key));
    case Qt::AccessibleDescriptionRole:
        return row.item ? QString::fromStdString(rowAccessibleDescription(*row.item, isDoneInReminders(*row.item)))
                        : QVariant();
    case RowKindRole: return static_cast<int>(row.item ? RowKind::item : RowKind::header);
    case RowIDRole:
        return platform::toQString(
            std::string_view(row.item ? TodoListRows::itemID(*row.item) : TodoListRows::headerID(*row.key)));
    case IsSelectedRole: return row.item && isSelected(*row.item);
    case IsDoneInRemindersRole: return row.item && isDoneInReminders(*row.item);
    default: return {};
    }
}

Qt::ItemFlags TodoListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    // Item rows are selectable for assistive technology, which reads the selected one as selected;
    // the view itself never changes the selection.
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    return rowKind(index) == RowKind::item ? flags | Qt::ItemIsSelectable : flags;
}

QHash<int, QByteArray> TodoListModel::roleNames() const {
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(RowKindRole, "rowKind");
    names.insert(RowIDRole, "rowID");
    names.insert(IsSelectedRole, "isSelected");
    names.insert(IsDoneInRemindersRole, "isDoneInReminders");
    return names;
}

}  // namespace quillo
