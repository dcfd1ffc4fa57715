#include "QuilloToDoKit/QuilloToDoModel/TodoIPCMessage.h"

#include "ModelTestSupport.h"

#include "testing/Thrown.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

using namespace quillo;
using quillo::test::plausibleItem;
using quillo::testing::thrownBy;
using Kind = platform::DecodingError::Kind;
using Message = TodoIPCMessage;

namespace {

const char* const kOneKey = "Invalid number of keys found, expected one.";

template <class Case>
const Case& as(const TodoIPCMessage& message) {
    const Case* value = std::get_if<Case>(&message.payload());
    if (value == nullptr) throw std::logic_error("the message holds another case");
    return *value;
}

}  // namespace

TEST(TodoIPCMessage, SimpleCasesHaveTheirWireFormAndReadBack) {
    EXPECT_EQ(encodeMessage(Message::hello("QuilloToDo")), R"({"hello":{"appName":"QuilloToDo"}})");
    EXPECT_EQ(as<Message::Hello>(decodeMessage(R"({"hello":{"appName":"QuilloToDo"}})")).appName, "QuilloToDo");

    EXPECT_EQ(encodeMessage(Message::requestRefresh()), R"({"requestRefresh":{}})");
    EXPECT_NO_THROW(as<Message::RequestRefresh>(decodeMessage(R"({"requestRefresh":{}})")));

    EXPECT_EQ(encodeMessage(Message::jumpTo("T1", 12.5)), R"({"jumpTo":{"timelineID":"T1","seconds":12.5}})");
    const auto jump = as<Message::JumpTo>(decodeMessage(R"({"jumpTo":{"timelineID":"T1","seconds":12}})"));
    EXPECT_EQ(jump.timelineID, "T1");
    EXPECT_EQ(jump.seconds, 12.0);

    const auto id = *platform::UUID::parse("3f2504e0-4f89-41d3-9a0c-0305e82c3301");
    EXPECT_EQ(encodeMessage(Message::setCompleted(id, true)),
              R"({"setCompleted":{"id":"3F2504E0-4F89-41D3-9A0C-0305E82C3301","completed":true}})");
    const auto set = as<Message::SetCompleted>(
        decodeMessage(R"({"setCompleted":{"id":"3f2504e0-4f89-41d3-9a0c-0305e82c3301","completed":false}})"));
    EXPECT_EQ(set.id, id);
    EXPECT_FALSE(set.completed);
}

TEST(TodoIPCMessage, TodoListsKeepTheirItemsInOrder) {
    TodoItem second = quillo::test::bareChapter();
    second.id = *platform::UUID::parse("00000000-0000-0000-0000-000000000001");
    const std::vector<TodoItem> items = {plausibleItem(), second};

    const std::string wire = encodeMessage(Message::todoList(items));
    EXPECT_EQ(wire.rfind(R"({"todoList":{"_0":[{"id":"E621E1F8-)", 0), 0u);
    EXPECT_EQ(as<Message::TodoList>(decodeMessage(wire)).items, items);

    EXPECT_EQ(encodeMessage(Message::todoList({})), R"({"todoList":{"_0":[]}})");
    EXPECT_TRUE(as<Message::TodoList>(decodeMessage(R"({"todoList":{"_0":[]}})")).items.empty());
}

TEST(TodoIPCMessage, LineFeedsInTextsStayEscaped) {
    const std::string name = "Quillo\nToDo\r\n";
    const std::string wire = encodeMessage(Message::hello(name));
    EXPECT_EQ(wire.find('\n'), std::string::npos);
    EXPECT_EQ(as<Message::Hello>(decodeMessage(wire)).appName, name);

    TodoItem fields = plausibleItem();
    fields.text = "two\nlines";
    const std::string list = encodeMessage(Message::todoList({fields}));
    EXPECT_EQ(list.find('\n'), std::string::npos);
    EXPECT_EQ(as<Message::TodoList>(decodeMessage(list)).items.at(0).text, "two\nlines");
}

TEST(TodoIPCMessage, IllFormedTextBuiltInMemoryIsWrittenAsReplacementCharacters) {
    TodoItem fields = plausibleItem();
    fields.text = "bad \xC3 byte";
    const std::string wire = encodeMessage(Message::todoList({fields}));
    EXPECT_EQ(as<Message::TodoList>(decodeMessage(wire)).items.at(0).text, "bad \xEF\xBF\xBD byte");
    EXPECT_EQ(as<Message::Hello>(decodeMessage(encodeMessage(Message::hello("\xFF")))).appName, "\xEF\xBF\xBD");
}

TEST(TodoIPCMessage, OnlyTheFiveCaseNamesCountAsKeys) {
    EXPECT_EQ(as<Message::Hello>(decodeMessage(R"({"version":2,"hello":{"appName":"X","extra":[1]}})")).appName, "X");
    EXPECT_NO_THROW(as<Message::RequestRefresh>(decodeMessage(R"({"requestRefresh":{"force":true,"n":null}})")));

    for (const char* text : {"{}", R"({"hello":{"appName":"X"},"jumpTo":{"timelineID":"T","seconds":1}})",
                             R"({"Hello":{"appName":"X"}})", R"({"refresh":{}})"}) {
        const auto error = thrownBy<platform::DecodingError>([&] { decodeMessage(text); });
        EXPECT_EQ(error.kind(), Kind::typeMismatch) << text;
        EXPECT_EQ(error.debugDescription(), kOneKey) << text;
        EXPECT_EQ(error.expectedType(), "TodoIPCMessage") << text;
        EXPECT_TRUE(error.codingPath().empty()) << text;
    }
    const auto nested =
        thrownBy<platform::DecodingError>([] { decodeTodoIPCMessage(platform::JSON::object(), {"envelope"}); });
    EXPECT_EQ(nested.debugDescription(), kOneKey);
    EXPECT_EQ(nested.codingPath(), platform::CodingPath{"envelope"});
}

TEST(TodoIPCMessage, EveryOtherReadingFailureNamesItsPath) {
    struct Case {
        std::string text;
        Kind kind;
        platform::CodingPath path;
    };
    platform::JSON badItem = encode(plausibleItem());
    badItem["kind"] = "Todo";
    const std::string listWithBadItem =
        R"({"todoList":{"_0":[)" + encode(plausibleItem()).dump() + "," + badItem.dump() + "]}}";

    const std::vector<Case> cases = {
        {"[]", Kind::typeMismatch, {}},
        {R"("hello")", Kind::typeMismatch, {}},
        {R"({"hello":"QuilloToDo"})", Kind::typeMismatch, {"hello"}},
        {R"({"requestRefresh":null})", Kind::valueNotFound, {"requestRefresh"}},
        {R"({"requestRefresh":[]})", Kind::typeMismatch, {"requestRefresh"}},
        {R"({"hello":{}})", Kind::keyNotFound, {"hello"}},
        {R"({"hello":{"appName":null}})", Kind::valueNotFound, {"hello", "appName"}},
        {R"({"todoList":{}})", Kind::keyNotFound, {"todoList"}},
        {R"({"todoList":{"_0":{}}})", Kind::typeMismatch, {"todoList", "_0"}},
        {R"({"todoList":{"_0":[3]}})", Kind::typeMismatch, {"todoList", "_0", "Index 0"}},
        {listWithBadItem, Kind::dataCorrupted, {"todoList", "_0", "Index 1", "kind"}},
        {R"({"jumpTo":{"timelineID":"T","seconds":"12"}})", Kind::typeMismatch, {"jumpTo", "seconds"}},
        {R"({"jumpTo":{"seconds":12}})", Kind::keyNotFound, {"jumpTo"}},
        {R"({"setCompleted":{"id":"not a uuid","completed":true}})", Kind::dataCorrupted, {"setCompleted", "id"}},
        {R"({"setCompleted":{"id":"3F2504E0-4F89-41D3-9A0C-0305E82C3301","completed":1}})",
         Kind::typeMismatch,
         {"setCompleted", "completed"}},
        // Not JSON at all, ill-formed UTF-8, and a number beyond the range of a double.
        {R"({"hello":{"appName":"X"})", Kind::dataCorrupted, {}},
        {"{\"hello\":{\"appName\":\"\xC3\"}}", Kind::dataCorrupted, {}},
        {R"({"hello":{"appName":"\udc00"}})", Kind::dataCorrupted, {}},
        {R"({"jumpTo":{"timelineID":"T","seconds":1e400}})", Kind::dataCorrupted, {}},
        {"", Kind::dataCorrupted, {}},
    };
    for (const auto& c : cases) {
        const auto error = thrownBy<platform::DecodingError>([&] { decodeMessage(c.text); });
        EXPECT_EQ(error.kind(), c.kind) << c.text;
        EXPECT_EQ(error.codingPath(), c.path) << c.text;
    }
}

TEST(TodoIPCMessage, NonFiniteNumbersFailTheWholeDocument) {
    auto error = thrownBy<platform::EncodingError>(
        [] { encodeMessage(Message::jumpTo("T", std::numeric_limits<double>::infinity())); });
    EXPECT_EQ(error.codingPath(), (platform::CodingPath{"jumpTo", "seconds"}));

    TodoItem broken = plausibleItem();
    broken.frameRateFPS = std::numeric_limits<double>::quiet_NaN();
    error = thrownBy<platform::EncodingError>([&] { encodeMessage(Message::todoList({plausibleItem(), broken})); });
    EXPECT_EQ(error.codingPath(), (platform::CodingPath{"todoList", "_0", "Index 1", "frameRateFPS"}));
}
