#include "QuilloToDo/Controllers/ListGrouping.h"
#include "QuilloToDo/Controllers/MarkerFilterController.h"

#include "ControllerTestItems.h"
#include "testing/Projected.h"
#include "testing/TemporaryDirectory.h"

#include <QSettings>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace quillo;
using quillo::test::ItemSpec;
using quillo::test::makeItem;
using quillo::testing::projected;

namespace {

const std::string kPrecomposed = "Caf\xC3\xA9";  // é as U+00E9
const std::string kDecomposed = "Cafe\xCC\x81";  // e + U+0301

class MarkerFilterControllerTest : public ::testing::Test {
protected:
    QString settingsPath() const { return QString::fromStdString((dir_.path() / "QuilloToDo.conf").string()); }
    std::unique_ptr<QSettings> openSettings() const {
        return std::make_unique<QSettings>(settingsPath(), QSettings::IniFormat);
    }

    quillo::testing::TemporaryDirectory dir_;
};

std::vector<std::string> texts(const ShownItems& shown) { return projected(shown, &TodoItem::text); }

std::vector<std::string> names(const std::vector<RoleFilterOption>& options) {
    return projected(options, &RoleFilterOption::name);
}

}  // namespace

TEST_F(MarkerFilterControllerTest, ShowsMatchingItemsOfIncludedTimelinesInTheirOrder) {
    auto settings = openSettings();
    MarkerFilterController controller(*settings);
    const std::vector<TodoItem> items{makeItem({.timelineID = "A", .text = "one"}),
                                      makeItem({.timelineID = kPrecomposed, .text = "two"}),
                                      makeItem({.timelineID = "A", .text = "three"})};

    // The initial filter passes the input itself, element by element.
    const auto all = controller.filteredItems(items);
    ASSERT_EQ(all.size(), 3U);
    for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(all[i], &items[i]);
    EXPECT_TRUE(controller.filteredItems({}).empty());

    // An excluded timeline hides its items whatever the filter lets through; a canonically
    // equivalent spelling of the identifier is the same timeline.
    controller.setTimelines({kDecomposed}, false);
    EXPECT_EQ(texts(controller.filteredItems(items)), (std::vector<std::string>{"one", "three"}));
    controller.setFilter(MarkerFilter({}, {}, {}, "THREE"));
    EXPECT_EQ(texts(controller.filteredItems(items)), (std::vector<std::string>{"three"}));
    controller.setTimelines({kPrecomposed, "A"}, true);
    EXPECT_EQ(texts(controller.filteredItems(items)), (std::vector<std::string>{"three"}));
    controller.setFilter(MarkerFilter({}, {}, {}, ""));
    EXPECT_EQ(texts(controller.filteredItems(items)), (std::vector<std::string>{"one", "two", "three"}));
}

TEST_F(MarkerFilterControllerTest, NotifiesFilterChangesOnlyAndEveryTimelineUpdate) {
    auto settings = openSettings();
    MarkerFilterController controller(*settings);
    QSignalSpy filterChanged(&controller, &MarkerFilterController::filterChanged);
    QSignalSpy timelinesChanged(&controller, &MarkerFilterController::excludedTimelineIDsChanged);

    controller.setFilter(MarkerFilter({}, {}, {}, ""));
    EXPECT_EQ(filterChanged.count(), 0);
    controller.setFilter(MarkerFilter({MarkerKind::todo}, {}, {}, kPrecomposed));
    controller.setFilter(MarkerFilter({MarkerKind::todo}, {}, {}, kDecomposed));  // the same search text
    EXPECT_EQ(filterChanged.count(), 1);

    // Already in the wanted state: the set stays, is written again and still notifies.
    controller.setTimelines({"A"}, true);
    EXPECT_EQ(timelinesChanged.count(), 1);
    EXPECT_TRUE(controller.excludedTimelineIDs().empty());
    EXPECT_TRUE(settings->contains(MarkerFilterController::kExcludedTimelinesKey));
}

TEST_F(MarkerFilterControllerTest, ExcludedTimelinesSurviveARestartWhateverTheirCount) {
    const std::vector<std::vector<std::string>> sets{{"only-one"}, {"A", "B", "@at, comma"}, {}};
    for (const auto& ids : sets) {
        {
            auto settings = openSettings();
            MarkerFilterController controller(*settings);
            controller.setTimelines({"A", "B", "only-one", "@at, comma"}, true);
            controller.setTimelines(ids, false);
        }
        auto settings = openSettings();
        const MarkerFilterController restarted(*settings);
        EXPECT_EQ(restarted.excludedTimelineIDs(), TimelineIDSet(ids.begin(), ids.end()));
    }
}

TEST_F(MarkerFilterControllerTest, StoredValuesOfAnotherShapeReadAsNoExclusions) {
    const std::vector<QVariant> wrong{QString("A"), 42, QVariantList{QString("A"), 7},
                                      QVariantMap{{"A", QString("B")}}};
    for (const auto& value : wrong) {
        {
            auto settings = openSettings();
            settings->setValue(MarkerFilterController::kExcludedTimelinesKey, value);
        }
        auto settings = openSettings();
        MarkerFilterController controller(*settings);
        EXPECT_TRUE(controller.excludedTimelineIDs().empty()) << value.typeName();

        controller.setTimelines({"B"}, false);  // replaced by a proper list at the next change
        auto reread = openSettings();
        EXPECT_EQ(MarkerFilterController(*reread).excludedTimelineIDs(), TimelineIDSet{"B"});
    }
}

TEST(AvailableRoles, OneOptionPerTopLevelRoleNamedByItsFirstItem) {
    const std::vector<TodoItem> items{
        makeItem({}),  // no role: no option
        makeItem({.roleUID = "dialogue.d-1", .roleName = "Dialogue 1", .topLevelRoleUID = "dialogue"}),
        makeItem({.roleUID = "dialogue", .roleName = "Dialogue", .topLevelRoleUID = "dialogue"}),
        makeItem({.roleUID = "effects", .topLevelRoleUID = "effects"}),  // no name: the UID is the name
    };
    const auto options = roleFilterOptions(items);
    EXPECT_EQ(options, (std::vector<RoleFilterOption>{{"dialogue", "Dialogue 1"}, {"effects", "effects"}}));
}

TEST(AvailableRoles, SortByCodePointsOfCanonicalNamesNotByLocaleOrUTF16) {
    const std::string clapper = "\xF0\x9F\x8E\xAC Shots";  // U+1F3AC, outside the BMP
    const std::string fullwidthA = "\xEF\xBC\xA1 Team";    // U+FF21: below U+1F3AC, above its surrogates
    const std::string decomposedE = "e\xCC\x81quipe";      // canonically U+00E9, after every ASCII letter
    std::vector<TodoItem> items;
    for (const std::string& name : {clapper, std::string("adam"), fullwidthA, decomposedE, std::string("Zoe"),
                                    std::string("zed"), std::string("Adam")}) {
        items.push_back(makeItem({.roleName = name, .topLevelRoleUID = "uid " + name}));
    }
    EXPECT_EQ(names(roleFilterOptions(items)),
              (std::vector<std::string>{"Adam", "Zoe", "adam", "zed", decomposedE, fullwidthA, clapper}));
}

TEST(ListGrouping, RawValuesAreExact) {
    for (const auto grouping : kAllListGroupings) EXPECT_EQ(listGrouping(rawValue(grouping)), grouping);
    EXPECT_EQ(rawValue(ListGrouping::event), "event");
    EXPECT_EQ(listGrouping("Event"), std::nullopt);
    EXPECT_EQ(listGrouping(""), std::nullopt);
}
