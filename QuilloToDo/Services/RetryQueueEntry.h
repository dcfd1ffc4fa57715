#pragma once

#include "Platform/Foundation/Coding.h"
#include "Platform/Foundation/UUID.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quillo {

// One pending operation of a PersistentRetryQueue. The operation is kept as the JSON object its
// owner encoded, so the queue stays independent of what it delivers.
struct RetryQueueEntry {
    // Made when the entry is queued; identifies it for its whole life, across restarts too.
    platform::UUID id;
    // A JSON object, stored and handed to the delivery function unchanged.
    platform::JSON operation;
    std::optional<std::string> dedupKey;
    // Failed deliveries so far; never negative.
    std::int64_t attempts = 0;

    friend bool operator==(const RetryQueueEntry&, const RetryQueueEntry&) = default;
};

}  // namespace quillo
