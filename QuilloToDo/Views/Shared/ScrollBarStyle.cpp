#include "QuilloToDo/Views/Shared/ScrollBarStyle.h"

#include "QuilloDesignKit/QuilloColor.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

namespace quillo {
namespace {

constexpr double kHandleOpacity = 0.25;

QString styleSheet() {
    const QColor handle = Color::withOpacity(Qt::white, kHandleOpacity);
    return QStringLiteral(
               "QScrollBar:vertical { background: transparent; width: 10px; margin: 2px 2px 2px 0; }"
               "QScrollBar:horizontal { background: transparent; height: 10px; margin: 0 2px 2px 2px; }"
               "QScrollBar::handle { background: rgba(%1, %2, %3, %4); border-radius: 4px; }"
               "QScrollBar::handle:vertical { min-height: 24px; }"
               "QScrollBar::handle:horizontal { min-width: 24px; }"
               "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; border: none; }"
               "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }")
        .arg(handle.red())
        .arg(handle.green())
        .arg(handle.blue())
        .arg(handle.alpha());
}

}  // namespace

void applyThinScrollBars(QAbstractScrollArea* area) {
    const QString style = styleSheet();
    area->verticalScrollBar()->setStyleSheet(style);
    area->horizontalScrollBar()->setStyleSheet(style);
}

}  // namespace quillo
