#pragma once

#include "BrimlockCore/Database/CollectionLookup.h"

#include <memory>
#include <memory_resource>
#include <mutex>
#include <unordered_map>

struct sqlite3;

namespace brimlock {

// Every collection row, child link and metadata row key of one event database, read in three
// sequential passes and then answered from memory exactly as the lookups' queries answer; the blobs
// are still read from the store, by their metadata row key. A timeline walk visits nearly every
// collection of its event, and three passes cost far less than a query or three per collection.
//
// Read-only once read: connections to the same store, on any threads, may share one.
class CollectionIndex {
public:
    // The index of the store; nullptr when it cannot be read whole and in key order (a damaged store)
    // or holds ill-formed text, which the queries compare as stored and the index could not, or a
    // metadata row whose owner is no integer key.
    static std::unique_ptr<CollectionIndex> read(sqlite3* db);
    ~CollectionIndex();
    CollectionIndex(const CollectionIndex&) = delete;
    CollectionIndex& operator=(const CollectionIndex&) = delete;

    // As CollectionLookup's, but never failing: the store was read whole.
    const CollectionInfo* info(std::int64_t pk) const noexcept;
    std::span<const std::int64_t> children(std::int64_t parent) const noexcept;
    std::optional<std::int64_t> childNamed(std::int64_t parent, std::string_view name) const noexcept;
    std::optional<std::int64_t> pkForIdentifier(std::string_view identifier) const;
    // The keys of the rows of a type, ascending.
    std::vector<std::int64_t> keysOfType(std::string_view type) const;
    // The keys of the collection's metadata rows, ascending: the order of the metadata table's index
    // on its owner, which the blob queries follow.
    std::span<const std::int64_t> metadataRows(std::int64_t ofCollection) const noexcept;

private:
    // Positions of ascending, distinct keys. A store numbers its rows 1, 2, 3..., so a table indexed
    // by key answers in one step; keys far apart (a damaged store) fall back to a binary search.
    class KeyTable {
    public:
        void reserve(std::size_t count) { keys_.reserve(count); }
        // False for a key not above the last one: a damaged store can break the order, which the
        // caller must learn before trusting positions.
        bool append(std::int64_t key);
        std::size_t size() const noexcept { return keys_.size(); }
        std::int64_t back() const noexcept { return keys_.back(); }
        std::int64_t key(std::size_t position) const noexcept { return keys_[position]; }
        void finish();
        std::optional<std::size_t> find(std::int64_t key) const noexcept;

    private:
        std::vector<std::int64_t> keys_;
        std::int64_t first_ = 0;
        std::vector<std::uint32_t> slots_;  // key - first_ to position + 1; 0 where no key is
    };

    // Keys grouped under ascending owners: the children of a parent, the metadata rows of a collection.
    struct Groups {
        KeyTable owners;
        std::vector<std::size_t> first;  // owner i's members are members[first[i], first[i + 1])
        std::vector<std::int64_t> members;

        // False for an owner below the last one.
        bool append(std::int64_t owner, std::int64_t member);
        void finish();
        std::span<const std::int64_t> of(std::int64_t owner) const noexcept;
    };

    CollectionIndex() = default;

    KeyTable rowKeys_;
    // Every text of every row, each where it was first put: the rows can view them while they are read.
    std::pmr::monotonic_buffer_resource texts_;
    std::vector<CollectionInfo> rows_;  // rows_[i] has key i of rowKeys_; its texts view texts_
    // Each parent's children in the order the child query returns them: that of the table's
    // (parent, child) primary-key index, which the pass ordered by parent reads too.
    Groups children_;
    Groups metadata_;
    // Identifier to the lowest key holding it; made on the first lookup by identifier.
    mutable std::once_flag identifiersMade_;
    mutable std::unordered_map<std::string_view, std::int64_t> keysByIdentifier_;
};

}  // namespace brimlock
