#include "Platform/WindowSystem/CursorStack.h"
#include "QuilloDesignKit/QuilloAnimation.h"
#include "QuilloDesignKit/QuilloFloatingPanel.h"
#include "QuilloDesignKit/QuilloFloatingPanelColumn.h"
#include "QuilloDesignKit/QuilloSidebarResizeHandle.h"
#include "QuilloDesignKit/QuilloSplitShell.h"
#include "QuilloDesignKit/QuilloSymbolButton.h"

#include <QEnterEvent>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace quillo {
namespace {

TEST(SidebarResize, ClampsToTheBoundsAndTheMaximumWins) {
    EXPECT_EQ(QuilloSidebarResize::clampedWidth(100, 200, 400), 200);
    EXPECT_EQ(QuilloSidebarResize::clampedWidth(300, 200, 400), 300);
    EXPECT_EQ(QuilloSidebarResize::clampedWidth(500, 200, 400), 400);
    EXPECT_EQ(QuilloSidebarResize::clampedWidth(400, 200, 400), 400);
    EXPECT_EQ(QuilloSidebarResize::clampedWidth(100, 500, 300), 300);  // minimum above maximum

    QuilloSidebarResize drag;
    EXPECT_EQ(drag.change(10, 250, 200, 400), 260);
    EXPECT_EQ(drag.change(30, 260, 200, 400), 280);  // from the start width, not the last one
    drag.end();
    EXPECT_FALSE(drag.dragStartWidth().has_value());
}

class SplitShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        QuilloAnimation::setEnabled(false);
        make(200, 300, 400);
    }
    void TearDown() override {
        delete shell;
        while (platform::CursorStack::top()) platform::CursorStack::pop();
        QuilloAnimation::setEnabled(true);
    }
    void make(double minimum, double ideal, double maximum) {
        delete shell;
        shell = new QuilloSplitShell({.baseColor = Qt::black,
                                      .baseOpacity = 0.95,
                                      .sidebarCardColor = QColor(18, 18, 18),
                                      .sidebarCardOpacity = 1,
                                      .minSidebarWidth = minimum,
                                      .idealSidebarWidth = ideal,
                                      .maxSidebarWidth = maximum},
                                     new QLabel("sidebar"), new QLabel("content"));
        shell->resize(1000, 600);
        shell->show();
    }
    // Presses on the handle, moves `dx` sideways and releases, in global positions.
    void drag(double dx) {
        QWidget* handle = shell->resizeHandle();
        const QPointF local(4, 100);
        const QPointF start = handle->mapToGlobal(local);
        send(handle, QEvent::MouseButtonPress, local, start, Qt::LeftButton);
        send(handle, QEvent::MouseMove, local, start + QPointF(dx, 0), Qt::LeftButton);
        send(handle, QEvent::MouseButtonRelease, local, start + QPointF(dx, 0), Qt::NoButton);
    }
    static void send(QWidget* w, QEvent::Type type, QPointF local, QPointF global, Qt::MouseButtons buttons) {
        QMouseEvent event(type, local, global, Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &event);
    }
    void hoverHandle() {
        QEnterEvent event(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
        QCoreApplication::sendEvent(shell->resizeHandle(), &event);
    }

    QuilloSplitShell* shell = nullptr;
};

TEST_F(SplitShellTest, DragsResizeFromWhereTheLastOneLeftAndStopAtTheBounds) {
    EXPECT_EQ(shell->sidebarCardRect(), QRectF(8, 0, 300, 600));
    EXPECT_EQ(shell->content()->geometry().left(), 300 + 17);
    drag(40);
    EXPECT_EQ(shell->sidebarWidth(), 340);
    drag(-20);
    EXPECT_EQ(shell->sidebarWidth(), 320);
    drag(0.4);  // under one point: no drag at all (widgets see whole global points)
    EXPECT_EQ(shell->sidebarWidth(), 320);
    drag(500);
    EXPECT_EQ(shell->sidebarWidth(), 400);
    drag(-1000);
    EXPECT_EQ(shell->sidebarWidth(), 200);
    EXPECT_EQ(shell->content()->geometry().left(), 200 + 17);
    EXPECT_EQ(shell->resizeHandle()->geometry(), QRect(208, 0, 9, 600));
}

TEST_F(SplitShellTest, AnIdealWidthOutOfBoundsIsClampedByTheFirstDragAndTheMaximumWins) {
    make(200, 600, 400);
    EXPECT_EQ(shell->sidebarWidth(), 600);
    drag(1);
    EXPECT_EQ(shell->sidebarWidth(), 400);
    make(500, 300, 350);
    drag(-5);
    EXPECT_EQ(shell->sidebarWidth(), 350);
}

TEST_F(SplitShellTest, CollapsingHidesCardAndHandleAndKeepsTheWidth) {
    drag(20);
    shell->setSidebarCollapsed(true, true);
    EXPECT_FALSE(shell->sidebar()->isVisible());
    EXPECT_FALSE(shell->resizeHandle()->isVisible());
    EXPECT_EQ(shell->content()->geometry(), QRect(0, 0, 1000, 600));
    shell->setSidebarCollapsed(false, true);
    EXPECT_TRUE(shell->sidebar()->isVisible());
    EXPECT_EQ(shell->sidebarWidth(), 320);
    EXPECT_EQ(shell->sidebar()->geometry(), QRect(8, 0, 320, 600));
}

TEST_F(SplitShellTest, TheResizeCursorIsPoppedWhenTheHandleStopsBeingHoveredForAnyReason) {
    platform::CursorStack::push(Qt::WaitCursor);  // someone else's, which must survive
    hoverHandle();
    ASSERT_EQ(platform::CursorStack::top()->shape(), Qt::SizeHorCursor);

    shell->setSidebarCollapsed(true);  // under the pointer: no leave event arrives
    EXPECT_EQ(platform::CursorStack::top()->shape(), Qt::WaitCursor);
    EXPECT_FALSE(shell->resizeHandle()->hasPushedCursor());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(shell->resizeHandle(), &leave);  // a late leave pops nothing
    EXPECT_EQ(platform::CursorStack::top()->shape(), Qt::WaitCursor);

    shell->setSidebarCollapsed(false);
    hoverHandle();
    hoverHandle();  // entering twice pushes once
    shell->hide();
    EXPECT_EQ(platform::CursorStack::top()->shape(), Qt::WaitCursor);
    platform::CursorStack::pop();
    EXPECT_EQ(platform::CursorStack::top(), nullptr);
}

TEST(FloatingPanel, ShowsOnlyTheButtonsWhoseActionsAreGiven) {
    QuilloFloatingPanel bare("Details", "", {}, {}, new QLabel("x"));
    EXPECT_EQ(bare.expandButton(), nullptr);
    EXPECT_EQ(bare.closeButton(), nullptr);

    int closed = 0;
    QuilloFloatingPanel closable(
        "Status", "waveform.path.ecg", {}, [&] { ++closed; }, new QLabel("x"));
    ASSERT_NE(closable.closeButton(), nullptr);
    EXPECT_EQ(closable.expandButton(), nullptr);
    EXPECT_EQ(closable.closeButton()->symbol(), "xmark");
    EXPECT_EQ(closable.closeButton()->accessibleName(), "Close");
    closable.resize(300, 200);
    closable.show();
    QTest::mouseClick(closable.closeButton(), Qt::LeftButton);
    EXPECT_EQ(closed, 1);

    QuilloGlassSection section("Section", "", new QLabel("x"));
    EXPECT_EQ(section.closeButton(), nullptr);

    QuilloFloatingPanelColumn column(330, QuilloEdge::trailing);
    EXPECT_EQ(column.width(), 330);
    EXPECT_EQ(column.findChild<QVBoxLayout*>()->contentsMargins(), QMargins(0, 8, 8, 8));
}

}  // namespace
}  // namespace quillo

namespace quillo {
namespace {

// The panel column moves in and out over the layout animation; off screen it changes at once.
TEST(FloatingPanelColumn, RevealsAndHidesThroughTheLayoutAnimationOnScreen) {
    QWidget window;
    auto* column = new QuilloFloatingPanelColumn(320, QuilloEdge::trailing, &window);
    column->addPanel(new QLabel("panel"));
    column->setRevealed(false, true);
    EXPECT_TRUE(column->isHidden());  // the window is not on screen yet

    window.resize(800, 400);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    column->setRevealed(true, true);
    EXPECT_TRUE(column->isVisible());
    EXPECT_LT(column->width(), 320);
    QTRY_COMPARE(column->width(), 320);
    EXPECT_EQ(column->findChild<QLabel*>()->parentWidget()->width(), 320);  // the panels keep their width

    column->setRevealed(false, true);
    EXPECT_TRUE(column->isVisible());
    QTRY_VERIFY(column->isHidden());
    EXPECT_EQ(column->width(), 320);  // ready to move in again
}

}  // namespace
}  // namespace quillo
