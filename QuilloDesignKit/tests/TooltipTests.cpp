#include "QuilloDesignKit/QuilloAnimation.h"
#include "QuilloDesignKit/QuilloTooltip.h"
#include "QuilloDesignKit/QuilloTooltipClock.h"
#include "QuilloDesignKit/QuilloTooltipPill.h"

#include <QEnterEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace quillo {
namespace {

using namespace QuilloTooltipPositioning;

// A clock the test moves by hand.
class ManualClock final : public QuilloTooltipClock {
public:
    void after(int ms, QObject* context, std::function<void()> work) override {
        pending.push_back({now + ms, QPointer<QObject>(context), std::move(work)});
    }
    void advanceTo(int ms) {
        now = ms;
        for (auto& entry : pending)
            if (entry.work && entry.due <= now && entry.context) std::exchange(entry.work, {})();
    }
    int now = 0;

private:
    struct Entry {
        int due;
        QPointer<QObject> context;
        std::function<void()> work;
    };
    std::vector<Entry> pending;
};

TEST(TooltipPlacement, HorizontalCorrectionKeepsThePillEightPointsInside) {
    const QRectF container(0, 0, 400, 300);
    EXPECT_EQ(horizontalCorrection({190, 10, 20, 20}, {100, 20}, container), 0);    // centred
    EXPECT_EQ(horizontalCorrection({0, 10, 20, 20}, {100, 20}, container), 48);     // 8 - (10 - 50)
    EXPECT_EQ(horizontalCorrection({380, 10, 20, 20}, {100, 20}, container), -48);  // 392 - 440
    EXPECT_EQ(horizontalCorrection({0, 10, 20, 20}, {0, 0}, container), 0);         // not measured yet
    EXPECT_EQ(horizontalCorrection({0, 10, 20, 20}, {100, 20}, {}), 0);             // no container
    // Too wide for both sides: aligned 8 points from the left, overflowing on the right.
    EXPECT_EQ(horizontalCorrection({90, 10, 20, 20}, {220, 20}, {0, 0, 200, 300}), 8 - (100 - 110));
}

TEST(TooltipPlacement, ThePillNeverComesCloserThanFourPoints) {
    const QRectF control(100, 100, 40, 20);
    // A one-line pill keeps the gap of 30 less its height ...
    EXPECT_EQ(pillTop(control, 20, QuilloEdge::bottom), 120 + 10);
    EXPECT_EQ(pillTop(control, 20, QuilloEdge::top), 100 - 10 - 20);
    // ... a wrapped one stays 4 points clear instead of covering the control.
    EXPECT_EQ(pillTop(control, 38, QuilloEdge::bottom), 120 + 4);
    EXPECT_EQ(pillTop(control, 38, QuilloEdge::top), 100 - 4 - 38);
    for (QuilloEdge edge : {QuilloEdge::leading, QuilloEdge::trailing})
        EXPECT_EQ(pillTop(control, 20, edge), pillTop(control, 20, QuilloEdge::bottom));
}

class TooltipTest : public ::testing::Test {
protected:
    void SetUp() override {
        QuilloAnimation::setEnabled(false);
        window.resize(400, 300);
        button = new QPushButton("Export", &window);
        button->setGeometry(300, 100, 90, 24);
        window.show();
    }
    void TearDown() override { QuilloAnimation::setEnabled(true); }

    void enter(QWidget* w) {
        QEnterEvent event(QPointF(5, 5), w->mapTo(w->window(), QPointF(5, 5)), w->mapToGlobal(QPointF(5, 5)));
        QCoreApplication::sendEvent(w, &event);
    }
    void leave(QWidget* w) {
        QEvent event(QEvent::Leave);
        QCoreApplication::sendEvent(w, &event);
    }

    ManualClock clock;
    QWidget window;
    QPushButton* button = nullptr;
};

TEST_F(TooltipTest, ShowsAfterThePointerRestsAndHidesOnLeaving) {
    auto* tooltip = new QuilloTooltip(button, "Refresh now", std::nullopt, QuilloEdge::bottom, &clock);
    enter(button);
    clock.advanceTo(200);
    EXPECT_FALSE(tooltip->isShown());
    clock.advanceTo(400);
    ASSERT_TRUE(tooltip->isShown());
    ASSERT_TRUE(tooltip->pill()->isVisible());
    EXPECT_TRUE(tooltip->pill()->testAttribute(Qt::WA_TransparentForMouseEvents));  // clicks pass through

    leave(button);
    EXPECT_FALSE(tooltip->isShown());
    EXPECT_FALSE(tooltip->pill()->isVisible());
}

TEST_F(TooltipTest, PassingOverQuicklyNeverShowsAndAnEarlierWaitMayShowOnReentry) {
    auto* tooltip = new QuilloTooltip(button, "Refresh now", std::nullopt, QuilloEdge::bottom, &clock);
    enter(button);
    clock.advanceTo(100);
    leave(button);
    clock.advanceTo(1000);
    EXPECT_FALSE(tooltip->isShown());

    enter(button);  // wait 1 ends at 1350
    clock.advanceTo(1200);
    leave(button);
    enter(button);  // wait 2 ends at 1550; wait 1 is not cancelled
    clock.advanceTo(1360);
    EXPECT_TRUE(tooltip->isShown());
}

// The control moves inside a container that moves, and then the window is resized: the pill stays
// under the control.
TEST_F(TooltipTest, AShownPillFollowsItsControl) {
    auto* box = new QWidget(&window);
    box->setGeometry(0, 0, 300, 200);
    box->show();
    auto* control = new QPushButton("Chip", box);
    control->setGeometry(100, 50, 60, 20);
    control->show();
    auto* tooltip = new QuilloTooltip(control, "Refresh now", std::nullopt, QuilloEdge::bottom, &clock);
    enter(control);
    clock.advanceTo(400);
    ASSERT_TRUE(tooltip->isShown());
    const auto offset = [&] { return tooltip->pill()->geometry().center() - control->mapTo(&window, QPoint(30, 10)); };
    const QPoint start = offset();

    control->move(140, 60);
    EXPECT_EQ(offset(), start);
    box->move(20, 30);
    EXPECT_EQ(offset(), start);
    window.resize(420, 320);
    EXPECT_EQ(offset(), start);
}

TEST_F(TooltipTest, APressHidesThePillAndTheClickStillGoesThrough) {
    auto* tooltip = new QuilloTooltip(button, "Refresh now", std::nullopt, QuilloEdge::bottom, &clock);
    QSignalSpy clicked(button, &QPushButton::clicked);
    enter(button);
    clock.advanceTo(400);
    ASSERT_TRUE(tooltip->isShown());
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(tooltip->isShown());
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_TRUE(tooltip->isHovering());  // shows again only after leaving and coming back
}

TEST_F(TooltipTest, AWrappedPillStaysClearOfItsControlAndInsideItsWindow) {
    auto* tooltip =
        new QuilloTooltip(button, "Export shown to-dos as a Reminders list", std::nullopt, QuilloEdge::bottom, &clock);
    // Another window has the focus; the bounds still come from the control's own window.
    QWidget other;
    other.resize(1000, 800);
    other.show();
    other.activateWindow();

    enter(button);
    clock.advanceTo(400);
    const QRect pill = tooltip->pill()->geometry();
    EXPECT_GT(pill.height(), 30);  // wraps to two lines
    EXPECT_LE(pill.width(), int(QuilloTooltipPill::kMaximumWidth));
    EXPECT_GE(pill.top(), button->geometry().bottom() + 1 + int(kMinimumGap));
    EXPECT_LE(pill.right() + 1, window.width() - 8);

    auto* above =
        new QuilloTooltip(button, "Export shown to-dos as a Reminders list", std::nullopt, QuilloEdge::top, &clock);
    leave(button);
    enter(button);
    clock.advanceTo(800);
    EXPECT_LE(above->pill()->geometry().bottom() + 1, button->geometry().top() - int(kMinimumGap));
}

TEST_F(TooltipTest, TheControlIsNamedByTheTextAndDescribedByTheShortcut) {
    new QuilloTooltip(button, "Refresh now", std::nullopt, QuilloEdge::bottom, &clock);
    EXPECT_EQ(button->accessibleName(), "Refresh now");
    EXPECT_EQ(button->accessibleDescription(), "");
    QPushButton other("x", &window);
    new QuilloTooltip(&other, "Search", QString("Ctrl+F"), QuilloEdge::top, &clock);
    EXPECT_EQ(other.accessibleDescription(), "Shortcut Ctrl+F");

    EXPECT_EQ(currentContainerBounds(button), QRectF(0, 0, 400, 300));
    QWidget loose;
    EXPECT_EQ(currentContainerBounds(&loose), QRectF(QGuiApplication::primaryScreen()->availableGeometry()));
}

}  // namespace
}  // namespace quillo
