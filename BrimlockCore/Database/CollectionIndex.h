#pragma once

#include "BrimlockCore/Database/CollectionLookup.h"

#include <memory>
#include <unordered_map>

struct sqlite3;

namespace brimlock {

class SQLiteStatement;

// Every collection row and child link of one event database, read in two sequential passes and then
// answered from memory exactly as the lookups' queries answer; only the blobs of collections() are
// still read from the store. A timeline walk visits nearly every collection of its event, and two
// passes cost far less than a query or three per collection. Lives as long as its connection.
class CollectionIndex final : public CollectionLookup {
public:
    // The index of the store; nullptr when it cannot be read whole and in key order (a damaged store)
    // or holds ill-formed text, which the queries compare as stored and the index could not.
    static std::unique_ptr<CollectionIndex> read(sqlite3* db);
    ~CollectionIndex() override;

    const CollectionInfo* info(std::int64_t pk) override;
    std::optional<std::span<const std::int64_t>> children(std::int64_t parent) override;
    std::optional<std::int64_t> childNamed(std::int64_t parent, std::string_view name) override;
    std::optional<std::int64_t> pkForIdentifier(std::string_view identifier) override;
    std::vector<CollectionRow> collections(std::string_view ofType) override;

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

    explicit CollectionIndex(sqlite3* db) : db_(db) {}

    sqlite3* db_;
    std::unique_ptr<SQLiteStatement> blobs_;  // prepared on the first collections()
    KeyTable rowKeys_;
    std::vector<CollectionInfo> rows_;  // rows_[i] has key i of rowKeys_
    KeyTable parents_;
    std::vector<std::size_t> firstChild_;  // parent i's children are children_[firstChild_[i], firstChild_[i + 1])
    // Each parent's children in the order the child query returns them: that of the table's
    // (parent, child) primary-key index, which the pass ordered by parent reads too.
    std::vector<std::int64_t> children_;
    // Identifier to the lowest key holding it; made on the first lookup by identifier.
    std::optional<std::unordered_map<std::string_view, std::int64_t>> keysByIdentifier_;
};

}  // namespace brimlock
