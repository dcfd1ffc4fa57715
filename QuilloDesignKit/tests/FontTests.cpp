#include "QuilloDesignKit/QuilloAnimation.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloFont.h"

#include <QLabel>

#include <gtest/gtest.h>

namespace quillo {
namespace {

TEST(TypeScale, SizesArePixelsAndTheFamilyFallsBackToDejaVu) {
    const QFont font = quilloFont(14, QuilloFontWeight::medium);
    EXPECT_EQ(font.pixelSize(), 14);
    EXPECT_EQ(font.weight(), QFont::Medium);
    EXPECT_EQ(font.families(), (QStringList{"Avenir Next", "DejaVu Sans"}));
    EXPECT_EQ(fontName(QuilloFontWeight::demiBold), "AvenirNext-DemiBold");
    EXPECT_EQ(quilloLargeTitle().font.pixelSize(), 22);
    EXPECT_EQ(quilloLargeTitle().font.weight(), QFont::DemiBold);
    EXPECT_EQ(quilloBody().font.weight(), QFont::Normal);
}

TEST(TypeScale, OnlyCaptionAndMicroSetTheForeground) {
    QLabel label;
    const QColor before = label.palette().color(QPalette::WindowText);
    quilloHeadline().applyTo(&label);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), before);
    EXPECT_EQ(label.font().pixelSize(), 18);

    quilloCaption().applyTo(&label);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), Color::quilloTextSecondary());
    quilloMicro().applyTo(&label);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), Color::quilloTextTertiary());
    EXPECT_EQ(label.font().pixelSize(), 12);
}

TEST(Animation, EaseInOutIsTheCubicBezierAndCanBeSwitchedOff) {
    const QEasingCurve curve = QuilloAnimation::easeInOut();
    EXPECT_NEAR(curve.valueForProgress(0.5), 0.5, 1e-3);
    EXPECT_LT(curve.valueForProgress(0.2), 0.2);  // slow start
    EXPECT_GT(curve.valueForProgress(0.8), 0.8);  // slow end
    EXPECT_EQ(QuilloAnimation::duration(200), 200);
    QuilloAnimation::setEnabled(false);
    EXPECT_EQ(QuilloAnimation::duration(200), 0);
    QuilloAnimation::setEnabled(true);
}

}  // namespace
}  // namespace quillo
