#include "QuilloToDoFCPExtension/ExtensionTableModel.h"

#include "QuilloToDoFCPExtension/ExtensionPanelText.h"

#include <utility>

namespace quillo {

void ExtensionTableModel::setItems(std::vector<TodoItem> items) {
    beginResetModel();
    items_ = std::move(items);
    endResetModel();
}

int ExtensionTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(items_.size());
}

int ExtensionTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 1; }

QVariant ExtensionTableModel::data(const QModelIndex& index, int role) const {
    // A row at or beyond the list (it changed between calls) shows nothing.
    if (!index.isValid() || index.row() < 0 || static_cast<std::size_t>(index.row()) >= items_.size()) return {};
    if (role == Qt::DisplayRole) return extensionpaneltext::cell(items_[static_cast<std::size_t>(index.row())]);
    return {};
}

QVariant ExtensionTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole) return QStringLiteral("To-Do");
    return {};
}

}  // namespace quillo
