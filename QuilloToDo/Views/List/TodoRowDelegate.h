#pragma once

#include <QFont>
#include <QStyledItemDelegate>

namespace quillo {

struct TodoItem;

// Paints the rows of a TodoListModel: group headers and to-do rows (badge, title, detail line, the
// completed-in-Reminders mark), with hover and selection painted rather than made of widgets. Row
// heights come from the fonts alone, so sizing a row reads nothing of the model.
class TodoRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit TodoRowDelegate(QObject* parent = nullptr);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    int headerHeight() const noexcept { return headerHeight_; }
    int itemHeight() const noexcept { return itemHeight_; }
    // Where the completed-in-Reminders mark of an item row in `rowRect` is painted.
    QRectF doneMarkRect(const QRect& rowRect) const;

private:
    void paintHeader(QPainter& painter, const QRect& rect, const QString& title) const;
    void paintItem(QPainter& painter, const QStyleOptionViewItem& option, const TodoItem& item, bool selected,
                   bool doneInReminders) const;

    QFont headerFont_;
    QFont titleFont_;
    QFont detailFont_;
    int headerHeight_;
    int itemHeight_;
};

}  // namespace quillo
