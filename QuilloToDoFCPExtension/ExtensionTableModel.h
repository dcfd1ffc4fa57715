#pragma once

#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include <QAbstractTableModel>

#include <vector>

namespace quillo {

// The panel's rows: one column, one row per to-do in the order received, each showing its cell text.
class ExtensionTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    const std::vector<TodoItem>& items() const noexcept { return items_; }
    // Replaces every row.
    void setItems(std::vector<TodoItem> items);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<TodoItem> items_;
};

}  // namespace quillo
