#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include "ModelTestSupport.h"

#include "testing/Thrown.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <unordered_set>
#include <utility>
#include <vector>

using namespace quillo;
using quillo::test::plausibleItem;
using quillo::testing::thrownBy;
using Kind = platform::DecodingError::Kind;

namespace {

const std::string kPrecomposed = "Caf\xC3\xA9";  // é as U+00E9
const std::string kDecomposed = "Cafe\xCC\x81";  // e + U+0301

platform::JSON encodedThroughText(const TodoItem& item) {
    return platform::parseJSON(platform::serializeJSON(encode(item)));
}

}  // namespace

TEST(TodoEnums, RawValuesReadBackExactlyAndNothingElse) {
    for (const MarkerKind kind : kAllMarkerKinds) EXPECT_EQ(markerKindFromRawValue(rawValue(kind)), kind);
    for (const TodoStatus status : kAllTodoStatuses) EXPECT_EQ(todoStatusFromRawValue(rawValue(status)), status);
    for (const AssigneeSource source : {AssigneeSource::role, AssigneeSource::prefix, AssigneeSource::none})
        EXPECT_EQ(assigneeSourceFromRawValue(rawValue(source)), source);

    EXPECT_EQ(markerKindFromRawValue("chapter"), MarkerKind::chapter);
    for (const char* text : {"", "Chapter", "chapter ", "TODO", "To-Do"})
        EXPECT_FALSE(markerKindFromRawValue(text)) << text;
    for (const char* text : {"Open", "N/A", "unknown\n"}) EXPECT_FALSE(todoStatusFromRawValue(text)) << text;
    for (const char* text : {"Role", "", "none "}) EXPECT_FALSE(assigneeSourceFromRawValue(text)) << text;
}

TEST(TodoEnums, CasesComeInCaseOrderWithTheirLabels) {
    EXPECT_EQ(kAllMarkerKinds, (std::array{MarkerKind::standard, MarkerKind::todo, MarkerKind::chapter}));
    EXPECT_EQ(kAllTodoStatuses, (std::array{TodoStatus::open, TodoStatus::done, TodoStatus::unknown}));
    EXPECT_EQ(displayName(MarkerKind::standard), "Standard");
    EXPECT_EQ(displayName(MarkerKind::todo), "To-Do");
    EXPECT_EQ(displayName(MarkerKind::chapter), "Chapter");
    EXPECT_EQ(displayName(TodoStatus::open), "Open");
    EXPECT_EQ(displayName(TodoStatus::done), "Done");
    EXPECT_EQ(displayName(TodoStatus::unknown), "N/A");
}

TEST(TodoEnums, CodedAsSingleStrings) {
    EXPECT_EQ(encode(MarkerKind::todo), platform::JSON("todo"));
    EXPECT_EQ(decodeTodoStatus(platform::JSON("done")), TodoStatus::done);
    EXPECT_EQ(decodeAssigneeSource(encode(AssigneeSource::none)), AssigneeSource::none);

    auto error = thrownBy<platform::DecodingError>([] { decodeMarkerKind(platform::JSON("Todo"), {"kind"}); });
    EXPECT_EQ(error.kind(), Kind::dataCorrupted);
    EXPECT_EQ(error.codingPath(), platform::CodingPath{"kind"});
    EXPECT_EQ(thrownBy<platform::DecodingError>([] { decodeTodoStatus(platform::JSON(1)); }).kind(),
              Kind::typeMismatch);
}

TEST(TodoItemCoding, WritesEveryFieldAsAMemberInOrderAndReadsBackEqual) {
    const TodoItem item = plausibleItem();
    const platform::JSON json = encode(item);

    std::vector<std::string> names;
    for (const auto& member : json.items()) names.push_back(member.key());
    EXPECT_EQ(names, (std::vector<std::string>{"id",
                                               "kind",
                                               "status",
                                               "completedRaw",
                                               "text",
                                               "rawText",
                                               "chapterNote",
                                               "assigneeName",
                                               "assigneeSource",
                                               "roleUID",
                                               "roleName",
                                               "topLevelRoleUID",
                                               "libraryName",
                                               "libraryBookmarkID",
                                               "eventName",
                                               "timelineID",
                                               "timelineName",
                                               "timelinePositionSeconds",
                                               "timelineTimecode",
                                               "frameRateFPS"}));
    EXPECT_EQ(json["id"], "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    EXPECT_EQ(json["completedRaw"], false);  // false is a value: written, not left out
    EXPECT_EQ(json["kind"], "todo");
    EXPECT_EQ(json["assigneeSource"], "prefix");

    EXPECT_EQ(decodeTodoItem(encodedThroughText(item)), item);
}

TEST(TodoItemCoding, AbsentOptionalsAreLeftOutAndEmptyTextsKept) {
    TodoItem fields = quillo::test::bareChapter();
    fields.text.clear();
    const TodoItem item = fields;
    const platform::JSON json = encode(item);
    for (const char* name : {"completedRaw", "chapterNote", "assigneeName", "roleUID", "roleName", "topLevelRoleUID"})
        EXPECT_FALSE(json.contains(name)) << name;
    EXPECT_EQ(json.size(), 14u);
    EXPECT_EQ(json["text"], "");

    const TodoItem read = decodeTodoItem(encodedThroughText(item));
    EXPECT_EQ(read, item);
    EXPECT_FALSE(read.completedRaw);
    EXPECT_EQ(read.text, "");

    fields.chapterNote = "";
    EXPECT_EQ(decodeTodoItem(encodedThroughText(fields)).chapterNote, std::optional<std::string>(""));
}

TEST(TodoItemCoding, ReadingTakesNullAsAbsentAnyNumberAndEitherCaseOfId) {
    platform::JSON json = encode(plausibleItem());
    json["assigneeName"] = nullptr;
    json["completedRaw"] = nullptr;
    json.erase("roleName");
    json["unexpected"] = {{"nested", true}};
    json["frameRateFPS"] = 24;
    json["id"] = "e621e1f8-c36c-495a-93fc-0c247a3e6e5f";
    json["status"] = "unknown";

    const TodoItem item = decodeTodoItem(platform::parseJSON(platform::serializeJSON(json)));
    EXPECT_FALSE(item.assigneeName);
    EXPECT_FALSE(item.completedRaw);
    EXPECT_FALSE(item.roleName);
    EXPECT_EQ(item.frameRateFPS, 24.0);
    EXPECT_EQ(item.id, plausibleItem().id);
    EXPECT_EQ(item.status, TodoStatus::unknown);
    EXPECT_TRUE(item.topLevelRoleUID);
}

TEST(TodoItemCoding, EveryReadingFailureNamesTheMember) {
    const platform::CodingPath at{"todoList", "_0", "Index 3"};
    const auto withMember = [&at](const std::string& name, platform::JSON value) {
        platform::JSON json = encode(plausibleItem());
        json[name] = std::move(value);
        return json;
    };
    const auto pathTo = [&at](const std::string& name) {
        auto path = at;
        path.push_back(name);
        return path;
    };
    struct Case {
        platform::JSON json;
        Kind kind;
        platform::CodingPath path;
    };
    std::vector<Case> cases = {
        {withMember("text", nullptr), Kind::valueNotFound, pathTo("text")},
        {withMember("timelinePositionSeconds", "83.25"), Kind::typeMismatch, pathTo("timelinePositionSeconds")},
        {withMember("libraryName", 5), Kind::typeMismatch, pathTo("libraryName")},
        {withMember("completedRaw", "false"), Kind::typeMismatch, pathTo("completedRaw")},
        {withMember("chapterNote", platform::JSON::array()), Kind::typeMismatch, pathTo("chapterNote")},
        {withMember("id", "E621E1F8C36C495A93FC0C247A3E6E5F"), Kind::dataCorrupted, pathTo("id")},
        {withMember("id", 7), Kind::typeMismatch, pathTo("id")},
        {withMember("kind", "Todo"), Kind::dataCorrupted, pathTo("kind")},
        {withMember("status", "OPEN"), Kind::dataCorrupted, pathTo("status")},
        {withMember("assigneeSource", "Role"), Kind::dataCorrupted, pathTo("assigneeSource")},
        {withMember("assigneeSource", nullptr), Kind::valueNotFound, pathTo("assigneeSource")},
        {platform::JSON::array(), Kind::typeMismatch, at},
    };
    for (const char* required :
         {"id", "kind", "status", "text", "rawText", "assigneeSource", "libraryName", "libraryBookmarkID", "eventName",
          "timelineID", "timelineName", "timelinePositionSeconds", "timelineTimecode", "frameRateFPS"}) {
        platform::JSON json = encode(plausibleItem());
        json.erase(required);
        cases.push_back({json, Kind::keyNotFound, at});
    }
    for (const auto& c : cases) {
        const auto error = thrownBy<platform::DecodingError>([&] { decodeTodoItem(c.json, at); });
        EXPECT_EQ(error.kind(), c.kind) << c.json.dump();
        EXPECT_EQ(error.codingPath(), c.path) << c.json.dump();
    }
}

TEST(TodoItemCoding, NonFiniteNumbersCannotBeWritten) {
    TodoItem fields = plausibleItem();
    fields.timelinePositionSeconds = std::numeric_limits<double>::quiet_NaN();
    auto error = thrownBy<platform::EncodingError>([&] { encode(fields, {"todoList", "_0", "Index 0"}); });
    EXPECT_EQ(error.codingPath(), (platform::CodingPath{"todoList", "_0", "Index 0", "timelinePositionSeconds"}));

    fields = plausibleItem();
    fields.frameRateFPS = -std::numeric_limits<double>::infinity();
    error = thrownBy<platform::EncodingError>([&] { encode(fields); });
    EXPECT_EQ(error.codingPath(), platform::CodingPath{"frameRateFPS"});
}

TEST(TodoItemEquality, EveryFieldTakesPart) {
    const std::vector<std::pair<const char*, std::function<void(TodoItem&)>>> changes = {
        {"id", [](TodoItem& f) { f.id = *platform::UUID::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E60"); }},
        {"kind", [](TodoItem& f) { f.kind = MarkerKind::standard; }},
        {"status", [](TodoItem& f) { f.status = TodoStatus::done; }},
        {"completedRaw", [](TodoItem& f) { f.completedRaw = true; }},
        {"completedRaw absent", [](TodoItem& f) { f.completedRaw.reset(); }},
        {"text", [](TodoItem& f) { f.text += "!"; }},
        {"text case", [](TodoItem& f) { f.text = "fix the colour in shot 4"; }},
        {"rawText", [](TodoItem& f) { f.rawText = f.text; }},
        {"chapterNote", [](TodoItem& f) { f.chapterNote = "Reel three"; }},
        {"chapterNote absent", [](TodoItem& f) { f.chapterNote.reset(); }},
        {"assigneeName empty", [](TodoItem& f) { f.assigneeName = ""; }},
        {"assigneeSource", [](TodoItem& f) { f.assigneeSource = AssigneeSource::role; }},
        {"roleUID", [](TodoItem& f) { f.roleUID = "video.titles-2"; }},
        {"roleName", [](TodoItem& f) { f.roleName.reset(); }},
        {"topLevelRoleUID", [](TodoItem& f) { f.topLevelRoleUID = "video"; }},
        {"libraryName", [](TodoItem& f) { f.libraryName = "Documentary 2"; }},
        {"libraryBookmarkID", [](TodoItem& f) { f.libraryBookmarkID = "other"; }},
        {"eventName", [](TodoItem& f) { f.eventName = "Day 2"; }},
        {"timelineID", [](TodoItem& f) { f.timelineID = "timeline-8"; }},
        {"timelineName", [](TodoItem& f) { f.timelineName = "Alt cut"; }},
        {"timelinePositionSeconds", [](TodoItem& f) { f.timelinePositionSeconds = std::nextafter(83.25, 90.0); }},
        {"timelineTimecode", [](TodoItem& f) { f.timelineTimecode = "00:01:23:07"; }},
        {"frameRateFPS", [](TodoItem& f) { f.frameRateFPS = 25.0; }},
    };
    const TodoItem original = plausibleItem();
    EXPECT_EQ(original, plausibleItem());
    EXPECT_EQ(std::hash<TodoItem>{}(original), std::hash<TodoItem>{}(plausibleItem()));
    for (const auto& [name, change] : changes) {
        TodoItem fields = plausibleItem();
        change(fields);
        EXPECT_NE(fields, original) << name;
        EXPECT_NE(original, fields) << name;
    }
}

TEST(TodoItemEquality, CanonicallyEquivalentTextsAndSignedZerosAreEqualAndHashAlike) {
    TodoItem precomposed = plausibleItem();
    precomposed.text = kPrecomposed + " grade";
    precomposed.assigneeName = kPrecomposed;
    precomposed.libraryName = kPrecomposed;
    precomposed.timelinePositionSeconds = 0.0;
    TodoItem decomposed = precomposed;
    decomposed.text = kDecomposed + " grade";
    decomposed.assigneeName = kDecomposed;
    decomposed.libraryName = kDecomposed;
    decomposed.timelinePositionSeconds = -0.0;

    const TodoItem a = precomposed;
    const TodoItem b = decomposed;
    EXPECT_EQ(a, b);
    EXPECT_EQ(std::hash<TodoItem>{}(a), std::hash<TodoItem>{}(b));
    EXPECT_EQ(std::unordered_set<TodoItem>({a, b}).size(), 1u);
    EXPECT_EQ(b.text, kDecomposed + " grade");  // stored as given, only compared canonically
}

TEST(TodoItemEquality, NaNEqualsNothing) {
    TodoItem fields = plausibleItem();
    fields.frameRateFPS = std::numeric_limits<double>::quiet_NaN();
    const TodoItem item = fields;
    EXPECT_NE(item, item);
}
