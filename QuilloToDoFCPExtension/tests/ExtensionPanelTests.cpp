#include "QuilloToDoFCPExtension/ExtensionPanelText.h"
#include "QuilloToDoFCPExtension/QuilloToDoFCPExtensionViewController.h"

#include "QuilloToDoKit/QuilloToDoModel/tests/ModelTestSupport.h"

#include "Platform/FCPXHost/FCPXHost.h"
#include "Platform/FCPXHost/FCPXTime.h"
#include "Platform/FCPXHost/StandInHost.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <sstream>
#include <thread>
#include <vector>

namespace quillo {
namespace {

constexpr int kTimeoutMs = 10'000;

TodoItem itemOn(std::string timelineName, double seconds) {
    TodoItem item = test::plausibleItem();
    item.timelineName = std::move(timelineName);
    item.timelinePositionSeconds = seconds;
    return item;
}

TEST(ExtensionPanelTextTest, StatusCountsMarkersWithThePluralFromTwo) {
    EXPECT_EQ(extensionpaneltext::status(0), QStringLiteral("Waiting for QuilloToDo…"));
    EXPECT_EQ(extensionpaneltext::status(1), QStringLiteral("1 marker"));
    EXPECT_EQ(extensionpaneltext::status(2), QStringLiteral("2 markers"));
}

TEST(ExtensionPanelTextTest, CellStartsWithTheAssigneeWhenPresentEvenEmpty) {
    TodoItem item = test::plausibleItem();
    EXPECT_EQ(extensionpaneltext::cell(item), QStringLiteral("Anna: Fix the colour in shot 4  [00:01:23:06]"));
    item.assigneeName = "";
    EXPECT_EQ(extensionpaneltext::cell(item), QStringLiteral(": Fix the colour in shot 4  [00:01:23:06]"));
    item.assigneeName = std::nullopt;
    EXPECT_EQ(extensionpaneltext::cell(item), QStringLiteral("Fix the colour in shot 4  [00:01:23:06]"));
}

TEST(FCPXTimeTest, SecondsBecomeTicksOnlyWhenFiniteAndInRange) {
    EXPECT_EQ(platform::FCPXTime::fromSeconds(83.25, 600), (platform::FCPXTime{49'950, 600}));
    EXPECT_EQ(platform::FCPXTime::fromSeconds(-1.0 / 3.0, 600), (platform::FCPXTime{-200, 600}));
    EXPECT_FALSE(platform::FCPXTime::fromSeconds(std::numeric_limits<double>::quiet_NaN(), 600));
    EXPECT_FALSE(platform::FCPXTime::fromSeconds(std::numeric_limits<double>::infinity(), 600));
    EXPECT_FALSE(platform::FCPXTime::fromSeconds(1.6e16, 600));  // 9.6e18 ticks > 2^63
    EXPECT_TRUE(platform::FCPXTime::fromSeconds(1.5e16, 600));
}

// The panel with the stand-in host (or none), its playhead moves and beeps counted.
class ExtensionPanelTest : public ::testing::Test {
protected:
    // The panel's client browses; pointed at no system bus it finds no daemon, so no other test's
    // server can feed it a list. libdbus reads the address when the first client connects.
    static void SetUpTestSuite() { qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/quillo-test-bus"); }

    void TearDown() override {
        panel_.reset();
        platform::setProExtensionHostSingleton(nullptr);
    }

    void makePanel(std::optional<std::string> activeSequence, bool withHost = true) {
        if (withHost) {
            host_ = std::make_unique<platform::StandInHost>(std::move(activeSequence), playheadMoves_);
            platform::setProExtensionHostSingleton(host_.get());
        }
        panel_ = std::make_unique<QuilloToDoFCPExtensionViewController>(nullptr, [this] { ++beeps_; });
        panel_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(panel_.get()));
    }

    QString status() const { return panel_->statusLabel()->text(); }

    bool waitForStatus(const QString& text) {
        return QTest::qWaitFor([&] { return status() == text; }, kTimeoutMs);
    }

    // As a user makes it: a click, then the double-click event (QTest sends a widget only the latter).
    void doubleClick(QPoint position) {
        QTest::mouseClick(panel_->tableView()->viewport(), Qt::LeftButton, {}, position);
        QTest::mouseDClick(panel_->tableView()->viewport(), Qt::LeftButton, {}, position);
    }

    void doubleClickRow(int row) {
        const QModelIndex index = panel_->tableView()->model()->index(row, 0);
        doubleClick(panel_->tableView()->visualRect(index).center());
    }

    std::ostringstream playheadMoves_;
    int beeps_ = 0;
    std::unique_ptr<platform::StandInHost> host_;
    std::unique_ptr<QuilloToDoFCPExtensionViewController> panel_;
};

TEST_F(ExtensionPanelTest, StatusMovesFromConnectingToWaitingToTheCount) {
    makePanel("Main cut");
    // The host is asked once control is back in the event loop: until then the panel is connecting.
    auto fresh = std::make_unique<QuilloToDoFCPExtensionViewController>(nullptr, [] {});
    EXPECT_EQ(fresh->statusLabel()->text(), QStringLiteral("Connecting to QuilloToDo…"));
    fresh.reset();

    EXPECT_TRUE(waitForStatus(QStringLiteral("Waiting for QuilloToDo…")));
    panel_->didReceive({itemOn("Main cut", 1)});
    EXPECT_EQ(status(), QStringLiteral("1 marker"));
    panel_->didReceive({itemOn("Main cut", 1), itemOn("Main cut", 2)});
    EXPECT_EQ(status(), QStringLiteral("2 markers"));
    EXPECT_EQ(panel_->tableView()->model()->rowCount(), 2);
    panel_->didReceive({});
    EXPECT_EQ(status(), QStringLiteral("Waiting for QuilloToDo…"));
    EXPECT_EQ(panel_->tableView()->model()->rowCount(), 0);
}

TEST_F(ExtensionPanelTest, RowsShowTheirCellTexts) {
    makePanel("Main cut");
    TodoItem bare = test::plausibleItem();
    bare.assigneeName = std::nullopt;
    panel_->didReceive({test::plausibleItem(), bare});
    const auto* model = panel_->tableView()->model();
    EXPECT_EQ(model->data(model->index(0, 0)).toString(),
              QStringLiteral("Anna: Fix the colour in shot 4  [00:01:23:06]"));
    EXPECT_EQ(model->data(model->index(1, 0)).toString(), QStringLiteral("Fix the colour in shot 4  [00:01:23:06]"));
    EXPECT_FALSE(model->data(model->index(2, 0)).isValid());
}

TEST_F(ExtensionPanelTest, DoubleClickJumpsOnTheActiveSequenceBeepsElsewhereAndIgnoresEmptySpace) {
    makePanel("Main cut");
    ASSERT_TRUE(waitForStatus(QStringLiteral("Waiting for QuilloToDo…")));
    panel_->didReceive({itemOn("Main cut", 83.25), itemOn("Other cut", 10)});

    doubleClickRow(0);
    EXPECT_EQ(playheadMoves_.str(), "playhead 49950/600\n");
    EXPECT_EQ(beeps_, 0);

    doubleClickRow(1);
    EXPECT_EQ(beeps_, 1);

    const QRect lastRow = panel_->tableView()->visualRect(panel_->tableView()->model()->index(1, 0));
    doubleClick(QPoint(lastRow.center().x(), lastRow.bottom() + 40));
    EXPECT_EQ(beeps_, 1);
    EXPECT_EQ(playheadMoves_.str(), "playhead 49950/600\n");

    // The next double-click follows the host's newly active sequence.
    host_->setActiveSequence("Other cut");
    doubleClickRow(1);
    EXPECT_EQ(playheadMoves_.str(), "playhead 49950/600\nplayhead 6000/600\n");
    doubleClickRow(0);
    EXPECT_EQ(beeps_, 2);
    host_->setActiveSequence(std::nullopt);
    doubleClickRow(1);
    EXPECT_EQ(beeps_, 3);
}

// Positions come from the socket: one the host's time value cannot hold beeps instead of moving.
TEST_F(ExtensionPanelTest, PositionThatIsNotFiniteOrTooLargeBeeps) {
    makePanel("Main cut");
    ASSERT_TRUE(waitForStatus(QStringLiteral("Waiting for QuilloToDo…")));
    panel_->didReceive({itemOn("Main cut", std::numeric_limits<double>::infinity()),
                        itemOn("Main cut", std::numeric_limits<double>::quiet_NaN()), itemOn("Main cut", 1e300)});
    for (int row = 0; row < 3; ++row) doubleClickRow(row);
    EXPECT_EQ(beeps_, 3);
    EXPECT_EQ(playheadMoves_.str(), "");
}

TEST_F(ExtensionPanelTest, WithoutAHostThePanelSaysSoShowsListsAndBeeps) {
    makePanel(std::nullopt, false);
    EXPECT_TRUE(waitForStatus(QStringLiteral("Failed to connect to Final Cut Pro")));
    panel_->didReceive({itemOn("Main cut", 1)});
    EXPECT_EQ(status(), QStringLiteral("1 marker"));
    doubleClickRow(0);
    EXPECT_EQ(beeps_, 1);
}

TEST_F(ExtensionPanelTest, SequenceChangeToldOnTheHostsThreadReachesThePanel) {
    makePanel("Main cut");
    ASSERT_TRUE(waitForStatus(QStringLiteral("Waiting for QuilloToDo…")));
    panel_->didReceive({itemOn("Other cut", 1)});
    std::thread hostThread([&] { host_->setActiveSequence("Other cut"); });
    hostThread.join();
    QCoreApplication::processEvents();
    doubleClickRow(0);
    EXPECT_EQ(playheadMoves_.str(), "playhead 600/600\n");
    EXPECT_EQ(beeps_, 0);
}

TEST_F(ExtensionPanelTest, ReleaseUnregistersTheObserver) {
    makePanel("Main cut");
    ASSERT_TRUE(waitForStatus(QStringLiteral("Waiting for QuilloToDo…")));
    EXPECT_EQ(host_->observers().size(), 1u);
    panel_.reset();
    EXPECT_TRUE(host_->observers().empty());
}

}  // namespace
}  // namespace quillo
