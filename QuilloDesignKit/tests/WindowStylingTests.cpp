#include "Platform/WindowSystem/FramelessWindowGrips.h"
#include "Platform/WindowSystem/VisualEffectBackdrop.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloGlassBackground.h"
#include "QuilloDesignKit/QuilloHudBackground.h"
#include "QuilloDesignKit/QuilloSplitShell.h"
#include "QuilloDesignKit/QuilloTrafficLights.h"
#include "QuilloDesignKit/QuilloWindowTransparencyAccessor.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace quillo {
namespace {

// `over` composited with `top` (alpha blending), as 0...255 components.
QColor blend(const QColor& top, const QColor& over) {
    const double a = top.alphaF();
    return QColor::fromRgbF(float(top.redF() * a + over.redF() * (1 - a)),
                            float(top.greenF() * a + over.greenF() * (1 - a)),
                            float(top.blueF() * a + over.blueF() * (1 - a)));
}

void expectNear(const QColor& actual, const QColor& expected, int tolerance = 2) {
    EXPECT_NEAR(actual.red(), expected.red(), tolerance)
        << actual.name().toStdString() << " vs " << expected.name().toStdString();
    EXPECT_NEAR(actual.green(), expected.green(), tolerance)
        << actual.name().toStdString() << " vs " << expected.name().toStdString();
    EXPECT_NEAR(actual.blue(), expected.blue(), tolerance)
        << actual.name().toStdString() << " vs " << expected.name().toStdString();
}

// A black window whose single child paints one glass background.
class GlassProbe : public QWidget {
public:
    explicit GlassProbe(QWidget* parent) : QWidget(parent) {}
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QuilloGlassBackground{.cornerRadius = 14, .opacity = 0.5}.paint(painter, rect(), this);
    }
};

QWidget* blackWindow() {
    auto* window = new QWidget;
    QPalette palette;
    palette.setColor(QPalette::Window, Qt::black);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    window->resize(200, 120);
    return window;
}

TEST(WindowStylingPixels, GlassLayersAreMaterialTintAndHairline) {
    std::unique_ptr<QWidget> window(blackWindow());
    auto* glass = new GlassProbe(window.get());
    glass->setGeometry(20, 20, 160, 80);
    window->show();
    const QImage image = window->grab().toImage();

    const QColor material = platform::visualEffectColor(platform::VisualEffectMaterial::ultraThin,
                                                        platform::VisualEffectBlendingMode::withinWindow, false);
    const QColor inside = blend(Color::withOpacity(Qt::black, 0.5), blend(material, Qt::black));
    expectNear(image.pixelColor(100, 60), inside);
    // The hairline lies on the first pixel inside the edge, white at 0.08 over the glass.
    expectNear(image.pixelColor(100, 20), blend(Color::withOpacity(Qt::white, 0.08), inside), 3);
    expectNear(image.pixelColor(100, 19), Qt::black, 0);  // nothing outside the shape
}

TEST(WindowStylingPixels, TheShellPaintsTheHudTintAndTheSidebarCard) {
    QuilloSplitShell shell({.baseColor = *Color::fromHex(u"#0D0D0D"),
                            .baseOpacity = 0.95,
                            .sidebarCardColor = *Color::fromHex(u"#121212"),
                            .sidebarCardOpacity = 0.5,
                            .minSidebarWidth = 200,
                            .idealSidebarWidth = 300,
                            .maxSidebarWidth = 400},
                           new QWidget, new QWidget);
    shell.resize(800, 400);
    shell.show();
    const QImage image = shell.grab().toImage();
    // Without a compositor the HUD material is an opaque stand-in under the tint.
    const QColor hud = platform::visualEffectColor(platform::VisualEffectMaterial::hudWindow,
                                                   platform::VisualEffectBlendingMode::behindWindow, false);
    ASSERT_EQ(hud.alpha(), 255);
    const QColor background = blend(Color::withOpacity(QColor(13, 13, 13), 0.95), hud);
    expectNear(image.pixelColor(600, 200), background);
    expectNear(image.pixelColor(4, 200), background);  // the gap left of the card
    expectNear(image.pixelColor(150, 200), blend(Color::withOpacity(QColor(18, 18, 18), 0.5), background));
}

TEST(WindowStylingPixels, TrafficLightsAreGreyUntilHoveredThenColouredWithSymbols) {
    std::unique_ptr<QWidget> window(blackWindow());
    auto* lights = new QuilloTrafficLights(window.get());
    lights->move(10, 10);
    window->show();
    EXPECT_EQ(lights->sizeHint(), QSize(52, 12));

    // A point inside each circle but off its symbol.
    const QPoint closeProbe(10 + 2, 10 + 6), minimizeProbe(30 + 6, 10 + 2), zoomProbe(50 + 2, 10 + 9);
    QImage image = window->grab().toImage();
    for (QPoint p : {closeProbe, minimizeProbe, zoomProbe}) expectNear(image.pixelColor(p), QColor(56, 56, 56));
    expectNear(image.pixelColor(10 + 6, 10 + 6), QColor(56, 56, 56));  // no symbol while idle

    lights->setHovering(true);
    image = window->grab().toImage();
    expectNear(image.pixelColor(closeProbe), QuilloTrafficLights::red());
    expectNear(image.pixelColor(minimizeProbe), QuilloTrafficLights::yellow());
    expectNear(image.pixelColor(zoomProbe), QuilloTrafficLights::green());
    // The symbol darkens the centre: black at 0.55 over red.
    expectNear(image.pixelColor(10 + 6, 10 + 6), blend(Color::withOpacity(Qt::black, 0.55), QuilloTrafficLights::red()),
               40);
    EXPECT_LT(image.pixelColor(10 + 6, 10 + 6).red(), 200);
}

TEST(WindowStyling, TrafficLightsActOnTheirWindowAndDoNothingWithoutOne) {
    QuilloTrafficLights loose;
    loose.show();
    QTest::mouseClick(loose.closeButton(), Qt::LeftButton);
    EXPECT_TRUE(loose.isVisible());
    EXPECT_EQ(loose.closeButton()->toolTip(), "Close Window");
    EXPECT_EQ(loose.zoomButton()->accessibleName(), "Zoom Window");

    std::unique_ptr<QWidget> window(blackWindow());
    auto* lights = new QuilloTrafficLights(window.get());
    window->show();
    QTest::mouseClick(lights->zoomButton(), Qt::LeftButton);
    EXPECT_TRUE(window->isMaximized());
    QTest::mouseClick(lights->zoomButton(), Qt::LeftButton);
    EXPECT_FALSE(window->isMaximized());
    QTest::mouseClick(lights->closeButton(), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
}

TEST(WindowStyling, TheAccessorStylesItsWindowOnceOnTheNextTurn) {
    QWidget window;
    window.setMinimumSize(100, 100);
    auto* content = new QWidget(&window);
    quilloTransparentWindow(content, QSize(720, 480));
    EXPECT_FALSE(window.windowFlags() & Qt::FramelessWindowHint);  // not synchronously
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(window.minimumSize(), QSize(720, 480));
    EXPECT_NE(window.findChild<platform::FramelessWindowGrips*>(), nullptr);  // still movable and resizable

    QWidget keeps;
    keeps.setMinimumSize(100, 100);
    quilloTransparentWindow(new QWidget(&keeps), std::nullopt);
    QCoreApplication::processEvents();
    EXPECT_EQ(keeps.minimumSize(), QSize(100, 100));

    // An accessor never placed in a window changes nothing, now or later.
    QuilloWindowTransparencyAccessor unplaced(std::nullopt);
    QCoreApplication::processEvents();
    EXPECT_FALSE(unplaced.windowFlags() & Qt::FramelessWindowHint);
}

}  // namespace
}  // namespace quillo
