#pragma once

#include "QuilloToDoKit/QuilloToDoModel/TodoStatus.h"

#include <QWidget>

#include <set>

namespace quillo {

class FilterChipRow;

// "Status": one chip per status (Open, Done, N/A), selected while the status is in the edited set.
class StatusFilterView : public QWidget {
    Q_OBJECT

public:
    explicit StatusFilterView(QWidget* parent = nullptr);

    const std::set<TodoStatus>& selectedStatuses() const noexcept { return selectedStatuses_; }
    // Shows the bound set; emits nothing.
    void setSelectedStatuses(const std::set<TodoStatus>& statuses);
    // Removes the status from the bound set when it is in it, else inserts it, and reports the set.
    void toggle(TodoStatus status);

    FilterChipRow* chipRow() const noexcept { return chips_; }

signals:
    void selectedStatusesEdited(const std::set<quillo::TodoStatus>& statuses);

private:
    std::set<TodoStatus> selectedStatuses_;
    FilterChipRow* chips_;
};

}  // namespace quillo
