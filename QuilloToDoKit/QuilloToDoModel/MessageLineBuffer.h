#pragma once

#include "QuilloToDoKit/QuilloToDoModel/TodoIPCMessage.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quillo {

// The receiving end of the IPC framing: bytes as they arrive on a stream, one message per line ended
// by a line feed (0x0A). Holds the bytes of the line not yet ended, up to a limit the owner chooses.
class MessageLineBuffer {
public:
    // `limit`: the most bytes the buffer may hold without a line feed, that many still allowed.
    explicit MessageLineBuffer(std::size_t limit) noexcept : limit_(limit) {}

    // Appends received bytes. False when the buffer, complete lines not yet taken included, now holds
    // more than the limit; the bytes stay appended and the owner decides (drop the stream or clear()).
    [[nodiscard]] bool append(std::string_view bytes);

    // Splits off every complete line, in order, and hands each one that decodes as a message to
    // `onMessage`. Empty lines and lines that do not decode are dropped without a trace. The unended
    // tail stays for the next append. `onMessage` may call clear() or append(): the line it came from
    // is already split off.
    template <class OnMessage>
    void takeMessages(OnMessage&& onMessage) {
        while (auto message = nextMessage()) onMessage(std::move(*message));
    }

    void clear() noexcept;
    // Bytes held, the unended tail included.
    std::size_t size() const noexcept { return bytes_.size() - start_; }
    std::size_t limit() const noexcept { return limit_; }

private:
    std::optional<TodoIPCMessage> nextMessage();

    std::size_t limit_;
    std::string bytes_;
    std::size_t start_ = 0;    // bytes before it are taken
    std::size_t scanned_ = 0;  // no line feed lies in [start_, scanned_): a long line is searched once
};

}  // namespace quillo
