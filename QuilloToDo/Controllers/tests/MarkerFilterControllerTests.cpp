#include "QuilloToDo/Controllers/ListGrouping.h"
#include "QuilloToDo/Controllers/MarkerFilterController.h"

#include "ControllerTestItems.h"
#include "QuilloToDoKit/QuilloToDoScan/TodoScanner.h"
#include "testing/LibraryBuilder.h"
#include "testing/Projected.h"
#include "testing/TemporaryDirectory.h"

#include <QSettings>
#include <QSemaphore>
#include <QSignalSpy>
#include <QThreadPool>

#include <gtest/gtest.h>
#include <unicode/locid.h>

#include <map>
#include <set>

using namespace quillo;
using quillo::test::ItemSpec;
using quillo::test::makeItem;
using quillo::testing::MarkerType;
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
    const auto items = std::make_shared<const std::vector<TodoItem>>(
        std::vector{makeItem({.timelineID = "A", .text = "one"}), makeItem({.timelineID = kPrecomposed, .text = "two"}),
                    makeItem({.timelineID = "A", .text = "three"})});
    const auto shown = [&] { return texts(controller.filteredItems(items)->items); };

    // The initial filter passes the input itself, element by element.
    const auto all = controller.filteredItems(items)->items;
    ASSERT_EQ(all.size(), 3U);
    for (std::size_t i = 0; i < items->size(); ++i) EXPECT_EQ(all[i], &(*items)[i]);
    EXPECT_TRUE(controller.filteredItems(std::make_shared<const std::vector<TodoItem>>())->items.empty());
    EXPECT_TRUE(controller.filteredItems(nullptr)->items.empty());

    // An excluded timeline hides its items whatever the filter lets through; a canonically
    // equivalent spelling of the identifier is the same timeline.
    controller.setTimelines({kDecomposed}, false);
    EXPECT_EQ(shown(), (std::vector<std::string>{"one", "three"}));
    controller.setFilter(MarkerFilter({}, {}, {}, "THREE"));
    EXPECT_EQ(shown(), (std::vector<std::string>{"three"}));
    controller.setTimelines({kPrecomposed, "A"}, true);
    EXPECT_EQ(shown(), (std::vector<std::string>{"three"}));
    controller.setFilter(MarkerFilter({}, {}, {}, ""));
    EXPECT_EQ(shown(), (std::vector<std::string>{"one", "two", "three"}));
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

namespace {

// Marker texts as editors write them: any case, both spellings of accented letters, other scripts,
// marks without a precomposed letter, assignees by prefix and by role.
const std::vector<std::string> kMarkerTexts{
    "@Maya fix the colour of the SKY",
    "Trim the pause before the answer",
    "Caf\xC3\xA9 scene needs a cutaway",  // é precomposed
    "CAFE\xCC\x81 SCENE, second take",    // É as E + U+0301
    "STRASSE sign is blurred",
    "Stra\xC3\x9F"
    "e at night",                                   // ß
    "\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3 title card",  // ΟΔΟΣ
    "\xD0\x98\xD1\x81\xD0\xBF\xD1\x80\xD0\xB0\xD0\xB2\xD0\xB8\xD1\x82\xD1\x8C \xD0\xA6\xD0\x92\xD0\x95\xD0\xA2",  // Исправить ЦВЕТ
    "\xE8\x89\xB2\xE3\x82\x92\xE7\x9B\xB4\xE3\x81\x99",  // 色を直す
    "@\xC3\x89lodie check the horizon line",             // @Élodie
    "e\xCC\xB1 underlined vowel",                        // e + U+0331
    "\xF0\x9F\x8E\xAC take two",                         // 🎬
    "\xEF\xAC\x81nal \xE2\x84\xAA mix",                  // ﬁnal, Kelvin sign
    "   ",
};

// A library of three events (names in other scripts too), each timeline carrying every text on a
// clip, some of them under an assignee's role, with chapters whose notes are not searched.
std::vector<TodoItem> scannedLibrary(const std::filesystem::path& directory) {
    quillo::testing::LibraryBuilder builder(directory, "Doc\xC3\xBCmentary");
    const std::vector<std::string> events{"Day 1", "\xCE\x97\xCE\xBC\xCE\xAD\xCF\x81\xCE\xB1 2", "Pickups"};
    int n = 0;
    for (const auto& eventName : events) {
        auto& event = builder.event(eventName);
        event.roles().addStandardRoles();
        event.roles().role("anna", "Anna");
        for (const std::string timelineName : {"Main Cut", "Teaser ARABIC \xD8\xB9\xD8\xB1\xD8\xA8\xD9\x8A"}) {
            auto clip = event.sequence(timelineName).clip("Interview", 0.0, 600.0);
            for (const auto& text : kMarkerTexts) {
                const double at = 1.0 + n++ % 500;
                if (n % 3 == 0) {
                    clip.connected("B-roll", at, 0.0, 2.0).role("anna").marker(text, MarkerType::todo, 0.5);
                } else {
                    clip.marker(text, n % 2 ? MarkerType::todo : MarkerType::standard, at, {.completed = n % 4 == 1});
                }
            }
            clip.marker("Act one", MarkerType::chapter, 0.0, {.chapterNote = "horizon notes"});
        }
    }
    const auto bundle = builder.finish();
    return TodoScanner().scan({{bundle, "Doc\xC3\xBCmentary", "B1"}});
}

}  // namespace

// The folded texts answer every search as the filter's own rule does, item by item: the shown items,
// in order, and every timeline's count, whatever the case, the spelling, the script or the field.
TEST_F(MarkerFilterControllerTest, FoldedSearchShowsAndCountsWhatTheRuleMatches) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale("en_US"), status);
    auto settings = openSettings();
    MarkerFilterController controller(*settings);
    const auto items = std::make_shared<const std::vector<TodoItem>>(scannedLibrary(dir_.path()));
    ASSERT_GT(items->size(), 80u);
    controller.filteredItems(items);
    controller.searchTextsFolded().waitForFinished();
    controller.setTimelines({(*items)[0].timelineID}, false);

    std::vector<std::string> queries{"",
                                     " ",
                                     "   ",
                                     "h",
                                     "H",
                                     "colour of the sky",
                                     "COLOUR OF THE SKY",
                                     "caf",
                                     "caf\xC3\xA9",
                                     "cafe\xCC\x81",
                                     "CAF\xC3\x89 SCENE",
                                     "cafe",
                                     "e",
                                     "\xC3\xA9",
                                     "ss",
                                     "STRASSE",
                                     "stra\xC3\x9F"
                                     "e",
                                     "\xCF\x83",
                                     "\xCF\x82",
                                     "\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x82",
                                     "\xD1\x86\xD0\xB2\xD0\xB5\xD1\x82",
                                     "\xE8\x89\xB2",
                                     "\xF0\x9F\x8E\xAC",
                                     "fi",
                                     "final",
                                     "k mix",
                                     "\xCC\xB1",
                                     "e\xCC\xB1",
                                     "@maya",
                                     "maya",
                                     "\xC3\xA9lodie",
                                     "anna",
                                     "day 1",
                                     "\xCE\xB7\xCE\xBC\xCE\xAD\xCF\x81\xCE\xB1",
                                     "pickups",
                                     "d\xC3\xBCmentary",
                                     "DOCU",
                                     "main cut",
                                     "\xD8\xB9\xD8\xB1\xD8\xA8\xD9\x8A",
                                     "horizon",
                                     "notes",
                                     "act",
                                     "interview",
                                     "nothing at all"};
    // Every piece of every text the rule searches, in upper case too.
    for (const std::string piece : {"the", "SCENE", "take", "line", "Cut", "Teaser"}) queries.push_back(piece);
    const std::vector<MarkerFilter> sets{MarkerFilter({}, {}, {}, ""),
                                         MarkerFilter({MarkerKind::todo}, {}, {TodoStatus::open}, ""),
                                         MarkerFilter({}, {"anna"}, {}, "")};
    for (const auto& query : queries) {
        for (MarkerFilter filter : sets) {
            filter.setSearchText(query);
            controller.setFilter(filter);
            const auto filtered = controller.filteredItems(items);
            ShownItems expected;
            std::map<std::pair<std::string, std::string>, std::int64_t> counts;
            for (const auto& item : *items) {
                if (!filter.matches(item)) continue;
                ++counts[{item.libraryBookmarkID, item.timelineID}];
                if (item.timelineID != (*items)[0].timelineID) expected.push_back(&item);
            }
            EXPECT_EQ(filtered->items, expected) << query;
            for (const auto& item : *items) {
                const auto found = counts.find({item.libraryBookmarkID, item.timelineID});
                EXPECT_EQ(filtered->timelineCounts.count(item.libraryBookmarkID, item.timelineID),
                          found == counts.end() ? 0 : found->second)
                    << query << " on " << item.timelineName;
            }
        }
    }
    // Either spelling finds both, and only those.
    controller.setFilter(MarkerFilter({}, {}, {}, "caf\xC3\xA9"));
    const auto found = texts(controller.filteredItems(items)->items);
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()),
              (std::set<std::string>{kMarkerTexts[2], kMarkerTexts[3]}));
}

// One pass serves everyone until something it depends on changes; the pass over a new list is new.
TEST_F(MarkerFilterControllerTest, APassIsRememberedUntilTheFilterTheTimelinesOrTheListChange) {
    auto settings = openSettings();
    MarkerFilterController controller(*settings);
    auto items = std::make_shared<const std::vector<TodoItem>>(
        std::vector{makeItem({.timelineID = "A", .text = "one"}), makeItem({.timelineID = "B", .text = "two"})});
    const auto first = controller.filteredItems(items);
    EXPECT_EQ(controller.filteredItems(items), first);
    EXPECT_EQ(first->timelineCounts.count((*items)[0].libraryBookmarkID, "B"), 1);

    controller.setFilter(MarkerFilter({}, {}, {}, "two"));
    const auto searched = controller.filteredItems(items);
    EXPECT_NE(searched, first);
    EXPECT_EQ(texts(searched->items), std::vector<std::string>{"two"});
    EXPECT_EQ(searched->timelineCounts.count((*items)[0].libraryBookmarkID, "A"), 0);

    controller.setTimelines({"B"}, false);
    const auto excluded = controller.filteredItems(items);
    EXPECT_TRUE(excluded->items.empty());
    EXPECT_EQ(excluded->timelineCounts.count((*items)[0].libraryBookmarkID, "B"), 1);  // counted while excluded

    // An equal list is another list: its items are other items.
    const auto copy = std::make_shared<const std::vector<TodoItem>>(*items);
    const auto ofCopy = controller.filteredItems(copy);
    EXPECT_NE(ofCopy, excluded);
    controller.setTimelines({"B"}, true);
    ASSERT_EQ(controller.filteredItems(copy)->items.size(), 1u);
    EXPECT_EQ(controller.filteredItems(copy)->items[0], &(*copy)[1]);
}

// A refresh brings a new list of as many items; keystrokes come before its texts are folded (the pool
// that folds them is held busy) and after: each is answered from the new list, never from the folded
// texts of the one before.
TEST_F(MarkerFilterControllerTest, AKeystrokeBeforeTheNewListIsFoldedIsAnsweredFromTheNewList) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale("en_US"), status);
    auto settings = openSettings();
    MarkerFilterController controller(*settings);
    const auto before = std::make_shared<const std::vector<TodoItem>>(scannedLibrary(dir_.path()));
    controller.filteredItems(before);
    controller.searchTextsFolded().waitForFinished();
    // The same items, each with its neighbour's texts.
    std::vector<TodoItem> shifted = *before;
    for (std::size_t i = 0; i < shifted.size(); ++i) {
        shifted[i].text = (*before)[(i + 1) % before->size()].text;
        shifted[i].rawText = (*before)[(i + 1) % before->size()].rawText;
    }
    const auto after = std::make_shared<const std::vector<TodoItem>>(std::move(shifted));

    const auto expectRule = [&](const std::string& query) {
        const MarkerFilter rule({}, {}, {}, query);
        controller.setFilter(rule);
        ShownItems expected;
        for (const auto& item : *after) {
            if (rule.matches(item)) expected.push_back(&item);
        }
        EXPECT_EQ(controller.filteredItems(after)->items, expected) << query;
    };
    QThreadPool& pool = *QThreadPool::globalInstance();
    const int threads = pool.maxThreadCount();
    pool.setMaxThreadCount(1);
    // The gate outlives the test should the task outlive it; the test goes on once the task holds
    // the pool's only thread.
    const auto gate = std::make_shared<QSemaphore>();
    QSemaphore holding;
    pool.start([gate, &holding] {
        holding.release();
        gate->acquire();
    });
    holding.acquire();
    const std::vector<std::string> queries{"colour", "caf\xC3\xA9", "STRASSE", "\xE8\x89\xB2", "take"};
    for (const auto& query : queries) expectRule(query);
    EXPECT_FALSE(controller.searchTextsFolded().isFinished());  // every answer came before the fold
    gate->release();
    controller.searchTextsFolded().waitForFinished();
    pool.waitForDone();
    pool.setMaxThreadCount(threads);
    for (const auto& query : queries) expectRule(query);
}
