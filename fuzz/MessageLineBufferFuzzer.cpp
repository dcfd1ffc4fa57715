// Feeds arbitrary bytes, in chunks of a size the first byte picks, through the IPC line buffer as the
// extension's client does (clearing it when a line outgrows the limit), and requires the messages
// that a plain reference split of the same stream yields, in the same order.
#include "QuilloToDoKit/QuilloToDoModel/MessageLineBuffer.h"

#include "Platform/Foundation/Coding.h"
#include "fuzz/FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using fuzz::require;

namespace {

// Small, so that inputs of a few kilobytes reach the limit.
constexpr std::size_t kLimit = 2048;

std::vector<std::string> referenceSplit(std::string_view stream, std::size_t chunkSize) {
    std::vector<std::string> messages;
    std::string held;
    for (std::size_t at = 0; at < stream.size(); at += chunkSize) {
        held.append(stream.substr(at, chunkSize));
        if (held.size() > kLimit) {
            held.clear();
            continue;
        }
        std::size_t end;
        while ((end = held.find('\n')) != std::string::npos) {
            const std::string line = held.substr(0, end);
            held.erase(0, end + 1);
            if (line.empty()) continue;
            try {
                messages.push_back(quillo::encodeMessage(quillo::decodeMessage(line)));
            } catch (const platform::DecodingError&) {
            }
        }
    }
    return messages;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t chunkSize = std::size_t{data[0]} + 1;
    const std::string_view stream = fuzz::textOf(data + 1, size - 1);

    quillo::MessageLineBuffer buffer(kLimit);
    std::vector<std::string> messages;
    for (std::size_t at = 0; at < stream.size(); at += chunkSize) {
        if (!buffer.append(stream.substr(at, chunkSize))) {
            require(buffer.size() > kLimit);
            buffer.clear();
            continue;
        }
        buffer.takeMessages(
            [&](const quillo::TodoIPCMessage& message) { messages.push_back(quillo::encodeMessage(message)); });
        // Only the unended tail stays.
        require(buffer.size() <= kLimit);
    }
    require(messages == referenceSplit(stream, chunkSize));
    return 0;
}
