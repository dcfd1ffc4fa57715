#pragma once

#include "QuilloToDo/Controllers/ListGrouping.h"
#include "QuilloToDo/Views/List/TodoListRows.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include "Platform/Foundation/UUID.h"

#include <QAbstractListModel>

#include <optional>
#include <set>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace quillo {

// The to-do list's rows (group headers and items) as an item model for a painted list view. It holds
// what the content pane hands it (the shown items, the grouping, the selected id, the ids completed in
// Reminders) and nothing of its own.
//
// The shown items are pointers into the index's list, as the filter controller hands them out; the
// model reads them until the next setContent, which must come as soon as that list is replaced.
//
// Changes are announced row by row where that is cheaper for a view than starting over: rows that
// leave or arrive between otherwise unchanged rows are removed and inserted; a change that moves rows
// (another grouping) or touches rows in many places resets the model.
class TodoListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        RowKindRole = Qt::UserRole + 1,  // RowKind as int
        RowIDRole,                       // "header-<key>" or "item-<UUID>"
        IsSelectedRole,
        IsDoneInRemindersRole,
    };
    enum class RowKind { header, item };

    explicit TodoListModel(QObject* parent = nullptr);

    // The shown items (already filtered, in index order) and their grouping. `itemsReplaced` says that
    // the list the pointers point into is a new one (a refresh), so rows that stay may show new
    // content; otherwise only the filter or the grouping changed.
    void setContent(std::vector<const TodoItem*> items, ListGrouping grouping, bool itemsReplaced);
    void setSelectedID(const std::optional<platform::UUID>& id);
    void setCompletedInReminders(const std::set<platform::UUID>& ids);

    const std::vector<const TodoItem*>& items() const noexcept { return items_; }
    ListGrouping grouping() const noexcept { return grouping_; }
    const std::optional<platform::UUID>& selectedID() const noexcept { return selectedID_; }

    // The item of an item row; nullptr for a header row or an invalid index.
    const TodoItem* itemAt(const QModelIndex& index) const;
    // The kind of a row, readable without data(): it travels in the index itself.
    static RowKind rowKind(const QModelIndex& index);
    bool isSelected(const TodoItem& item) const;
    bool isDoneInReminders(const TodoItem& item) const;
    // The row of the item with that id, or -1.
    int rowOf(const platform::UUID& id) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QModelIndex index(int row, int column = 0, const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    // One row as views see it, also between the steps of a change. Its identity (the item's id, the
    // header's key) is kept apart from the item so that rows can be matched after the items are gone.
    struct ShownRow {
        const TodoItem* item;    // null for a header, and for an item row on its way out
        const std::string* key;  // a header's key; null for an item row
        platform::UUID id;       // an item row's id
    };

    // For the rows before and after a change: which of each also stand in the other.
    using RowFlags = TodoListRows::RowFlags;
    using MatchedRows = std::pair<RowFlags, RowFlags>;

    // The rows of `items`, narrowed from the rows last built in full where they can be: typing in the
    // search field then groups and sorts nothing again. `ofWidest` receives which rows of the rows
    // built in full they are; `matched`, when they were narrowed, how they match the rows shown.
    TodoListRows rowsFor(const std::vector<const TodoItem*>& items, ListGrouping grouping, bool itemsReplaced,
                         RowFlags& ofWidest, std::optional<MatchedRows>& matched);
    static std::vector<ShownRow> shownRows(const std::vector<const TodoItem*>& items, const TodoListRows& rows);
    static std::optional<MatchedRows> matchRows(const std::vector<ShownRow>& before, const std::vector<ShownRow>& after,
                                                bool sameItems);
    // `matched` when it is known already, else found by matchRows.
    bool applyRowByRow(std::vector<const TodoItem*>& items, TodoListRows& rows, std::vector<ShownRow>& after,
                       bool itemsReplaced, std::optional<MatchedRows> matched, bool& anyRowStayed);
    // dataChanged over each run of consecutive rows among `rows` (ascending).
    void emitRowsChanged(const std::vector<int>& rows, const QList<int>& roles);

    std::vector<const TodoItem*> items_;
    ListGrouping grouping_ = ListGrouping::assignee;
    TodoListRows rows_;  // owns the header keys the shown rows point to
    std::vector<ShownRow> shown_;
    std::vector<const TodoItem*> widestItems_;
    ListGrouping widestGrouping_ = ListGrouping::assignee;
    TodoListRows widestRows_;
    RowFlags widestShown_;  // which of widestRows_ the shown rows are
    std::optional<platform::UUID> selectedID_;
    std::unordered_set<platform::UUID> completedInReminders_;
};

}  // namespace quillo
