#pragma once

#include "QuilloToDo/Controllers/ListGrouping.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include "Platform/Foundation/UUID.h"

#include <QPersistentModelIndex>
#include <QWidget>

#include <optional>
#include <set>
#include <unordered_set>
#include <vector>

class QListView;
class QStackedLayout;

namespace quillo {

class TodoListModel;
class TodoRowDelegate;

// The grouped, scrolling list of the shown to-dos, or, when there are none, a notice saying that no
// marker matches the filter. It shows what its owner hands it and keeps no state of its own: the
// highlight follows the selected id it is given, and a click on an item row only reports the item.
class TodoListView : public QWidget {
    Q_OBJECT

public:
    explicit TodoListView(QWidget* parent = nullptr);

    // See TodoListModel::setContent.
    void setContent(std::vector<const TodoItem*> items, ListGrouping grouping, bool itemsReplaced);
    void setSelectedID(const std::optional<platform::UUID>& id);
    void setCompletedInReminders(const std::set<platform::UUID>& ids);

    TodoListModel* model() const noexcept { return model_; }
    QListView* listView() const noexcept { return list_; }
    // The notice shown instead of the list while there are no items.
    QWidget* emptyView() const noexcept { return empty_; }

signals:
    // The user clicked the row of `item`.
    void itemPicked(const quillo::TodoItem& item);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showListOrNotice();
    void showSelection();
    void placeDoneMarkHotspot(const QPoint& pointer);

    TodoListModel* model_;
    TodoRowDelegate* delegate_;
    QListView* list_;
    QWidget* empty_;
    QStackedLayout* stack_;
    // Lies over the completed-in-Reminders mark of the row under the pointer, so that the mark can
    // carry the kit's tooltip; a click on it picks the row like any click on the row.
    QWidget* doneMark_;
    QPersistentModelIndex doneMarkRow_;
};

}  // namespace quillo
