#include "QuilloDesignKit/QuilloBadges.h"
#include "QuilloDesignKit/QuilloButton.h"
#include "QuilloDesignKit/QuilloButtonStyle.h"
#include "QuilloDesignKit/QuilloChip.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloFont.h"

#include <QGraphicsEffect>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace quillo {
namespace {

const QColor kTint = Color::quilloAccent();
const QColor kOrange = Color::orange();
const QColor clear(Qt::transparent);

QuilloChipChrome chrome(QuilloChipStyle style, bool selected) {
    return {.isSelected = selected, .tint = kTint, .style = style, .size = QuilloChipSize::compact};
}

TEST(ChipChrome, FillAndStrokeFollowStyleAndSelection) {
    using S = QuilloChipStyle;
    EXPECT_EQ(chrome(S::standard(), false).fillColor(), Color::quilloChipFill());
    EXPECT_EQ(chrome(S::standard(), true).fillColor(), Color::withOpacity(kTint, 0.2));
    EXPECT_EQ(chrome(S::standard(), false).strokeColor().alpha(), 0);
    EXPECT_EQ(chrome(S::standard(), true).strokeColor(), Color::withOpacity(kTint, 0.5));

    EXPECT_EQ(chrome(S::plain(), true).fillColor().alpha(), 0);
    EXPECT_EQ(chrome(S::plain(), false).strokeColor(), Color::quilloAccentStrokeFaint());
    EXPECT_EQ(chrome(S::plain(), true).strokeColor(), Color::withOpacity(kTint, 0.5));

    for (bool selected : {false, true}) {
        EXPECT_EQ(chrome(S::tabBare(), selected).fillColor().alpha(), 0);
        EXPECT_EQ(chrome(S::tabBare(), selected).strokeColor().alpha(), 0);
    }

    // A coloured chip draws with its own colour, never the tint.
    EXPECT_EQ(chrome(S::colored(kOrange), false).fillColor(), Color::quilloChipFill());
    EXPECT_EQ(chrome(S::colored(kOrange), false).strokeColor(), Color::withOpacity(kOrange, 0.3));
    EXPECT_EQ(chrome(S::colored(kOrange), true).fillColor(), Color::withOpacity(kOrange, 0.9));
    EXPECT_EQ(chrome(S::colored(kOrange), true).strokeColor().alpha(), 0);

    EXPECT_EQ(chrome(S::standard(), false).padding(), QMarginsF(8, 4, 8, 4));
    QuilloChipChrome comfortable = chrome(S::standard(), false);
    comfortable.size = QuilloChipSize::comfortable;
    EXPECT_EQ(comfortable.padding(), QMarginsF(10, 6, 10, 6));
}

TEST(ChipChrome, ForegroundPerStateAndDisabledAlwaysTertiary) {
    using S = QuilloChipStyle;
    EXPECT_EQ(chipForeground(true, kTint, S::standard(), false), kTint);
    EXPECT_EQ(chipForeground(false, kTint, S::plain(), false), Color::quilloTextSecondary());
    EXPECT_EQ(chipForeground(true, kTint, S::tabBare(), false), QColor(Qt::white));
    EXPECT_EQ(chipForeground(false, kTint, S::tabBare(), false), Color::quilloTextSecondary());
    EXPECT_EQ(chipForeground(true, kTint, S::colored(kOrange), false), QColor(Qt::white));
    EXPECT_EQ(chipForeground(false, kTint, S::colored(kOrange), false), kOrange);
    for (const S& style : {S::standard(), S::plain(), S::tabBare(), S::colored(kOrange)})
        for (bool selected : {false, true})
            EXPECT_EQ(chipForeground(selected, kTint, style, true), Color::quilloTextTertiary());
    EXPECT_EQ(S::colored(kOrange), S::colored(Color::orange()));
    EXPECT_NE(S::colored(kOrange), S::colored(kTint));
    EXPECT_NE(S::standard(), S::plain());
}

TEST(Chip, AClickCallsTheActionAndLeavesSelectionToTheOwner) {
    int calls = 0;
    QuilloChip chip("Open", {.icon = "circle", .tint = kTint}, nullptr, [&] { ++calls; });
    chip.resize(chip.sizeHint());
    chip.show();
    QTest::mouseClick(&chip, Qt::LeftButton, {}, chip.rect().center());
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(chip.isSelected());
    EXPECT_FALSE(chip.isChecked());
    chip.setSelected(true);
    EXPECT_TRUE(chip.isChecked());  // what assistive technology reads

    chip.setDisabled(true);
    QTest::mouseClick(&chip, Qt::LeftButton, {}, chip.rect().center());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(chip.foreground(), Color::quilloTextTertiary());
    EXPECT_EQ(chip.chrome().fillColor(), Color::withOpacity(kTint, 0.2));  // chrome still follows selection
}

TEST(Chip, SelectionChangesOnlyTheLabelWeight) {
    QuilloChip chip("Chapter", {.tint = kTint, .style = QuilloChipStyle::tabBare()});
    QuilloChip selected("Chapter", {.isSelected = true, .tint = kTint, .style = QuilloChipStyle::tabBare()});
    const int textGrowth = QFontMetrics(quilloFont(14, QuilloFontWeight::demiBold)).horizontalAdvance("Chapter") -
                           QFontMetrics(quilloFont(14, QuilloFontWeight::medium)).horizontalAdvance("Chapter");
    EXPECT_NEAR(selected.sizeHint().width() - chip.sizeHint().width(), textGrowth, 1);
    EXPECT_EQ(selected.sizeHint().height(), chip.sizeHint().height());

    // A symbol adds its 12 points and the 4-point spacing before the label.
    QuilloChip withIcon("Chapter", {.icon = "bookmark.fill", .tint = kTint});
    EXPECT_NEAR(withIcon.sizeHint().width() - chip.sizeHint().width(), 16, 1);
}

TEST(Badges, CountsPillsDotsAndButtonChrome) {
    QuilloCountBadge count(0, kTint);
    EXPECT_EQ(count.text(), "0");
    count.setCount(-12);
    EXPECT_EQ(count.text(), "-12");
    QuilloCountBadge ones(111, kTint), eights(888, kTint);
    EXPECT_EQ(ones.sizeHint(), eights.sizeHint());

    QuilloPillBadge soft("To-Do", kTint, QuilloPillBadgeStyle::soft);
    EXPECT_EQ(soft.shownText(), "TO-DO");
    EXPECT_EQ(soft.fillColor(), Color::withOpacity(kTint, 0.18));
    EXPECT_EQ(soft.textColor(), kTint);
    QuilloPillBadge solid("Done", kTint, QuilloPillBadgeStyle::solid);
    EXPECT_EQ(solid.fillColor(), kTint);
    EXPECT_EQ(solid.textColor(), QColor(Qt::white));

    QuilloStatusDot plain(Color::green(), 8, false);
    EXPECT_EQ(plain.graphicsEffect(), nullptr);
    QuilloStatusDot glowing(Color::green(), 8, true);
    EXPECT_NE(glowing.graphicsEffect(), nullptr);
    EXPECT_EQ(glowing.sizeHint(), plain.sizeHint());

    const QuilloButtonStyle active{.isActive = true};
    EXPECT_EQ(active.chrome(true).fill, Color::quilloAccentBackground());
    EXPECT_EQ(active.chrome(false).fill, Color::quilloAccentBackground());
    EXPECT_EQ(QuilloButtonStyle{}.chrome(true).fill.alpha(), 0);
    EXPECT_NEAR(active.chrome(true).hairline.alphaF(), 0.15, 0.003);
    EXPECT_NEAR(active.chrome(false).hairline.alphaF(), 0.08, 0.003);
    EXPECT_EQ(active.chrome(true).opacity, 0.8);
    EXPECT_EQ(active.chrome(false).opacity, 1.0);
}

}  // namespace
}  // namespace quillo

namespace quillo {
namespace {

TEST(StatusDotPixels, TheGlowShinesOutsideTheDotsFrame) {
    QWidget window;
    QPalette palette;
    palette.setColor(QPalette::Window, Qt::black);
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.resize(60, 40);
    auto* plain = new QuilloStatusDot(Color::red(), 8, false, &window);
    plain->setGeometry(10, 16, 8, 8);
    auto* glowing = new QuilloStatusDot(Color::red(), 8, true, &window);
    glowing->setGeometry(40, 16, 8, 8);
    window.show();
    const QImage image = window.grab().toImage();
    EXPECT_EQ(image.pixelColor(8, 20).red(), 0);    // 2 points left of the plain dot: nothing
    EXPECT_GT(image.pixelColor(38, 20).red(), 12);  // 2 points left of the glowing dot: its halo
    EXPECT_EQ(glowing->geometry().size(), QSize(8, 8));
}

}  // namespace
}  // namespace quillo

namespace quillo {
namespace {

// A text button keeps its text's width where there is room, and stays inside a narrower column.
TEST(QuilloButtonWidth, FitsItsColumn) {
    QWidget column;
    auto* layout = new QVBoxLayout(&column);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* roomy = new QuilloButton("Add", "plus");
    auto* wide = new QuilloButton("Detect from the editing application", "wand.and.stars");
    layout->addWidget(roomy, 0, Qt::AlignLeft);
    layout->addWidget(wide, 0, Qt::AlignLeft);
    column.resize(150, 100);
    column.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&column));
    EXPECT_EQ(roomy->width(), roomy->sizeHint().width());
    EXPECT_GT(wide->sizeHint().width(), 150);
    EXPECT_LE(wide->x() + wide->width(), 150);
}

}  // namespace
}  // namespace quillo
