#include "QuilloToDo/Views/Shell/MainWindow.h"

#include "QuilloDesignKit/QuilloAnimation.h"
#include "QuilloDesignKit/QuilloButton.h"
#include "QuilloDesignKit/QuilloSplitShell.h"
#include "QuilloDesignKit/QuilloSymbolButton.h"
#include "QuilloDesignKit/QuilloTooltip.h"
#include "QuilloDesignKit/QuilloTooltipPill.h"
#include "QuilloDesignKit/QuilloTrafficLights.h"
#include "QuilloToDo/Controllers/PostlabLibraryLocator.h"
#include "QuilloToDo/IPC/TodoIPCServer.h"
#include "QuilloToDo/Settings/AppNotifications.h"
#include "QuilloToDo/Views/Content/ContentPane.h"
#include "QuilloToDo/Views/Shell/EmptyStateView.h"
#include "QuilloToDo/Views/Sidebar/LibrarySourceListView.h"
#include "QuilloToDo/Views/testing/WindowTestFixture.h"

#include "Platform/Reminders/ReminderStore.h"
#include "QuilloToDo/Services/RemindersExportService.h"
#include "testing/PathPrefix.h"

#include <filesystem>
#include <fstream>

using namespace quillo;
using namespace quillo::test;

namespace {

class MainWindowTest : public WindowTest {
protected:
    MainWindowTest() : server_(nullptr, TodoIPCServer::Announcement::none) {
        QuilloAnimation::setEnabled(false);
        auto panel = std::make_unique<AnsweringPanel>();
        panel_ = panel.get();
        window_ = std::make_unique<MainWindow>(MainWindowParts{
            .libraries = libraries_,
            .index = index_,
            .filter = filter_,
            .ipcServer = server_,
            .locator = locator_,
            .settings = windowSettings_,
            .remindersExport = remindersExport_,
            .addPanel = std::move(panel),
        });
    }

    PostlabLibraryLocator locator_;
    TodoIPCServer server_;
    RemindersExportService remindersExport_{&settings_, qPath(dir_.path() / "reminders_mapping.json"),
                                            std::make_unique<platform::ReminderStore>(dir_.path() / "reminders")};
    AnsweringPanel* panel_;
    std::unique_ptr<MainWindow> window_;
};

}  // namespace

TEST_F(MainWindowTest, ShowsTheFirstRunViewUntilALibraryIsWatchedAndAgainAfterTheLastIsRemoved) {
    window_->show();
    EXPECT_TRUE(window_->showsEmptyState());
    EXPECT_TRUE(window_->trafficLights()->isVisibleTo(window_.get()));
    EXPECT_FALSE(window_->sidebarCollapseButton()->isVisibleTo(window_.get()));
    // The window is styled on the event loop's next turn.
    EXPECT_TRUE(waitUntil([&] { return window_->minimumSize() == QSize(720, 480); }));

    panel_->answer = urlOf(bundle("a", "QuilloWindowCut", 2));
    window_->emptyState()->addButton()->click();
    EXPECT_FALSE(window_->showsEmptyState());
    EXPECT_TRUE(window_->sidebarCollapseButton()->isVisibleTo(window_.get()));
    // Adding the library changed the watched URLs: the refresh follows by itself.
    ASSERT_TRUE(waitUntil([&] { return index_.items().size() == 2 && libraries_.watchedLibraries()[0]->isLoaded(); }));
    EXPECT_EQ(window_->sidebar()->libraryCards().size(), 1);
    EXPECT_EQ(window_->sidebar()->eventCards().size(), 1);

    libraries_.removeLibrary(0);
    EXPECT_TRUE(window_->showsEmptyState());
    EXPECT_FALSE(window_->sidebarCollapseButton()->isVisibleTo(window_.get()));
    ASSERT_TRUE(waitUntil([&] { return index_.items().empty(); }));
}

TEST_F(MainWindowTest, TheCollapseButtonHidesAndShowsTheSidebar) {
    libraries_.addLibrary(urlOf(bundle("a", "QuilloWindowFold")));
    window_->show();
    QuilloSymbolButton* button = window_->sidebarCollapseButton();
    EXPECT_EQ(button->tooltip()->text(), "Hide Sidebar");
    button->click();
    EXPECT_TRUE(window_->isSidebarCollapsed());
    EXPECT_TRUE(window_->shell()->isSidebarCollapsed());
    EXPECT_TRUE(window_->contentPane()->isSidebarCollapsed());
    EXPECT_EQ(button->tooltip()->text(), "Show Sidebar");
    button->click();
    EXPECT_FALSE(window_->shell()->isSidebarCollapsed());
    EXPECT_EQ(button->tooltip()->text(), "Hide Sidebar");
}

TEST_F(MainWindowTest, TheSheetNotificationsAndTheExportButtonAskForTheirSheets) {
    AppNotifications::defaultCenter().post(QStringLiteral("showFeedbackSheet"));
    EXPECT_FALSE(window_->showFeedback());  // a closed window presents nothing
    window_->show();
    AppNotifications::defaultCenter().post(QStringLiteral("showFeedbackSheet"));
    EXPECT_TRUE(window_->showFeedback());
    EXPECT_FALSE(window_->showRemindersExport());
    AppNotifications::defaultCenter().post(QStringLiteral("showRemindersExportSheet"));
    EXPECT_TRUE(window_->showRemindersExport());
}

// The open-library search that starts a refresh (an lsof of the test's own, which waits for a go)
// keeps "Refresh now" disabled as the scan after it does.
TEST_F(MainWindowTest, RefreshNowWaitsWhileTheRefreshSearchesForOpenLibraries) {
    libraries_.addLibrary(urlOf(bundle("a", "QuilloWindowSearch")));
    const std::filesystem::path bin = dir_.path() / "bin";
    std::filesystem::create_directories(bin);
    quillo::testing::writeShellScript(bin / "lsof",
                                      "while [ ! -e '" + (bin / "go").string() + "' ]; do sleep 0.01; done\n");
    const quillo::testing::PathPrefix path(bin);
    window_->show();  // the first refresh starts with its search
    QuilloSymbolButton* refresh = window_->contentPane()->refreshButton();
    EXPECT_FALSE(refresh->isEnabled());
    EXPECT_FALSE(index_.isRefreshing());  // searching, not scanning yet

    std::ofstream(bin / "go").put('\n');
    ASSERT_TRUE(waitUntil([&] { return refresh->isEnabled() && libraries_.watchedLibraries()[0]->isLoaded(); }));
}
