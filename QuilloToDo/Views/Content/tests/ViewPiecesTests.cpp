#include "QuilloToDo/Views/Filters/FilterChipRow.h"
#include "QuilloToDo/Views/Panels/MiddleElidedLabel.h"
#include "QuilloToDo/Views/List/TodoRowStyle.h"
#include "QuilloToDo/Views/Shared/ViewTexts.h"

#include "QuilloDesignKit/QuilloColor.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace quillo {
namespace {

TEST(ViewTexts, CountsAndPlurals) {
    EXPECT_EQ(markerCountText(0), QStringLiteral("0 markers"));
    EXPECT_EQ(markerCountText(1), QStringLiteral("1 marker"));
    EXPECT_EQ(markerCountText(2), QStringLiteral("2 markers"));
    EXPECT_EQ(connectedExtensionsText(0), QStringLiteral("0 connected"));
    EXPECT_EQ(pollingNamesText(1), QStringLiteral("polling 1 name"));
    EXPECT_EQ(pollingNamesText(2), QStringLiteral("polling 2 names"));
    EXPECT_EQ(lastScanText(std::nullopt), QStringLiteral("\u2013"));
    EXPECT_EQ(detailValueText(std::nullopt), QStringLiteral("\u2013"));
    EXPECT_EQ(detailValueText(std::string()), QString());
}

TEST(TodoRowStyle, BadgeTableStrikeThroughAndColours) {
    struct Row {
        MarkerKind kind;
        TodoStatus status;
        const char* symbol;
        QColor color;
        bool struck;
    };
    const Row table[] = {
        {MarkerKind::standard, TodoStatus::unknown, "mappin.circle.fill", Color::blue(), false},
        {MarkerKind::todo, TodoStatus::done, "checkmark.circle.fill", Color::green(), true},
        {MarkerKind::todo, TodoStatus::open, "circle", Color::quilloAccent(), false},
        {MarkerKind::todo, TodoStatus::unknown, "circle", Color::quilloAccent(), false},
        {MarkerKind::chapter, TodoStatus::unknown, "bookmark.fill", Color::orange(), false},
        // Done is struck through whatever the kind.
        {MarkerKind::chapter, TodoStatus::done, "bookmark.fill", Color::orange(), true},
    };
    for (const Row& row : table) {
        TodoItem item;
        item.kind = row.kind;
        item.status = row.status;
        EXPECT_EQ(TodoRowStyle::badgeSymbol(item), QString::fromLatin1(row.symbol));
        EXPECT_EQ(TodoRowStyle::badgeColor(item), row.color);
        EXPECT_EQ(TodoRowStyle::isTitleStruckThrough(item), row.struck);
        EXPECT_EQ(TodoRowStyle::titleColor(item), row.struck ? Color::quilloTextTertiary() : QColor(Qt::white));
    }
}

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

TEST(MiddleElidedLabel, CutsLongTextsInTheMiddleToTwoLines) {
    const QFont font;
    const QString shortText = QStringLiteral("Main Edit");
    EXPECT_EQ(middleElidedLines(shortText, font, 300, 2), QStringList{shortText});

    QString longText = QStringLiteral("BEGIN ");
    for (int i = 0; i < 60; ++i) longText += QStringLiteral("word%1 ").arg(i);
    longText += QStringLiteral("END");
    const QStringList lines = middleElidedLines(longText, font, 150, 2);
    ASSERT_EQ(lines.size(), 2);
    const QString shown = lines.join(QLatin1Char(' '));
    EXPECT_TRUE(shown.startsWith(QStringLiteral("BEGIN")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("END")));
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    const QFontMetricsF metrics(font);
    for (const QString& line : lines) EXPECT_LE(metrics.horizontalAdvance(line), 150.5);
}

// What is copied is the value, not the cut text shown; an uncut value copies what is selected.
TEST(MiddleElidedLabel, CopyingACutValueCopiesTheWholeValue) {
    MiddleElidedLabel label(2);
    QString value = QStringLiteral("BEGIN ");
    for (int i = 0; i < 60; ++i) value += QStringLiteral("word%1 ").arg(i);
    label.setFullText(value + QStringLiteral("END"));
    label.resize(150, 40);
    ASSERT_TRUE(label.text().contains(QChar(0x2026)));
    label.setSelection(0, int(label.text().size()));
    QTest::keySequence(&label, QKeySequence::Copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), label.fullText());

    label.setFullText(QStringLiteral("Main Edit"));
    label.resize(300, 40);
    label.setSelection(0, 4);
    QTest::keySequence(&label, QKeySequence::Copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Main"));
}

}  // namespace
}  // namespace quillo
