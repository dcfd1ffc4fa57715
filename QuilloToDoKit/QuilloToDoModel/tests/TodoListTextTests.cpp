// The direct text coder of to-do lists against the JSON tree coder: the same bytes, the same items,
// the same errors.
#include "QuilloToDoKit/QuilloToDoModel/TodoIPCMessage.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoItemFields.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoListText.h"

#include "ModelTestSupport.h"

#include "testing/Thrown.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace quillo;
using quillo::test::plausibleItem;

namespace {

using Message = TodoIPCMessage;

std::string treeEncoding(const std::vector<TodoItem>& items) {
    return platform::serializeJSON(encode(Message::todoList(items)));
}

// Texts mixing plain ASCII with everything the writer treats specially.
class TextSource {
public:
    explicit TextSource(std::uint64_t seed) : random_(seed) {}

    std::string text(bool wellFormed) {
        static const std::vector<std::string> pieces = {"a",
                                                        "Shot 4",
                                                        " ",
                                                        "/",
                                                        "\"",
                                                        "\\",
                                                        "\n",
                                                        "\r",
                                                        "\t",
                                                        "\b",
                                                        "\f",
                                                        std::string(1, '\0'),
                                                        "\x01",
                                                        "\x1F",
                                                        "\x7F",
                                                        "\xC3\xA9",
                                                        "e\xCC\x81",
                                                        "\xE4\xB8\xAD",
                                                        "\xF0\x9F\x98\x80",
                                                        "\xEF\xBF\xBF",
                                                        "\xF4\x8F\xBF\xBF",
                                                        "\xED\x9F\xBF",
                                                        "\xEE\x80\x80",
                                                        "\xC2\x80",
                                                        "\xE0\xA0\x80",
                                                        "\xF0\x90\x80\x80"};
        static const std::vector<std::string> illFormed = {
            "\x80",     "\xC3", "\xC0\xAF", "\xC1\xBF",     "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
            "\xF5\x80", "\xFF", "\xE4\xB8", "\xF0\x9F\x98", "\xC3\xC3\xA9"};
        std::string result;
        const auto count = pick(12);
        for (std::size_t i = 0; i < count; ++i) result += pieces[pick(pieces.size())];
        if (!wellFormed) result.insert(pick(result.size() + 1), illFormed[pick(illFormed.size())]);
        return result;
    }

    std::optional<std::string> optionalText() {
        if (pick(3) == 0) return std::nullopt;
        return text(true);
    }

    double number() {
        static const std::vector<double> special = {0.0,
                                                    -0.0,
                                                    24.0,
                                                    23.976023976023978,
                                                    1.0 / 3.0,
                                                    -1.0 / 3.0,
                                                    1e20,
                                                    1e21,
                                                    1e22,
                                                    1e-5,
                                                    1e-7,
                                                    123456789012345680.0,
                                                    0.1,
                                                    5e-324,
                                                    std::numeric_limits<double>::min(),
                                                    std::numeric_limits<double>::max(),
                                                    -std::numeric_limits<double>::max(),
                                                    9007199254740993.0,
                                                    1e300,
                                                    83.25};
        if (pick(2) == 0) return special[pick(special.size())];
        for (;;) {  // any finite bit pattern
            const double value = std::bit_cast<double>(std::uint64_t{random_()});
            if (std::isfinite(value)) return value;
        }
    }

    std::size_t pick(std::size_t bound) { return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random_); }

private:
    std::mt19937_64 random_;
};

TodoItem randomItem(TextSource& source, bool wellFormed = true) {
    TodoItem fields = plausibleItem();
    fields.id = platform::UUID::random();
    fields.kind = kAllMarkerKinds[source.pick(kAllMarkerKinds.size())];
    fields.status = kAllTodoStatuses[source.pick(kAllTodoStatuses.size())];
    fields.completedRaw = source.pick(3) == 0 ? std::nullopt : std::optional(source.pick(2) == 0);
    fields.text = source.text(wellFormed);
    fields.rawText = source.text(true);
    fields.chapterNote = source.optionalText();
    fields.assigneeName = source.optionalText();
    fields.assigneeSource = source.pick(2) == 0 ? AssigneeSource::role : AssigneeSource::none;
    fields.roleUID = source.optionalText();
    fields.roleName = source.optionalText();
    fields.topLevelRoleUID = source.optionalText();
    fields.libraryName = source.text(true);
    fields.eventName = source.text(true);
    fields.timelineName = source.text(true);
    fields.timelinePositionSeconds = source.number();
    fields.timelineTimecode = source.text(true);
    fields.frameRateFPS = source.number();
    return fields;
}

// Equal outcomes: both decode to items with the same encoding, or both fail alike.
void expectSameDecoding(const std::string& text) {
    std::optional<std::string> direct, tree;
    std::optional<platform::DecodingError> directError, treeError;
    try {
        direct = encodeMessage(decodeMessage(text));
    } catch (const platform::DecodingError& error) {
        directError = error;
    }
    try {
        tree = encodeMessage(decodeTodoIPCMessage(platform::parseJSON(text)));
    } catch (const platform::DecodingError& error) {
        treeError = error;
    }
    ASSERT_EQ(direct, tree) << text;
    ASSERT_EQ(directError.has_value(), treeError.has_value()) << text;
    if (!directError) return;
    EXPECT_EQ(directError->kind(), treeError->kind()) << text;
    EXPECT_EQ(directError->codingPath(), treeError->codingPath()) << text;
    EXPECT_EQ(directError->debugDescription(), treeError->debugDescription()) << text;
    EXPECT_EQ(directError->expectedType(), treeError->expectedType()) << text;
}

std::string listOf(const platform::JSON& item) {
    return R"({"todoList":{"_0":[)" + encode(plausibleItem()).dump() + "," + item.dump() + "]}}";
}

}  // namespace

TEST(TodoListText, WritesTheTreeCodersBytes) {
    TextSource source(1);
    for (int round = 0; round < 200; ++round) {
        std::vector<TodoItem> items;
        for (std::size_t i = 0, n = source.pick(20); i < n; ++i) items.push_back(randomItem(source));
        const auto direct = todolisttext::write(items);
        ASSERT_TRUE(direct.has_value());
        ASSERT_EQ(*direct, treeEncoding(items));
    }
}

TEST(TodoListText, LeavesIllFormedTextsToTheTreeCodersReplacement) {
    TextSource source(2);
    for (int round = 0; round < 200; ++round) {
        const std::vector<TodoItem> items = {randomItem(source), randomItem(source, false)};
        EXPECT_FALSE(todolisttext::write(items).has_value()) << items[1].text;
        EXPECT_EQ(encodeMessage(Message::todoList(items)), treeEncoding(items));
    }
}

TEST(TodoListText, NonFiniteNumbersFailAtTheTreeCodersPath) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    for (const auto& [position, rate, failing] :
         {std::tuple{nan, 24.0, "timelinePositionSeconds"}, std::tuple{-infinity, nan, "timelinePositionSeconds"},
          std::tuple{1.0, infinity, "frameRateFPS"}}) {
        TodoItem broken = plausibleItem();
        broken.timelinePositionSeconds = position;
        broken.frameRateFPS = rate;
        const auto error = quillo::testing::thrownBy<platform::EncodingError>([&] {
            encodeMessage(Message::todoList({plausibleItem(), broken}));
        });
        EXPECT_EQ(error.codingPath(), (platform::CodingPath{"todoList", "_0", "Index 1", failing}));
    }
}

TEST(TodoListText, ReadsWhatTheTreeCoderReads) {
    TextSource source(3);
    for (int round = 0; round < 100; ++round) {
        std::vector<TodoItem> items;
        for (std::size_t i = 0, n = source.pick(20); i < n; ++i) items.push_back(randomItem(source));
        const std::string text = encodeMessage(Message::todoList(items));
        const auto direct = todolisttext::read(text);
        ASSERT_TRUE(direct.has_value());
        ASSERT_EQ(treeEncoding(*direct), text);
        expectSameDecoding(text);
    }
}

TEST(TodoListText, ReadsLikeTheTreeInAnyMemberOrderAndSpelling) {
    TextSource source(4);
    for (int round = 0; round < 100; ++round) {
        const platform::JSON ordered = encode(randomItem(source));
        platform::JSON shuffled = platform::JSON::object();
        std::vector<std::string> names;
        for (const auto& member : ordered.items()) names.push_back(member.key());
        std::shuffle(names.begin(), names.end(), std::mt19937(static_cast<unsigned>(round)));
        for (const auto& name : names) shuffled[name] = ordered[name];
        // Whitespace, escaped solidus and code point escapes, and integral numbers.
        std::string text = " { \"todoList\" : {\"_0\":\n[" + shuffled.dump(2) + "] } } ";
        expectSameDecoding(text);
        EXPECT_TRUE(todolisttext::read(text).has_value());
    }
    expectSameDecoding(R"({"todoList":{"_0":[{"id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f","kind":"todo",)"
                       R"("status":"open","text":"a\/b\u00e9\ud83d\ude00","rawText":"","assigneeSource":"none",)"
                       R"("libraryName":"L","libraryBookmarkID":"B","eventName":"E","timelineID":"T",)"
                       R"("timelineName":"N","timelinePositionSeconds":12,"timelineTimecode":"00:00",)"
                       R"("frameRateFPS":-18446744073709551615}]}})");
}

TEST(TodoListText, UnusualMembersAndEveryFaultDecodeAsInTheTree) {
    const platform::JSON good = encode(plausibleItem());
    std::vector<std::string> texts;
    for (const std::string_view name : itemfields::kKeys) {
        const std::string key(name);
        for (const platform::JSON& value :
             {platform::JSON(), platform::JSON(3), platform::JSON(2.5), platform::JSON("x"), platform::JSON(true),
              platform::JSON::array(), platform::JSON::object(), good[key]}) {
            platform::JSON changed = good;
            changed[key] = value;
            texts.push_back(listOf(changed));
            changed.erase(key);
            texts.push_back(listOf(changed));
        }
        // A repeated member: the tree keeps the last value.
        std::string repeated = listOf(good);
        repeated.insert(repeated.size() - 4, ",\"" + key + "\":" + good[key].dump());
        texts.push_back(repeated);
        repeated.insert(repeated.size() - 4, ",\"" + key + "\":null");
        texts.push_back(repeated);
    }
    for (const char* extra : {"extra", "Id"}) {  // unknown members, before the item's own
        platform::JSON withExtra = {{extra, {{"deep", {1, platform::JSON::object()}}}}};
        withExtra.update(good);
        texts.push_back(listOf(withExtra));
    }
    const std::string list = R"({"todoList":{"_0":[)" + good.dump() + "]}";
    for (const std::string& text :
         {list + "}", list + "}x", list + ",\"hello\":{\"appName\":\"A\"}}", list + ",\"other\":1}",
          std::string(R"({"todoList":{"_0":[],"_0":[)") + good.dump() + "]}}",
          std::string(R"({"todoList":{"x":1,"_0":[]}})"), std::string(R"({"todoList":{"_0":[],"x":1}})"),
          std::string(R"({"todoList":{"_0":[null]}})"), std::string(R"({"todoList":{"_0":[[]]}})"),
          std::string(R"({"todoList":{"_0":[]}})"), std::string(R"({"todoList":{}})"),
          std::string(R"({"todoList":{"_0":[]}, "todoList":{"_0":[1]}})"), std::string(R"({"todoList":[]})"),
          std::string(R"([{"todoList":{"_0":[]}}])"), std::string("{\"todoList\":{\"_0\":[\"\xC3\"]}}"),
          std::string(R"({"todoList":{"_0":[1e400]}})"), list})
        texts.push_back(text);
    for (const std::string& text : texts) expectSameDecoding(text);
}

TEST(TodoListText, EveryNumberAndStringSpellingReadsAsInTheTree) {
    const std::string good = encode(plausibleItem()).dump();
    // The item with the member's value spelt as given.
    const auto withMember = [](const std::string& name, const std::string& spelling) {
        platform::JSON item = encode(plausibleItem());
        item[name] = "<value>";
        std::string text = R"({"todoList":{"_0":[)" + item.dump() + "]}}";
        return text.replace(text.find("\"<value>\""), 9, spelling);
    };
    for (const char* number : {"0",
                               "-0",
                               "-0.0",
                               "0e0",
                               "1E+2",
                               "1e-2",
                               "00",
                               "01",
                               "-",
                               "1.",
                               ".5",
                               "1e",
                               "+1",
                               "-01",
                               "1.5e308",
                               "1e309",
                               "-1e400",
                               "1e-400",
                               "4.9e-324",
                               "2.4703282292062328e-324",
                               "18446744073709551615",
                               "18446744073709551616",
                               "-9223372036854775808",
                               "-9223372036854775809",
                               "9007199254740993",
                               "0.30000000000000004",
                               "123456789012345678901234567890",
                               "1 ",
                               "tru",
                               "true",
                               "null",
                               "\"1\""})
        for (const char* name : {"timelinePositionSeconds", "frameRateFPS"})
            expectSameDecoding(withMember(name, number));
    for (const char* text : {R"("")",
                             R"("\u0000")",
                             R"("\u001F\u007f\u00E9\uFFFF")",
                             R"("\ud83d\ude00")",
                             R"("\uD83D")",
                             R"("\ud83d\u0041")",
                             R"("\ude00")",
                             R"("\udc00")",
                             R"("\ud83dx")",
                             R"("\x")",
                             R"("\u12")",
                             R"("\u12G4")",
                             R"("a\"b\\c\/d\b\f\n\r\t")",
                             "\"\x7F\"",
                             "\"\x1F\"",
                             "\"\t\"",
                             "\"\xC3\xA9\"",
                             "\"\xC3\"",
                             "\"\xED\xA0\x80\"",
                             "\"\xF4\x90\x80\x80\"",
                             "\"\xF0\x9F\x98\x80\"",
                             R"("unterminated)",
                             R"(x)",
                             "true",
                             "1"})
        for (const char* name : {"text", "chapterNote", "id", "kind", "completedRaw"})
            expectSameDecoding(withMember(name, text));
    for (const std::string& spacing : {std::string("\xEF\xBB\xBF"), std::string(" \t\r\n"), std::string("\v"),
                                       std::string("\f"), std::string(1, '\0')}) {
        expectSameDecoding(spacing + R"({"todoList":{"_0":[]}})");
        expectSameDecoding(R"({"todoList":{"_0":[]}})" + spacing);
        expectSameDecoding(R"({"todoList")" + spacing + R"(:{"_0":[)" + good + "]}}");
    }
}
