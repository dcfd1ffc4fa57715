#pragma once

#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include "Platform/Foundation/Coding.h"
#include "Platform/Foundation/UUID.h"

#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace quillo {

// One message between the application and its workflow extension. Messages are plain values, neither
// comparable nor hashable. `jumpTo` and `setCompleted` are part of the vocabulary but nobody sends them.
class TodoIPCMessage {
public:
    // Greeting; names the sending program.
    struct Hello {
        std::string appName;
    };
    // The complete current list of to-dos, in order.
    struct TodoList {
        std::vector<TodoItem> items;
    };
    // Asks the application to send its list again.
    struct RequestRefresh {};
    // A timeline and a position in it, in seconds.
    struct JumpTo {
        std::string timelineID;
        double seconds = 0;
    };
    // An item and a completion state for it.
    struct SetCompleted {
        platform::UUID id;
        bool completed = false;
    };
    using Payload = std::variant<Hello, TodoList, RequestRefresh, JumpTo, SetCompleted>;

    static TodoIPCMessage hello(std::string appName) { return {Hello{std::move(appName)}}; }
    static TodoIPCMessage todoList(std::vector<TodoItem> items) { return {TodoList{std::move(items)}}; }
    static TodoIPCMessage requestRefresh() { return {RequestRefresh{}}; }
    static TodoIPCMessage jumpTo(std::string timelineID, double seconds) {
        return {JumpTo{std::move(timelineID), seconds}};
    }
    static TodoIPCMessage setCompleted(platform::UUID id, bool completed) { return {SetCompleted{id, completed}}; }

    // Implicit, so that a case converts to a message.
    TodoIPCMessage(Payload payload) : payload_(std::move(payload)) {}

    // Inspect with std::get_if or std::visit.
    const Payload& payload() const noexcept { return payload_; }

private:
    Payload payload_;
};

// An object with exactly one member named after the case ("hello", "todoList", "requestRefresh",
// "jumpTo", "setCompleted") holding an object of the case's values under their labels; the list of
// `todoList` is under "_0". Throws platform::EncodingError when a number to write is not finite.
platform::JSON encode(const TodoIPCMessage& message, const platform::CodingPath& path = {});
// Of the outer members only the five case names count (letter case matters); there must be exactly
// one, else a typeMismatch error "Invalid number of keys found, expected one." at `path`. Its value
// must be an object holding every value of the case; other members are ignored. Throws
// platform::DecodingError; nothing is produced partially.
TodoIPCMessage decodeTodoIPCMessage(const platform::JSON& value, const platform::CodingPath& path = {});

// The wire form: compact JSON without any raw line feed, so the transport can end it with one.
std::string encodeMessage(const TodoIPCMessage& message);
// One document in the wire form; malformed JSON, ill-formed UTF-8 and out-of-range numbers are
// platform::DecodingError like every other failure.
TodoIPCMessage decodeMessage(std::string_view text);

}  // namespace quillo
