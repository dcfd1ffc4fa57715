// Feeds arbitrary bytes to the IPC message decoder. Whatever decodes must encode, stay on one line,
// decode again and encode to the same bytes; every other outcome must be a DecodingError. The direct
// coder of to-do lists must agree with the JSON tree coder on every input.
#include "QuilloToDoKit/QuilloToDoModel/TodoIPCMessage.h"
#include "fuzz/FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

using fuzz::require;

namespace {

std::optional<quillo::TodoIPCMessage> treeDecoding(std::string_view input) {
    try {
        return quillo::decodeTodoIPCMessage(platform::parseJSON(input));
    } catch (const platform::DecodingError&) {
        return std::nullopt;
    }
}

// The input as the text of an item, well-formed or not: both coders must write the same bytes.
void requireSameEncodingOfText(std::string_view input) {
    const quillo::TodoItem item{
        .kind = quillo::MarkerKind::todo,
        .status = quillo::TodoStatus::open,
        .text = std::string(input),
        .assigneeSource = quillo::AssigneeSource::none,
        .timelinePositionSeconds = 1.0 / 3.0,
        .frameRateFPS = 24.0,
    };
    const auto message = quillo::TodoIPCMessage::todoList({item});
    require(quillo::encodeMessage(message) == platform::serializeJSON(quillo::encode(message)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::textOf(data, size);
    requireSameEncodingOfText(input);
    const std::optional<quillo::TodoIPCMessage> tree = treeDecoding(input);
    std::optional<quillo::TodoIPCMessage> message;
    try {
        message = quillo::decodeMessage(input);
    } catch (const platform::DecodingError&) {
        require(!tree.has_value());
        return 0;
    }
    require(tree.has_value());

    // Decoded numbers are finite and decoded texts valid UTF-8, so encoding cannot fail.
    const std::string encoded = quillo::encodeMessage(*message);
    require(encoded.find('\n') == std::string::npos);
    require(platform::serializeJSON(quillo::encode(*tree)) == encoded);

    const quillo::TodoIPCMessage again = quillo::decodeMessage(encoded);
    require(again.payload().index() == message->payload().index());
    require(quillo::encodeMessage(again) == encoded);
    if (const auto* list = std::get_if<quillo::TodoIPCMessage::TodoList>(&message->payload())) {
        require(std::get<quillo::TodoIPCMessage::TodoList>(again.payload()).items == list->items);
        require(std::get<quillo::TodoIPCMessage::TodoList>(tree->payload()).items == list->items);
    }
    return 0;
}
