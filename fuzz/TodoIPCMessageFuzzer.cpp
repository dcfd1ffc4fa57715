// Feeds arbitrary bytes to the IPC message decoder. Whatever decodes must encode, stay on one line,
// decode again and encode to the same bytes; every other outcome must be a DecodingError.
#include "QuilloToDoModel/TodoIPCMessage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::optional<quillo::TodoIPCMessage> message;
    try {
        message = quillo::decodeMessage(input);
    } catch (const platform::DecodingError&) {
        return 0;
    }

    // Decoded numbers are finite and decoded texts valid UTF-8, so encoding cannot fail.
    const std::string encoded = quillo::encodeMessage(*message);
    require(encoded.find('\n') == std::string::npos);

    const quillo::TodoIPCMessage again = quillo::decodeMessage(encoded);
    require(again.payload().index() == message->payload().index());
    require(quillo::encodeMessage(again) == encoded);
    if (const auto* list = std::get_if<quillo::TodoIPCMessage::TodoList>(&message->payload()))
        require(std::get<quillo::TodoIPCMessage::TodoList>(again.payload()).items == list->items);
    return 0;
}
