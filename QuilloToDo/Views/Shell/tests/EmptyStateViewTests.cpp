#include "QuilloToDo/Views/Shell/EmptyStateView.h"

#include "QuilloDesignKit/QuilloButton.h"
#include "QuilloToDo/Views/testing/WindowTestFixture.h"
#include "testing/FinalCutProProcess.h"

#include <QDropEvent>
#include <QLabel>
#include <QMimeData>

using namespace quillo;
using namespace quillo::test;
namespace fs = std::filesystem;

namespace {

const QString kStandInName = QStringLiteral("QuilloFirstFCP");

class EmptyStateTest : public WindowTest {
protected:
    EmptyStateTest() : WindowTest(kStandInName), view_(libraries_, windowSettings_, panel_) {}

    QStringList texts() const {
        QStringList shown;
        for (const auto* label : view_.findChildren<QLabel*>()) {
            if (label->isVisibleTo(&view_)) shown.append(label->text());
        }
        return shown;
    }
    QStringList watchedNames() const {
        QStringList names;
        for (const auto* library : libraries_.watchedLibraries()) names.append(library->name());
        return names;
    }

    EmptyStateView view_;
};

}  // namespace

TEST_F(EmptyStateTest, InvitesWithItsTextsAndAddsTheBundleThePanelAnswers) {
    EXPECT_EQ(texts(), (QStringList{"Drop an FCP Library here", "or click the button below"}));
    EXPECT_EQ(view_.addButton()->text(), "Add Library...");
    EXPECT_TRUE(view_.addButton()->isActive());
    EXPECT_EQ(view_.detectButton()->text(), "Detect from Final Cut Pro");
    EXPECT_FALSE(view_.detectButton()->isActive());

    view_.addButton()->click();  // cancelled
    EXPECT_TRUE(libraries_.watchedLibraries().isEmpty());
    panel_.answer = urlOf(bundle("a", "Spot"));
    view_.addButton()->click();
    EXPECT_EQ(watchedNames(), QStringList{"Spot"});
}

TEST_F(EmptyStateTest, DetectionAddsEveryOpenLibraryInOrderOrShowsWhyItCouldNot) {
    ASSERT_TRUE(awaitFuture(view_.detect()));
    EXPECT_TRUE(libraries_.watchedLibraries().isEmpty());
    EXPECT_TRUE(texts().contains("Final Cut Pro is not running."));

    QStringList open;
    for (const auto* name : {"Three", "One", "Two"})
        open.append(qPath(bundle(name, name) / "Day 1/CurrentVersion.fcpevent"));
    quillo::testing::FinalCutProProcess application(dir_.path(), open, kStandInName);
    ASSERT_TRUE(application.isReady());
    ASSERT_TRUE(awaitFuture(view_.detect()));
    EXPECT_EQ(watchedNames(), (QStringList{"Three", "One", "Two"}));
    EXPECT_FALSE(texts().contains("Final Cut Pro is not running."));
}

// The invitation reads "Drop", but the view takes no drop: the buttons are the only ways in.
TEST_F(EmptyStateTest, ALibraryDroppedOnTheViewIsNotAdded) {
    EXPECT_FALSE(view_.acceptDrops());
    QMimeData data;
    data.setUrls({urlOf(bundle("a", "Dropped"))});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&view_, &drop);
    EXPECT_TRUE(libraries_.watchedLibraries().isEmpty());
}
