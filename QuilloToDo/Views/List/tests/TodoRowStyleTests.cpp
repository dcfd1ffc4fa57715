#include "QuilloToDo/Views/List/TodoRowStyle.h"

#include "QuilloDesignKit/QuilloColor.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

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

}  // namespace
}  // namespace quillo
