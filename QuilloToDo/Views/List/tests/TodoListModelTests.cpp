#include "QuilloToDo/Views/List/TodoListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillo {
namespace {

TodoItem item(std::string text, std::string assignee, double position) {
    TodoItem result;
    result.id = platform::UUID::random();
    result.text = text;
    result.assigneeName = std::move(assignee);
    result.eventName = "Day 1";
    result.timelineName = "Main";
    result.timelinePositionSeconds = position;
    return result;
}

std::vector<const TodoItem*> select(const std::vector<TodoItem>& items, const std::vector<int>& which) {
    std::vector<const TodoItem*> result;
    for (int i : which) result.push_back(&items[static_cast<std::size_t>(i)]);
    return result;
}

std::vector<QString> rowIDs(const TodoListModel& model) {
    std::vector<QString> ids;
    for (int row = 0; row < model.rowCount(); ++row)
        ids.push_back(model.index(row).data(TodoListModel::RowIDRole).toString());
    return ids;
}

std::vector<QString> freshRowIDs(const std::vector<const TodoItem*>& items, ListGrouping grouping) {
    TodoListModel fresh;
    fresh.setContent(items, grouping, true);
    return rowIDs(fresh);
}

class TodoListModelTest : public ::testing::Test {
protected:
    // Two groups: ann (items 0-3) and bob (items 4-7).
    std::vector<TodoItem> items = {item("a0", "ann", 0), item("a1", "ann", 1), item("a2", "ann", 2),
                                   item("a3", "ann", 3), item("b0", "bob", 0), item("b1", "bob", 1),
                                   item("b2", "bob", 2), item("b3", "bob", 3)};
    TodoListModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
    QSignalSpy resets{&model, &QAbstractItemModel::modelReset};
    QSignalSpy removed{&model, &QAbstractItemModel::rowsRemoved};
    QSignalSpy inserted{&model, &QAbstractItemModel::rowsInserted};
    QSignalSpy changed{&model, &QAbstractItemModel::dataChanged};
};

TEST_F(TodoListModelTest, NarrowingAndWideningTheFilterRemovesAndInsertsExactRows) {
    model.setContent(select(items, {0, 1, 2, 3, 4, 5, 6, 7}), ListGrouping::assignee, true);
    resets.clear();
    inserted.clear();

    // Rows: 0 ann, 1 a0, 2 a1, 3 a2, 4 a3, 5 bob, 6 b0 ... Dropping a1, a2 and all of bob's.
    model.setContent(select(items, {0, 3}), ListGrouping::assignee, false);
    EXPECT_EQ(resets.count(), 0);
    ASSERT_EQ(removed.count(), 2);
    EXPECT_EQ(removed.at(0).at(1).toInt(), 5);  // bob's header and items first, from the end
    EXPECT_EQ(removed.at(0).at(2).toInt(), 9);
    EXPECT_EQ(removed.at(1).at(1).toInt(), 2);
    EXPECT_EQ(removed.at(1).at(2).toInt(), 3);
    EXPECT_EQ(rowIDs(model), freshRowIDs(select(items, {0, 3}), ListGrouping::assignee));

    model.setContent(select(items, {0, 2, 3, 6}), ListGrouping::assignee, false);
    EXPECT_EQ(resets.count(), 0);
    ASSERT_EQ(inserted.count(), 2);
    EXPECT_EQ(inserted.at(0).at(1).toInt(), 2);  // a2
    EXPECT_EQ(inserted.at(1).at(1).toInt(), 4);  // bob's header and b2
    EXPECT_EQ(inserted.at(1).at(2).toInt(), 5);
    EXPECT_EQ(rowIDs(model), freshRowIDs(select(items, {0, 2, 3, 6}), ListGrouping::assignee));
    EXPECT_EQ(changed.count(), 0);
}

TEST_F(TodoListModelTest, AnotherGroupingResetsAndARefreshRepaintsRowsThatStay) {
    model.setContent(select(items, {0, 4}), ListGrouping::assignee, true);
    resets.clear();
    model.setContent(select(items, {0, 4}), ListGrouping::timeline, false);
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(rowIDs(model), freshRowIDs(select(items, {0, 4}), ListGrouping::timeline));

    // A refresh: new item objects with the same ids and an edited text.
    std::vector<TodoItem> refreshed = items;
    refreshed[4].text = "b0 edited";
    model.setContent(select(refreshed, {0, 4}), ListGrouping::timeline, true);
    EXPECT_EQ(resets.count(), 1);
    ASSERT_GE(changed.count(), 1);
    EXPECT_TRUE(model.index(model.rowOf(refreshed[4].id)).data().toString().startsWith(QStringLiteral("b0 edited\n")));
}

// A refresh may put the new items where the old ones were: rows are never narrowed from the old ones.
TEST_F(TodoListModelTest, ARefreshAtTheSameAddressesGroupsTheNewItems) {
    model.setContent(select(items, {0, 4}), ListGrouping::assignee, true);
    items[0].assigneeName = "zed";
    items[4].assigneeName = "amy";
    model.setContent(select(items, {0, 4}), ListGrouping::assignee, true);
    EXPECT_EQ(rowIDs(model), freshRowIDs(select(items, {0, 4}), ListGrouping::assignee));
    EXPECT_EQ(model.index(0).data(TodoListModel::RowIDRole).toString(), "header-amy");
}

TEST_F(TodoListModelTest, ChangesInManyPlacesReset) {
    std::vector<TodoItem> many;
    for (int i = 0; i < 400; ++i) many.push_back(item("x" + std::to_string(i), "ann", i));
    std::vector<const TodoItem*> all;
    std::vector<const TodoItem*> everyOther;
    for (std::size_t i = 0; i < many.size(); ++i) {
        all.push_back(&many[i]);
        if (i % 2 == 0) everyOther.push_back(&many[i]);
    }
    model.setContent(all, ListGrouping::assignee, true);
    resets.clear();
    model.setContent(everyOther, ListGrouping::assignee, false);
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(removed.count(), 0);
    EXPECT_EQ(rowIDs(model), freshRowIDs(everyOther, ListGrouping::assignee));
}

TEST_F(TodoListModelTest, SelectionAndReminderMarksRepaintOnlyTheirRows) {
    model.setContent(select(items, {0, 1, 4}), ListGrouping::assignee, true);
    changed.clear();
    model.setSelectedID(items[1].id);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<QModelIndex>().row(), 2);
    EXPECT_EQ(changed.at(0).at(2).value<QList<int>>(), QList<int>{TodoListModel::IsSelectedRole});
    EXPECT_TRUE(model.index(2).data(TodoListModel::IsSelectedRole).toBool());

    changed.clear();
    model.setSelectedID(items[1].id);  // unchanged
    model.setSelectedID(items[7].id);  // not shown: only the old row changes
    ASSERT_EQ(changed.count(), 1);
    EXPECT_FALSE(model.index(2).data(TodoListModel::IsSelectedRole).toBool());

    changed.clear();
    model.setCompletedInReminders({items[4].id, items[6].id});
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).value<QModelIndex>().row(), 4);
    EXPECT_TRUE(model.index(4).data(TodoListModel::IsDoneInRemindersRole).toBool());
    // A screen reader hears the mark where a sighted user sees it.
    EXPECT_TRUE(model.index(4)
                    .data(Qt::AccessibleDescriptionRole)
                    .toString()
                    .endsWith(QStringLiteral(", completed in its reminders list")));
    EXPECT_FALSE(model.index(2).data(Qt::AccessibleDescriptionRole).toString().contains(QStringLiteral("reminders")));
    EXPECT_EQ(model.index(3).data(Qt::DisplayRole).toString(), QStringLiteral("bob"));
}

}  // namespace
}  // namespace quillo
