// Feeds arbitrary bytes to the queue file decoder, as the feedback service reads it. Whatever it
// keeps must encode and decode again to the same entries, with nothing dropped the second time, and
// each kept operation must be a feedback payload that survives its own round trip.
#include "QuilloToDo/Services/FeedbackPayload.h"
#include "QuilloToDo/Services/RetryQueueFile.h"
#include "fuzz/FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using fuzz::require;

namespace {

bool isFeedback(const platform::JSON& operation) {
    try {
        quillo::decodeFeedbackPayload(operation);
        return true;
    } catch (const platform::DecodingError&) {
        return false;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::textOf(data, size);
    const auto contents = quillo::RetryQueueFile::decode(input, isFeedback);
    require(contents.isArray || (contents.entries.empty() && contents.droppedCount == 0));
    const auto again = quillo::RetryQueueFile::decode(quillo::RetryQueueFile::encode(contents.entries), isFeedback);
    require(again.isArray && again.droppedCount == 0 && again.entries == contents.entries);
    for (const auto& entry : contents.entries) {
        const auto payload = quillo::decodeFeedbackPayload(entry.operation);
        require(quillo::decodeFeedbackPayload(quillo::encode(payload)) == payload);
    }
    return 0;
}
