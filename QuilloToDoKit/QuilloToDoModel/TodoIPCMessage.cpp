#include "QuilloToDoKit/QuilloToDoModel/TodoIPCMessage.h"

#include "QuilloToDoKit/QuilloToDoModel/TodoListText.h"
#include "QuilloToDoKit/QuilloToDoModel/UUIDCoding.h"

#include <array>
#include <optional>
#include <utility>

namespace quillo {

namespace {

constexpr auto kCaseNames =
    std::to_array<std::string_view>({"hello", "todoList", "requestRefresh", "jumpTo", "setCompleted"});

template <class... Cases>
struct Overloaded : Cases... {
    using Cases::operator()...;
};
template <class... Cases>
Overloaded(Cases...) -> Overloaded<Cases...>;  // clang 14 deduces no aggregate templates by itself

platform::JSON encodeItems(const std::vector<TodoItem>& items, const platform::CodingPath& path) {
    platform::JSON array = platform::JSON::array();
    for (std::size_t i = 0; i < items.size(); ++i) array.push_back(encode(items[i], platform::elementPath(path, i)));
    return array;
}

std::vector<TodoItem> decodeItems(const platform::JSON& array, const platform::CodingPath& path) {
    std::vector<TodoItem> items;
    items.reserve(array.size());
    for (std::size_t i = 0; i < array.size(); ++i)
        items.push_back(decodeTodoItem(array[i], platform::elementPath(path, i)));
    return items;
}

TodoIPCMessage decodeCase(std::string_view name, const platform::KeyedDecoder& outer) {
    const platform::KeyedDecoder inner = outer.nestedDecoder(name);
    if (name == "hello") return TodoIPCMessage::hello(inner.decodeString("appName"));
    if (name == "todoList") return TodoIPCMessage::todoList(decodeItems(inner.decodeArray("_0"), inner.pathFor("_0")));
    if (name == "requestRefresh") return TodoIPCMessage::requestRefresh();
    if (name == "jumpTo") {
        auto timelineID = inner.decodeString("timelineID");
        return TodoIPCMessage::jumpTo(std::move(timelineID), inner.decodeDouble("seconds"));
    }
    // setCompleted
    const auto id = decodeUUID(platform::JSON(inner.decodeString("id")), inner.pathFor("id"));
    return TodoIPCMessage::setCompleted(id, inner.decodeBool("completed"));
}

}  // namespace

platform::JSON encode(const TodoIPCMessage& message, const platform::CodingPath& path) {
    platform::JSON json = platform::JSON::object();
    const auto visitor = Overloaded{
        [&](const TodoIPCMessage::Hello& hello) {
            json["hello"] = {{"appName", hello.appName}};
        },
        [&](const TodoIPCMessage::TodoList& list) {
            const auto listPath = platform::childPath(platform::childPath(path, "todoList"), "_0");
            json["todoList"] = {{"_0", encodeItems(list.items, listPath)}};
        },
        [&](const TodoIPCMessage::RequestRefresh&) { json["requestRefresh"] = platform::JSON::object(); },
        [&](const TodoIPCMessage::JumpTo& jump) {
            const auto secondsPath = platform::childPath(platform::childPath(path, "jumpTo"), "seconds");
            const double seconds = platform::requireFinite(jump.seconds, secondsPath);
            json["jumpTo"] = {{"timelineID", jump.timelineID}, {"seconds", seconds}};
        },
        [&](const TodoIPCMessage::SetCompleted& set) {
            json["setCompleted"] = {{"id", encode(set.id)}, {"completed", set.completed}};
        },
    };
    std::visit(visitor, message.payload());
    return json;
}

TodoIPCMessage decodeTodoIPCMessage(const platform::JSON& value, const platform::CodingPath& path) {
    const platform::KeyedDecoder outer(value, path);
    std::optional<std::string_view> caseName;
    std::size_t count = 0;
    for (const std::string_view name : kCaseNames) {
        if (!outer.contains(name)) continue;
        caseName = name;
        ++count;
    }
    if (count != 1)
        throw platform::DecodingError(platform::DecodingError::Kind::typeMismatch, path,
                                      "Invalid number of keys found, expected one.", "TodoIPCMessage");
    return decodeCase(*caseName, outer);
}

// Lists can be huge: they take the direct text coder, which leaves errors and unusual documents to the
// tree coder.
std::string encodeMessage(const TodoIPCMessage& message) {
    if (const auto* list = std::get_if<TodoIPCMessage::TodoList>(&message.payload()))
        if (auto text = todolisttext::write(list->items)) return std::move(*text);
    return platform::serializeJSON(encode(message));
}

TodoIPCMessage decodeMessage(std::string_view text) {
    if (auto items = todolisttext::read(text)) return TodoIPCMessage::todoList(std::move(*items));
    return decodeTodoIPCMessage(platform::parseJSON(text));
}

}  // namespace quillo
