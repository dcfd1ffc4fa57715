#include "QuilloToDo/Views/Shell/MainWindow.h"

#include "QuilloDesignKit/QuilloAnimation.h"
#include "QuilloDesignKit/QuilloButton.h"
#include "QuilloDesignKit/QuilloCountBadge.h"
#include "QuilloDesignKit/QuilloSplitShell.h"
#include "QuilloDesignKit/QuilloSymbolButton.h"
#include "QuilloDesignKit/QuilloTooltip.h"
#include "QuilloDesignKit/QuilloTooltipPill.h"
#include "QuilloDesignKit/QuilloTrafficLights.h"
#include "QuilloToDo/Controllers/PostlabLibraryLocator.h"
#include "QuilloToDo/IPC/TodoIPCServer.h"
#include "QuilloToDo/Settings/AppNotifications.h"
#include "QuilloToDo/Views/Content/ContentPane.h"
#include "QuilloToDo/Views/Content/FooterView.h"
#include "QuilloToDo/Views/Content/SearchBar.h"
#include "QuilloToDo/Views/List/TodoListModel.h"
#include "QuilloToDo/Views/List/TodoListView.h"
#include "QuilloToDo/Views/Shared/ViewTexts.h"
#include "QuilloToDo/Views/Sidebar/EventCard.h"
#include "QuilloToDo/Views/Sidebar/TimelineToggleRow.h"
#include "QuilloToDo/Views/Shell/EmptyStateView.h"
#include "QuilloToDo/Views/Sidebar/LibrarySourceListView.h"
#include "QuilloToDo/Views/testing/WindowTestFixture.h"

#include "Platform/Reminders/ReminderStore.h"
#include "QuilloToDo/Services/RemindersExportService.h"
#include "testing/PathPrefix.h"

#include <QLineEdit>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <map>

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

// What the window shows while a search is typed key by key, real keys into the real field: the list
// holds exactly the items the filter's rule matches, the footer counts them, and every event card and
// timeline row counts its own, until Backspace has emptied the field and everything is back.
TEST_F(MainWindowTest, TypingASearchShowsAndCountsWhatTheFilterMatchesAndClearingBringsEverythingBack) {
    std::filesystem::create_directories(dir_.path() / "cut");
    {
        quillo::testing::LibraryBuilder library(dir_.path() / "cut", "Cut");
        int n = 0;
        for (const auto* day : {"Day 1", "Caf\xC3\xA9 night"}) {
            for (const auto* timeline : {"Main", "TEASER"}) {
                auto clip = library.event(day).sequence(timeline).clip("Shot", 0.0, 60.0);
                for (const auto* text : {"Fix the sky", "@Ann check the HORIZON", "Grade cafe\xCC\x81 shot", "Act one"})
                    clip.marker(text, quillo::testing::MarkerType::todo, 1.0 + n++, {.completed = false});
            }
        }
        libraries_.addLibrary(urlOf(library.finish()));
    }
    window_->show();
    ASSERT_TRUE(waitUntil([&] { return index_.items().size() == 16 && !index_.isRefreshing(); }));
    filter_.searchTextsFolded().waitForFinished();
    window_->sidebar()->eventCards()[0]->headerButton()->click();  // one card open, one folded

    QLineEdit* field = window_->contentPane()->searchBar()->field();
    field->setFocus();
    const auto shows = [&](const std::string& typed) {
        const MarkerFilter rule({}, {}, {}, typed);
        std::vector<const TodoItem*> matched;
        std::map<std::string, std::int64_t> perTimeline;
        for (const TodoItem& item : index_.items()) {
            if (!rule.matches(item)) continue;
            matched.push_back(&item);
            ++perTimeline[item.timelineID];
        }
        const TodoListModel& model = *window_->contentPane()->list()->model();
        EXPECT_EQ(model.items(), matched) << typed;
        // Row by row what grouping and sorting them anew gives.
        const TodoListRows fresh(matched, window_->contentPane()->grouping());
        std::vector<std::string> rows;
        std::vector<std::string> freshRows;
        for (int row = 0; row < model.rowCount(); ++row)
            rows.push_back(model.index(row).data(TodoListModel::RowIDRole).toString().toStdString());
        for (std::size_t row = 0; row < fresh.size(); ++row) freshRows.push_back(fresh.id(row, matched));
        EXPECT_EQ(rows, freshRows) << typed;
        EXPECT_EQ(window_->contentPane()->footer()->text(), markerCountText(static_cast<qint64>(matched.size())))
            << typed;
        for (const EventCard* card : window_->sidebar()->eventCards()) {
            std::int64_t ofEvent = 0;
            for (std::size_t i = 0; i < card->card().timelines.size(); ++i) {
                const std::int64_t expected = perTimeline[card->card().timelines[i].id];
                ofEvent += expected;
                if (!card->rows().isEmpty()) {
                    EXPECT_EQ(card->rows()[static_cast<qsizetype>(i)]->badge().count(), expected) << typed;
                }
            }
            if (card->badge()) {
                EXPECT_EQ(card->badge()->count(), ofEvent) << typed;
            }
        }
    };
    shows("");
    std::string typed;
    for (const QString& key :
         {QStringLiteral("C"), QStringLiteral("A"), QStringLiteral("F"), QStringLiteral("\u00C9")}) {
        QTest::keyClicks(field, key);
        typed += key.toStdString();
        shows(typed);  // "C" finds "check", then "CAF" both spellings of "café", then the event too
    }
    while (!typed.empty()) {
        QTest::keyClick(field, Qt::Key_Backspace);
        typed = field->text().toStdString();
        shows(typed);
    }
    EXPECT_EQ(window_->contentPane()->list()->model()->items().size(), 16u);
}
