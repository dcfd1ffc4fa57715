#include "QuilloToDoKit/QuilloToDoModel/MessageLineBuffer.h"

#include "Platform/Foundation/Coding.h"

#include <algorithm>

namespace quillo {

bool MessageLineBuffer::append(std::string_view bytes) {
    if (start_ > 0) {
        // Taken lines leave only the unended tail, never more than the limit plus one append.
        bytes_.erase(0, start_);
        scanned_ -= start_;
        start_ = 0;
    }
    bytes_.append(bytes);
    return size() <= limit_;
}

void MessageLineBuffer::clear() noexcept {
    bytes_.clear();
    start_ = scanned_ = 0;
}

std::optional<TodoIPCMessage> MessageLineBuffer::nextMessage() {
    for (;;) {
        const std::size_t from = std::max(start_, scanned_);
        const std::size_t end = bytes_.find('\n', from);
        if (end == std::string::npos) {
            scanned_ = bytes_.size();
            return std::nullopt;
        }
        const std::string_view line(bytes_.data() + start_, end - start_);
        start_ = scanned_ = end + 1;
        if (line.empty()) continue;
        try {
            return decodeMessage(line);
        } catch (const platform::DecodingError&) {
            continue;
        }
    }
}

}  // namespace quillo
