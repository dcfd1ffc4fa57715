// Feeds arbitrary bytes to the queue file decoder. Whatever it keeps must encode and decode again to
// the same entries, with nothing dropped the second time.
#include "QuilloToDo/Services/RetryQueueFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto contents = quillo::RetryQueueFile::decode(input);
    if (!contents.isArray && (!contents.entries.empty() || contents.droppedCount != 0)) std::abort();
    const auto again = quillo::RetryQueueFile::decode(quillo::RetryQueueFile::encode(contents.entries));
    if (!again.isArray || again.droppedCount != 0 || again.entries != contents.entries) std::abort();
    return 0;
}
