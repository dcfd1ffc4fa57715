#include "QuilloToDo/Views/Content/tests/ContentPaneFixture.h"

#include "QuilloToDo/Views/Panels/DetailsPanelContent.h"
#include "QuilloToDo/Views/Filters/FilterChipRow.h"
#include "QuilloToDo/Views/Content/FooterView.h"
#include "QuilloToDo/Views/Filters/MarkerTypeFilterView.h"
#include "QuilloToDo/Views/Filters/RolePickerView.h"
#include "QuilloToDo/Views/Content/SearchBar.h"
#include "QuilloToDo/Views/Filters/StatusFilterView.h"
#include "QuilloToDo/Views/Panels/StatusPanelContent.h"
#include "QuilloToDo/Views/List/TodoListModel.h"
#include "QuilloToDo/Views/List/TodoListView.h"

#include "QuilloDesignKit/QuilloChip.h"
#include "QuilloDesignKit/QuilloFloatingPanel.h"
#include "QuilloDesignKit/QuilloFloatingPanelColumn.h"
#include "QuilloDesignKit/QuilloPanelToggleButton.h"
#include "QuilloDesignKit/QuilloSectionHeader.h"
#include "QuilloDesignKit/QuilloSymbolButton.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <QToolButton>

namespace quillo::test {
namespace {

QStringList headers(const TodoListModel& model) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex index = model.index(row);
        if (TodoListModel::rowKind(index) == TodoListModel::RowKind::header) texts.append(index.data().toString());
    }
    return texts;
}

QuilloChip* chip(FilterChipRow* row, const QString& label) {
    for (QWidget* widget : row->chips()) {
        if (auto* found = qobject_cast<QuilloChip*>(widget); found && found->label() == label) return found;
    }
    return nullptr;
}

class ContentPaneTest : public ContentPaneFixture {};

TEST_F(ContentPaneTest, ListGroupsTheShownItemsAndSaysSoWhenNoneMatch) {
    loadLibrary();
    const TodoListModel& model = *pane_->list()->model();
    EXPECT_EQ(headers(model), (QStringList{"Alice", "Anna", "Zoe", "bob", "Unassigned"}));
    EXPECT_EQ(pane_->footer()->text(), QStringLiteral("6 markers"));

    pane_->searchBar()->field()->setText(QStringLiteral("square"));
    EXPECT_EQ(pane_->footer()->text(), QStringLiteral("1 marker"));

    pane_->searchBar()->field()->setText(QStringLiteral("nothing like this"));
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(pane_->footer()->text(), QStringLiteral("0 markers"));
    const QWidget* notice = pane_->list()->emptyView();
    EXPECT_TRUE(pane_->list()->listView()->isHidden());
    EXPECT_EQ(notice->findChild<QLabel*>(QStringLiteral("noticeTitle"))->text(),
              QStringLiteral("No markers match the current filter"));
    EXPECT_EQ(notice->findChild<QLabel*>(QStringLiteral("noticeDescription"))->text(),
              QStringLiteral("Adjust the search/type/role/status filters, or scan a library."));
    // The export takes all items of the index into account, not only the shown ones.
    EXPECT_TRUE(pane_->remindersExportButton()->isEnabled());
}

TEST_F(ContentPaneTest, ChipsEditTheFilterControllersSets) {
    loadLibrary();
    FilterChipRow* kinds = pane_->typeFilter()->chipRow();
    QTest::mouseClick(chip(kinds, "To-Do"), Qt::LeftButton);
    EXPECT_EQ(filter_.filter().kinds(), std::set<MarkerKind>{MarkerKind::todo});
    EXPECT_EQ(pane_->footer()->text(), QStringLiteral("4 markers"));
    QTest::mouseClick(chip(kinds, "Chapter"), Qt::LeftButton);
    EXPECT_EQ(filter_.filter().kinds(), (std::set<MarkerKind>{MarkerKind::todo, MarkerKind::chapter}));
    QTest::mouseClick(chip(kinds, "Chapter"), Qt::LeftButton);
    QTest::mouseClick(chip(kinds, "To-Do"), Qt::LeftButton);
    EXPECT_TRUE(filter_.filter().kinds().empty());
    EXPECT_FALSE(chip(kinds, "To-Do")->isSelected());

    QTest::mouseClick(chip(pane_->statusFilter()->chipRow(), "N/A"), Qt::LeftButton);
    EXPECT_EQ(filter_.filter().statuses(), std::set<TodoStatus>{TodoStatus::unknown});

    // Roles of all items, by name; their chips carry the top-level role.
    FilterChipRow* roles = pane_->rolePicker()->chipRow();
    QStringList labels;
    for (QWidget* widget : roles->chips()) labels.append(qobject_cast<QuilloChip*>(widget)->label());
    const std::vector<RoleFilterOption> options = filter_.availableRoles(index_.items());
    ASSERT_FALSE(options.empty());
    QStringList expected;
    for (const RoleFilterOption& option : options) expected.append(platform::toQString(std::string_view(option.name)));
    EXPECT_EQ(labels, expected);
    QuilloChip* first = chip(roles, expected.front());
    QTest::mouseClick(first, Qt::LeftButton);
    EXPECT_EQ(filter_.filter().roleUIDs(), std::set<std::string>{options.front().id});

    // A change made elsewhere shows at once.
    MarkerFilter cleared({}, {}, {}, "");
    filter_.setFilter(cleared);
    EXPECT_FALSE(first->isSelected());
    EXPECT_FALSE(chip(pane_->statusFilter()->chipRow(), "N/A")->isSelected());
}

TEST_F(ContentPaneTest, RolePickerWithoutRolesSaysSo) {
    EXPECT_TRUE(pane_->rolePicker()->chipRow()->isHidden());
    EXPECT_FALSE(pane_->rolePicker()->noRolesLabel()->isHidden());
    EXPECT_EQ(pane_->rolePicker()->noRolesLabel()->text(),
              QStringLiteral("No roles found yet \u2014 scan a library first."));
    EXPECT_FALSE(pane_->remindersExportButton()->isEnabled());
}

TEST_F(ContentPaneTest, ClearButtonShowsOnlyWithTextAndEmptiesTheSearchInOneClick) {
    loadLibrary();
    pane_->show();
    pane_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(pane_.get(), 10'000));
    SearchBar* search = pane_->searchBar();
    EXPECT_TRUE(search->clearButton()->isHidden());
    search->field()->setFocus();
    QTest::keyClicks(search->field(), QStringLiteral("grade"));
    EXPECT_EQ(filter_.filter().searchText(), "grade");
    EXPECT_FALSE(search->clearButton()->isHidden());
    QTest::mouseClick(search->clearButton(), Qt::LeftButton);
    EXPECT_EQ(filter_.filter().searchText(), "");
    EXPECT_TRUE(search->clearButton()->isHidden());
    EXPECT_EQ(QApplication::focusWidget(), search->field());
}

TEST_F(ContentPaneTest, StoredGroupingThatIsNoneOfTheThreeMeansAssignee) {
    windowSettings_.setListGroupingRaw(QStringLiteral("Event"));
    loadLibrary();
    EXPECT_EQ(pane_->grouping(), ListGrouping::assignee);
    EXPECT_TRUE(chip(pane_->groupByRow(), "Assignee")->isSelected());
    EXPECT_FALSE(chip(pane_->groupByRow(), "Event")->isSelected());

    QTest::mouseClick(chip(pane_->groupByRow(), "Timeline"), Qt::LeftButton);
    EXPECT_EQ(windowSettings_.listGroupingRaw(), QStringLiteral("timeline"));
    EXPECT_EQ(headers(*pane_->list()->model()), (QStringList{"Day 1 / Main Edit", "Day 2 / Teaser"}));
}

TEST_F(ContentPaneTest, PickingTheSelectedRowClearsItAndStillOpensDetails) {
    loadLibrary();
    const TodoItem bob = itemWithText("fix the colour");  // a copy: a refresh below replaces the items
    pane_->pick(bob);
    EXPECT_EQ(pane_->selectedItemID(), bob.id);
    EXPECT_EQ(pane_->panels().activePanels, std::set<RightPanel>{RightPanel::details});
    EXPECT_EQ(
        pane_->detailsContent()->shownTexts(),
        (QStringList{"To-Do", "Open", "fix the colour", "Assignee: bob", "Role: \u2013", "Event: Day 1",
                     "Timeline: Main Edit", "Timecode: " + platform::toQString(std::string_view(bob.timelineTimecode)),
                     "Library: Feature"}));

    // Hidden by the filter, still shown in Details.
    pane_->searchBar()->field()->setText(QStringLiteral("square"));
    EXPECT_EQ(pane_->detailsContent()->shownTexts().at(2), QStringLiteral("fix the colour"));

    pane_->apply(RightPanelAction::close, RightPanel::details);
    pane_->pick(bob);
    EXPECT_EQ(pane_->selectedItemID(), std::nullopt);
    EXPECT_EQ(pane_->panels().activePanels, std::set<RightPanel>{RightPanel::details});
    EXPECT_EQ(pane_->detailsContent()->shownTexts(),
              QStringList{"Click a marker in the list to see its full text here."});

    // A refresh in which the selected item no longer exists shows that nothing is selected.
    pane_->pick(bob);
    refresh({});
    EXPECT_EQ(pane_->selectedItemID(), bob.id);
    EXPECT_EQ(pane_->detailsContent()->shownTexts(),
              QStringList{"Click a marker in the list to see its full text here."});
}

TEST_F(ContentPaneTest, ClickingARowPicksItsItem) {
    loadLibrary();
    pane_->show();
    QListView* view = pane_->list()->listView();
    const int row = pane_->list()->model()->rowOf(itemWithText("make a square version").id);
    const QRect rect = view->visualRect(pane_->list()->model()->index(row));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(pane_->selectedItemID(), itemWithText("make a square version").id);
    EXPECT_TRUE(pane_->list()->model()->index(row).data(TodoListModel::IsSelectedRole).toBool());
    // A header takes no clicks.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(pane_->list()->model()->index(0)).center());
    EXPECT_EQ(pane_->selectedItemID(), itemWithText("make a square version").id);
}

TEST_F(ContentPaneTest, PanelsToggleExpandAndClose) {
    loadLibrary();
    pane_->show();
    EXPECT_TRUE(pane_->panelColumn()->isHidden());
    QTest::mouseClick(pane_->panelToggleButton(RightPanel::status), Qt::LeftButton);
    QTest::mouseClick(pane_->panelToggleButton(RightPanel::details), Qt::LeftButton);
    EXPECT_TRUE(pane_->panelToggleButton(RightPanel::details)->isActive());
    const QuilloFloatingPanel* details = pane_->columnPanel(RightPanel::details);
    const QuilloFloatingPanel* status = pane_->columnPanel(RightPanel::status);
    ASSERT_TRUE(details->isVisible() && status->isVisible());
    EXPECT_LT(details->y(), status->y());

    QTest::mouseClick(details->expandButton(), Qt::LeftButton);
    EXPECT_TRUE(pane_->contentColumn()->isHidden() || !pane_->contentColumn()->isVisible());
    EXPECT_TRUE(pane_->expandedPanelView(RightPanel::details)->isVisible());
    EXPECT_FALSE(pane_->expandedPanelView(RightPanel::status)->isVisible());
    // The expanded page fades in over the layout animation and is left without an effect.
    QWidget* expandedPage = pane_->expandedPanelView(RightPanel::details)->parentWidget();
    const auto* fade = qobject_cast<QGraphicsOpacityEffect*>(expandedPage->graphicsEffect());
    ASSERT_NE(fade, nullptr);
    EXPECT_LT(fade->opacity(), 1.0);
    QTRY_VERIFY(expandedPage->graphicsEffect() == nullptr);

    QTest::mouseClick(pane_->expandedPanelView(RightPanel::details)->closeButton(), Qt::LeftButton);
    EXPECT_EQ(pane_->panels(), (RightPanelState{{RightPanel::status}, std::nullopt}));
    EXPECT_TRUE(pane_->contentColumn()->isVisible());
    EXPECT_TRUE(status->isVisible());
    EXPECT_FALSE(details->isVisible());
}

TEST_F(ContentPaneTest, StatusPanelFollowsTheIndex) {
    const auto* status = pane_->columnPanel(RightPanel::status)->findChild<StatusPanelContent*>();
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->shownTexts(), (QStringList{"0", "\u2013", "0 connected", "Idle", "off"}));
    loadLibrary();
    const QStringList after = status->shownTexts();
    EXPECT_EQ(after.at(0), QStringLiteral("6"));
    EXPECT_NE(after.at(1), QStringLiteral("\u2013"));
    EXPECT_EQ(after.at(3), QStringLiteral("Idle"));
}

TEST_F(ContentPaneTest, CollapsedSidebarInsetsTheTypeFilterHeader) {
    pane_->show();
    QWidget* header = pane_->typeFilter()->header();
    const int shown = header->mapTo(pane_.get(), QPoint()).x();
    pane_->setSidebarCollapsed(true);
    QCoreApplication::processEvents();
    EXPECT_GT(header->mapTo(pane_.get(), QPoint()).x(), shown);
    pane_->setSidebarCollapsed(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(header->mapTo(pane_.get(), QPoint()).x(), shown);
}

// Code connected ahead of the pane hears of a new list while the pane still shows the old one: the
// rows it reads there must still be alive, after a scan and after the libraries are all removed.
TEST_F(ContentPaneTest, TheReplacedListOutlivesTheNoticeOfItsReplacement) {
    pane_.reset();
    QStringList seen;
    QObject::connect(&index_, &IndexController::itemsChanged, &index_, [&] {
        seen.clear();
        for (const TodoItem* item : pane_->shownItems()) seen.append(platform::toQString(std::string_view(item->text)));
    });
    pane_ = std::make_unique<ContentPane>(index_, filter_, windowSettings_, ipcServer_, locator_);
    loadLibrary();
    const auto texts = [](const std::vector<const TodoItem*>& items) {
        QStringList result;
        for (const TodoItem* item : items) result.append(platform::toQString(std::string_view(item->text)));
        return result;
    };
    const QStringList feature = texts(pane_->shownItems());
    ASSERT_EQ(feature.size(), 6);

    {
        testing::LibraryBuilder library(dir_.path(), "Trailer");
        testing::TimelineBuilder cut = library.event("Day 1").sequence("Trailer Cut");
        cut.clip("Logo", 0.0, 10.0)
            .marker("@Ann a longer title card", testing::MarkerType::todo, 1.0, {.completed = false});
        library.finish();
    }
    refresh({{dir_.path() / "Feature.fcpbundle", "Feature", "feature"},
             {dir_.path() / "Trailer.fcpbundle", "Trailer", "trailer"}});
    EXPECT_EQ(seen, feature);
    const QStringList both = texts(pane_->shownItems());
    ASSERT_EQ(both.size(), 7);

    refresh({});
    EXPECT_EQ(seen, both);
    EXPECT_TRUE(pane_->shownItems().empty());
}

}  // namespace
}  // namespace quillo::test
