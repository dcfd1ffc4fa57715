#include "QuilloToDo/Views/Filters/FilterChipRow.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace quillo {
namespace {

// The chips past the right edge of a narrow row are reached with an ordinary (vertical) wheel.
TEST(FilterChipRow, VerticalWheelScrollsSideways) {
    FilterChipRow row;
    QList<QWidget*> chips;
    for (int i = 0; i < 12; ++i) chips.append(new QPushButton(QStringLiteral("Role number %1").arg(i)));
    row.setChips(chips);
    row.resize(200, row.sizeHint().height());
    row.show();
    QScrollBar* bar = row.horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_FALSE(bar->isVisible());

    const QPointF at(50, 5);
    QWheelEvent down(at, row.mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(row.viewport(), &down);
    EXPECT_GT(bar->value(), 0);
    const int scrolled = bar->value();
    QWheelEvent up(at, row.mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                   false);
    QCoreApplication::sendEvent(row.viewport(), &up);
    EXPECT_LT(bar->value(), scrolled);
}

}  // namespace
}  // namespace quillo
