#include "QuilloToDo/Views/Shared/FocusChain.h"

#include <QLayout>
#include <QList>
#include <QSet>
#include <QWidget>

#include <functional>

namespace quillo {

namespace {

void collect(QWidget* widget, QList<QWidget*>& order, QSet<QWidget*>& seen);
void collectChildren(QWidget* widget, QList<QWidget*>& order, QSet<QWidget*>& seen);

// Whether some layout of the widget's parent manages it (also a nested one).
bool inLayout(QWidget* widget) {
    QWidget* parent = widget->parentWidget();
    if (!parent || !parent->layout()) return false;
    const std::function<bool(QLayout*)> holds = [&](QLayout* layout) {
        for (int i = 0; i < layout->count(); ++i) {
            QLayoutItem* item = layout->itemAt(i);
            if (item->widget() == widget) return true;
            if (item->layout() && holds(item->layout())) return true;
        }
        return false;
    };
    return holds(parent->layout());
}

void collectLayout(QLayout* layout, QList<QWidget*>& order, QSet<QWidget*>& seen) {
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (QWidget* child = item->widget()) {
            collect(child, order, seen);
        } else if (QLayout* nested = item->layout()) {
            collectLayout(nested, order, seen);
        }
    }
}

void collect(QWidget* widget, QList<QWidget*>& order, QSet<QWidget*>& seen) {
    if (seen.contains(widget) || widget->isWindow()) return;
    seen.insert(widget);
    if (widget->focusPolicy() & Qt::TabFocus) order.append(widget);
    // A compound widget's parts take the focus through its proxy (a scroll area's viewport has the
    // area as its proxy: its content still counts).
    if (widget->focusProxy() && widget->isAncestorOf(widget->focusProxy())) return;
    collectChildren(widget, order, seen);
}

void collectChildren(QWidget* widget, QList<QWidget*>& order, QSet<QWidget*>& seen) {
    QLayout* layout = widget->layout();
    for (QObject* child : widget->children()) {
        auto* childWidget = qobject_cast<QWidget*>(child);
        if (childWidget && !inLayout(childWidget)) collect(childWidget, order, seen);
    }
    if (layout) collectLayout(layout, order, seen);
}

}  // namespace

void orderFocusChain(QWidget* root) {
    QList<QWidget*> order;
    QSet<QWidget*> seen{root};
    collectChildren(root, order, seen);
    for (qsizetype i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

}  // namespace quillo
