#include "QuilloToDo/Views/List/TodoRowStyle.h"

#include "QuilloDesignKit/QuilloColor.h"

namespace quillo::TodoRowStyle {

QString badgeSymbol(const TodoItem& item) {
    switch (item.kind) {
    case MarkerKind::standard: return QStringLiteral("mappin.circle.fill");
    case MarkerKind::todo:
        return item.status == TodoStatus::done ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("circle");
    case MarkerKind::chapter: return QStringLiteral("bookmark.fill");
    }
    return {};
}

QColor badgeColor(const TodoItem& item) {
    switch (item.kind) {
    case MarkerKind::standard: return Color::blue();
    case MarkerKind::todo: return item.status == TodoStatus::done ? Color::green() : Color::quilloAccent();
    case MarkerKind::chapter: return Color::orange();
    }
    return {};
}

bool isTitleStruckThrough(const TodoItem& item) { return item.status == TodoStatus::done; }

QColor titleColor(const TodoItem& item) {
    return isTitleStruckThrough(item) ? Color::quilloTextTertiary() : QColor(Qt::white);
}

}  // namespace quillo::TodoRowStyle
