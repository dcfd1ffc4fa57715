#include "QuilloToDoKit/QuilloToDoModel/MarkerFilter.h"

#include "ModelTestSupport.h"

#include "testing/Thrown.h"

#include <gtest/gtest.h>
#include <unicode/locid.h>

#include <optional>
#include <vector>

using namespace quillo;
using quillo::test::plausibleItem;
using quillo::testing::thrownBy;
using Kind = platform::DecodingError::Kind;

namespace {

const std::string kPrecomposed = "Caf\xC3\xA9";  // é as U+00E9
const std::string kDecomposed = "Cafe\xCC\x81";  // e + U+0301

MarkerFilter searchFor(std::string text) { return MarkerFilter({}, {}, {}, std::move(text)); }

// Search tests pin the locale: case rules depend on it.
class MarkerFilterSearch : public ::testing::Test {
protected:
    void SetUp() override { use("en_US"); }
    void TearDown() override { use("en_US"); }
    static void use(const char* name) {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(icu::Locale(name), status);
        ASSERT_TRUE(U_SUCCESS(status));
    }
};

}  // namespace

TEST(MarkerFilter, EmptyFilterPassesEveryItem) {
    const MarkerFilter filter({}, {}, {}, "");
    EXPECT_TRUE(filter.matches(plausibleItem()));
    EXPECT_TRUE(filter.matches(quillo::test::bareChapter()));  // no role, no assignee, unknown
}

TEST(MarkerFilter, KindsAndStatusesRejectWhatTheyLack) {
    const TodoItem todo = plausibleItem();
    const TodoItem chapter = quillo::test::bareChapter();

    const MarkerFilter todosOnly({MarkerKind::todo}, {}, {}, "");
    EXPECT_TRUE(todosOnly.matches(todo));
    EXPECT_FALSE(todosOnly.matches(chapter));
    // The kind decides even when every other constraint would pass.
    EXPECT_FALSE(MarkerFilter({MarkerKind::todo}, {}, {TodoStatus::unknown}, "Act").matches(chapter));

    const MarkerFilter openOrDone({}, {}, {TodoStatus::open, TodoStatus::done}, "");
    EXPECT_TRUE(openOrDone.matches(todo));
    EXPECT_FALSE(openOrDone.matches(chapter));
    TodoItem standard = plausibleItem();
    standard.kind = MarkerKind::standard;
    standard.status = TodoStatus::unknown;
    EXPECT_FALSE(openOrDone.matches(standard));
}

TEST(MarkerFilter, RolesCompareTheItemsOwnRoleExactly) {
    const MarkerFilter titles({}, {"video.titles"}, {}, "");
    TodoItem fields = plausibleItem();
    fields.roleUID = "video.titles";
    EXPECT_TRUE(titles.matches(fields));

    fields.roleUID = "video.titles-1";  // a sub-role, even though its top-level role is listed
    fields.topLevelRoleUID = "video.titles";
    EXPECT_FALSE(titles.matches(fields));

    fields.roleUID = "Video.Titles";
    EXPECT_FALSE(titles.matches(fields));

    fields.roleUID.reset();
    EXPECT_FALSE(titles.matches(fields));
    EXPECT_FALSE(titles.matches(quillo::test::bareChapter()));
}

TEST(MarkerFilter, RolesCompareUnderCanonicalEquivalence) {
    MarkerFilter filter({}, {kDecomposed + ".role"}, {}, "");
    TodoItem fields = plausibleItem();
    fields.roleUID = kPrecomposed + ".role";
    EXPECT_TRUE(filter.matches(fields));

    filter.setRoleUIDs({kPrecomposed, kDecomposed, "dialogue"});
    EXPECT_EQ(filter.roleUIDs(), (std::set<std::string>{kPrecomposed, "dialogue"}));
    fields.roleUID = kDecomposed;
    EXPECT_TRUE(filter.matches(fields));
    fields.roleUID = "dialogue";
    EXPECT_TRUE(filter.matches(fields));
    fields.roleUID = "Cafe";
    EXPECT_FALSE(filter.matches(fields));
}

TEST_F(MarkerFilterSearch, FindsTheSearchedTextsIgnoringCase) {
    TodoItem fields = plausibleItem();
    fields.text = "Fix the colour";
    fields.rawText = "@Anna Fix the colour";
    fields.assigneeName = "Anna";
    fields.libraryName = "Documentary";
    fields.eventName = "Interviews Berlin";
    fields.timelineName = "Main cut";
    fields.chapterNote = "Reel two";
    fields.roleName = "Titles";
    fields.timelineTimecode = "00:01:23:06";
    const TodoItem item = fields;

    for (const char* found : {"FIX THE", "@anna", "anna", "documentARY", "berlin", "MAIN CUT", "colour"})
        EXPECT_TRUE(searchFor(found).matches(item)) << found;
    for (const char* notFound : {"reel", "titles", "00:01", "color", "fix  the", "Documentary 2"})
        EXPECT_FALSE(searchFor(notFound).matches(item)) << notFound;
}

TEST_F(MarkerFilterSearch, AnItemWithoutAssigneeIsSearchedInFiveTexts) {
    TodoItem fields = quillo::test::bareChapter();
    fields.text = fields.rawText = "Act two";
    fields.libraryName = "L";
    fields.eventName = "E";
    fields.timelineName = "T";
    EXPECT_TRUE(searchFor("act").matches(fields));
    EXPECT_FALSE(searchFor("anna").matches(fields));

    fields.assigneeName = "Anna";
    EXPECT_TRUE(searchFor("anna").matches(fields));
}

TEST_F(MarkerFilterSearch, ASpaceIsSearchedLikeAnyText) {
    TodoItem withSpace = quillo::test::bareChapter();
    withSpace.text = withSpace.rawText = "Act";
    withSpace.libraryName = "Doc";
    withSpace.eventName = "Day";
    withSpace.timelineName = "Main";
    EXPECT_FALSE(searchFor(" ").matches(withSpace));
    withSpace.timelineName = "Main cut";
    EXPECT_TRUE(searchFor(" ").matches(withSpace));
}

TEST_F(MarkerFilterSearch, AccentsCountButTheirSpellingDoesNot) {
    TodoItem fields = plausibleItem();
    fields.text = kPrecomposed + " scene";
    EXPECT_TRUE(searchFor(kDecomposed).matches(fields));
    EXPECT_TRUE(searchFor("CAF\xC3\x89").matches(fields));  // upper-case É
    EXPECT_FALSE(searchFor("cafe ").matches(fields));

    fields.text = kDecomposed + " scene";
    EXPECT_TRUE(searchFor(kPrecomposed).matches(fields));
}

TEST_F(MarkerFilterSearch, CaseRulesFollowTheLocale) {
    TodoItem fields = plausibleItem();
    fields.text = "KIRMIZI";
    EXPECT_TRUE(searchFor("kirmizi").matches(fields));
    use("tr_TR");  // "I" is the capital of dotless "ı" here
    EXPECT_FALSE(searchFor("kirmizi").matches(fields));
    EXPECT_TRUE(searchFor("k\xC4\xB1rm\xC4\xB1z\xC4\xB1").matches(fields));
}

TEST(MarkerFilter, EqualityComparesSetsAndCanonicalSearchText) {
    const MarkerFilter a({MarkerKind::todo, MarkerKind::chapter}, {"b", "a"}, {TodoStatus::done, TodoStatus::open},
                         kPrecomposed);
    const MarkerFilter b({MarkerKind::chapter, MarkerKind::todo}, {"a", "b"}, {TodoStatus::open, TodoStatus::done},
                         kDecomposed);
    EXPECT_EQ(a, b);
    EXPECT_EQ(MarkerFilter({}, {kPrecomposed}, {}, ""), MarkerFilter({}, {kDecomposed}, {}, ""));

    EXPECT_NE(a, MarkerFilter({MarkerKind::todo}, {"a", "b"}, {TodoStatus::open, TodoStatus::done}, kPrecomposed));
    EXPECT_NE(a, MarkerFilter(a.kinds(), {"a"}, a.statuses(), kPrecomposed));
    EXPECT_NE(a, MarkerFilter(a.kinds(), a.roleUIDs(), {TodoStatus::open}, kPrecomposed));
    EXPECT_NE(a, MarkerFilter(a.kinds(), a.roleUIDs(), a.statuses(), "caf\xC3\xA9"));
}

TEST(MarkerFilterCoding, RoundTripsAndReadsRepeatedElementsOnce) {
    const MarkerFilter filter({MarkerKind::todo}, {"dialogue", kPrecomposed}, {TodoStatus::open, TodoStatus::unknown},
                              " ");
    const platform::JSON json = platform::parseJSON(platform::serializeJSON(encode(filter)));
    EXPECT_EQ(json["kinds"], platform::JSON::array({"todo"}));
    EXPECT_EQ(decodeMarkerFilter(json), filter);

    const auto read = decodeMarkerFilter(platform::parseJSON(
        R"({"kinds":["chapter","todo","chapter"],"roleUIDs":["r","r"],"statuses":[],"searchText":"x","other":1})"));
    EXPECT_EQ(read, MarkerFilter({MarkerKind::todo, MarkerKind::chapter}, {"r"}, {}, "x"));
}

TEST(MarkerFilterCoding, EveryMemberIsRequiredAndChecked) {
    const platform::JSON valid = platform::parseJSON(R"({"kinds":[],"roleUIDs":[],"statuses":[],"searchText":""})");
    const auto with = [&valid](const char* name, platform::JSON value) {
        platform::JSON json = valid;
        json[name] = std::move(value);
        return json;
    };
    struct Case {
        platform::JSON json;
        Kind kind;
        platform::CodingPath path;
    };
    std::vector<Case> cases = {
        {with("kinds", platform::JSON::array({"todo", "To-Do"})), Kind::dataCorrupted, {"kinds", "Index 1"}},
        {with("statuses", platform::JSON::array({1})), Kind::typeMismatch, {"statuses", "Index 0"}},
        {with("roleUIDs", platform::JSON::array({"a", nullptr})), Kind::typeMismatch, {"roleUIDs", "Index 1"}},
        {with("roleUIDs", "a"), Kind::typeMismatch, {"roleUIDs"}},
        {with("searchText", nullptr), Kind::valueNotFound, {"searchText"}},
    };
    for (const char* name : {"kinds", "roleUIDs", "statuses", "searchText"}) {
        platform::JSON json = valid;
        json.erase(name);
        cases.push_back({json, Kind::keyNotFound, {}});
    }
    for (const auto& c : cases) {
        const auto error = thrownBy<platform::DecodingError>([&] { decodeMarkerFilter(c.json); });
        EXPECT_EQ(error.kind(), c.kind) << c.json.dump();
        EXPECT_EQ(error.codingPath(), c.path) << c.json.dump();
    }
}

namespace {

// matches() item by item, as the folded search must answer.
std::vector<bool> plainMatches(const MarkerFilter& filter, const std::vector<TodoItem>& items) {
    std::vector<bool> matched;
    for (const auto& item : items) matched.push_back(filter.matches(item));
    return matched;
}

TodoItem textItem(std::string text, std::string rawText, std::optional<std::string> assignee = std::nullopt) {
    TodoItem item = plausibleItem();
    item.text = std::move(text);
    item.rawText = std::move(rawText);
    item.assigneeName = std::move(assignee);
    item.libraryName = "Doc";
    item.eventName = "Day";
    item.timelineName = "Main";
    return item;
}

}  // namespace

// The folded texts of a list lie end to end: a search may not run from one text into the next, and
// the end of a text ends a match there as the end of the text itself does.
TEST_F(MarkerFilterSearch, FoldedTextsAnswerAsEachTextDoesAtTheirBoundaries) {
    const std::string macronBelow = "\xCC\xB1";  // U+0331, a combining mark
    const std::vector items{
        textItem("ab", "cd"),
        textItem("x", std::string("y\0z", 3)),  // a NUL inside a text is text
        textItem("e", macronBelow + "x"),       // "e" whole, then a text that begins with a mark
        textItem("e" + macronBelow, "e" + macronBelow),
        textItem("\xFF"
                 "abc",
                 "\xFF"
                 "abc"),  // an ill-formed byte reads as U+FFFD
        textItem("Zo\xC3\xAB", "@ZO\xC3\xAB fix", "Zo\xC3\xAB"),
        textItem("Act", "Act", ""),  // an empty assignee holds nothing, like none
    };
    const MarkerSearchTexts texts(items);
    ASSERT_EQ(texts.size(), items.size());
    for (const std::string& query :
         std::vector<std::string>{"b", "bc", "abcd", std::string("b\0c", 3), std::string("y\0z", 3),
                                  std::string("\0", 1), "dx", "e", "e" + macronBelow, macronBelow,
                                  "\xEF\xBF\xBD"
                                  "a",
                                  "zo\xC3\xAB", "ZOE", "@zo", "mainmain", "day", "main", "docday", "t"}) {
        const MarkerFilter filter = searchFor(query);
        EXPECT_EQ(filter.matchesEach(items, texts), plainMatches(filter, items)) << query;
    }
    EXPECT_EQ(searchFor("e").matchesEach(items, texts)[3], false);  // the mark belongs to the "e"
    EXPECT_EQ(searchFor("bc").matchesEach(items, texts)[0], false);
}

TEST_F(MarkerFilterSearch, FoldedTextsKeepTheSetConditionsAndTheCaseRulesTheyWereFoldedUnder) {
    std::vector items{textItem("KIRMIZI", "KIRMIZI"), textItem("kirmizi", "kirmizi"), quillo::test::bareChapter()};
    items[1].kind = MarkerKind::standard;
    const MarkerSearchTexts english(items);
    use("tr_TR");
    const MarkerSearchTexts turkish(items);
    for (const std::string query : {"kirmizi", "k\xC4\xB1rm\xC4\xB1z\xC4\xB1", "I", "\xC4\xB0"}) {
        for (const MarkerFilter& filter : {searchFor(query), MarkerFilter({MarkerKind::todo}, {}, {}, query)}) {
            const auto plain = plainMatches(filter, items);
            EXPECT_EQ(filter.matchesEach(items, turkish), plain) << query;
            // Folded under English rules: not used for a Turkish search, and the answers stay.
            EXPECT_EQ(filter.matchesEach(items, english), plain) << query;
        }
    }
    EXPECT_EQ(searchFor("k\xC4\xB1rm\xC4\xB1z\xC4\xB1").matchesEach(items, turkish), (std::vector{true, false, false}));
    // Folded texts of another list are not used either.
    const std::vector fewer(items.begin(), items.begin() + 1);
    EXPECT_EQ(searchFor("I").matchesEach(items, MarkerSearchTexts(fewer)), plainMatches(searchFor("I"), items));
}
