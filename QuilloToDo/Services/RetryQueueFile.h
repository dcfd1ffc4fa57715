#pragma once

#include "QuilloToDo/Services/RetryQueueEntry.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The queue file: one JSON array of pending entries in queue order, each an object with "id" (the
// upper-case UUID text), "operation" (an object), "dedupKey" (left out when absent) and "attempts"
// (an integer). Written compact, with every forward slash escaped as "\/".
namespace quillo::RetryQueueFile {

// Whether an operation read from the file is one its owner can deliver.
using OperationCheck = std::function<bool(const platform::JSON& operation)>;

struct Contents {
    std::vector<RetryQueueEntry> entries;
    // False when the bytes are not a JSON array at all: nothing in them could be read.
    bool isArray = false;
    // Elements of the array that were not valid entries and were left out.
    std::size_t droppedCount = 0;
};

std::string encode(const std::vector<RetryQueueEntry>& entries);

// Reads entry by entry, so one bad element costs only itself. An element is valid when it is an
// object with an "id" that parses as a UUID, an object "operation" that `check` accepts (any object
// when `check` is empty), "attempts" an integer from 0 up, and "dedupKey" a string, null or
// missing (the last two mean no key). Other keys are ignored; the key order does not matter.
Contents decode(std::string_view bytes, const OperationCheck& check = {});

}  // namespace quillo::RetryQueueFile
