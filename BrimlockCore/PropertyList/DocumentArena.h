#pragma once

#include <cstddef>
#include <memory>
#include <memory_resource>
#include <vector>

namespace brimlock {

// Memory for documents that are dropped together, such as the blobs one timeline's walks decode:
// an allocation takes the next free bytes of a block, a deallocation does nothing, and reset()
// frees every block at once while keeping it, so that the next timeline's documents reuse the same
// memory instead of asking malloc for it piece by piece. Whatever was allocated must be gone before
// reset(). Used by one thread at a time.
class DocumentArena final : public std::pmr::memory_resource {
public:
    DocumentArena() = default;
    DocumentArena(const DocumentArena&) = delete;
    DocumentArena& operator=(const DocumentArena&) = delete;
    ~DocumentArena() override;

    // Every block free again; the blocks stay for the next documents.
    void reset() noexcept;

private:
    struct Block {
        std::unique_ptr<std::byte[]> memory;
        std::size_t size = 0;
    };

    void* do_allocate(std::size_t bytes, std::size_t alignment) override;
    void do_deallocate(void*, std::size_t, std::size_t) noexcept override {}
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override { return this == &other; }

    std::vector<Block> blocks_;
    std::size_t current_ = 0;  // the block being filled; blocks_.size() before the first allocation
    std::size_t used_ = 0;     // bytes of it
};

}  // namespace brimlock
