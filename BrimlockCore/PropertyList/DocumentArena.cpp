#include "BrimlockCore/PropertyList/DocumentArena.h"

#include <algorithm>
#include <cstdint>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
// Freed memory stays unreadable until it is handed out again, so that a document used after
// reset() is still caught.
#define QUILLO_POISON(address, size) ASAN_POISON_MEMORY_REGION(address, size)
#define QUILLO_UNPOISON(address, size) ASAN_UNPOISON_MEMORY_REGION(address, size)
#else
#define QUILLO_POISON(address, size) ((void)(address), (void)(size))
#define QUILLO_UNPOISON(address, size) ((void)(address), (void)(size))
#endif

namespace brimlock {

namespace {

// Most timelines' blobs fit a few blocks; a larger request gets a block of its own size.
constexpr std::size_t kBlockSize = std::size_t{256} << 10;

}  // namespace

DocumentArena::~DocumentArena() {
    for (const Block& block : blocks_) QUILLO_UNPOISON(block.memory.get(), block.size);
}

void DocumentArena::reset() noexcept {
    for (const Block& block : blocks_) QUILLO_POISON(block.memory.get(), block.size);
    current_ = 0;
    used_ = 0;
}

void* DocumentArena::do_allocate(std::size_t bytes, std::size_t alignment) {
    if (bytes > SIZE_MAX - alignment) throw std::bad_alloc();
    for (; current_ < blocks_.size(); ++current_, used_ = 0) {
        const Block& block = blocks_[current_];
        void* free = block.memory.get() + used_;
        std::size_t room = block.size - used_;
        if (std::align(alignment, bytes, free, room)) {
            used_ = block.size - room + bytes;
            QUILLO_UNPOISON(free, bytes);
            return free;
        }
    }
    // Room for the request at any alignment: new[] aligns only to the default.
    const std::size_t size = std::max(kBlockSize, bytes + alignment);
    blocks_.push_back({std::make_unique_for_overwrite<std::byte[]>(size), size});
    QUILLO_POISON(blocks_.back().memory.get(), size);
    current_ = blocks_.size() - 1;
    used_ = 0;
    return do_allocate(bytes, alignment);
}

}  // namespace brimlock
