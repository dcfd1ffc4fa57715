#pragma once

#include "BrimlockCore/Database/FCPDatabaseConnection.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace brimlock {

// The sequences of one event database by the "mediaIdentifier" they carry: where a compound clip's
// sequence lives when the multicam index does not know it. The first "FFAnchoredSequence" in row
// order that carries an identifier keeps it. The sequence rows are fetched on the first lookup (one
// pass over the whole collection table) and decoded only as far as lookups need; a failing query
// leaves the index empty for good.
//
// The timeline resolver makes one per database for the timelines it resolves. A caller that resolves
// many timelines of one database with one resolver each (the to-do scan) can make one and hand it to
// every resolver: the pass is then made once per database instead of once per timeline, and every
// answer is the same. Used by one thread at a time.
class LocalSequenceIndex {
public:
    explicit LocalSequenceIndex(FCPDatabaseConnection& db) : db_(db) {}
    LocalSequenceIndex(const LocalSequenceIndex&) = delete;
    LocalSequenceIndex& operator=(const LocalSequenceIndex&) = delete;

    FCPDatabaseConnection& db() const noexcept { return db_; }

    std::optional<std::int64_t> sequencePK(const std::string& forMediaIdentifier);

private:
    FCPDatabaseConnection& db_;
    bool fetched_ = false;
    // Key and blob of each sequence row; a blob is dropped once decoded.
    std::vector<std::pair<std::int64_t, std::optional<Data>>> rows_;
    std::size_t decodedRows_ = 0;
    std::unordered_map<std::string, std::int64_t> sequences_;
};

}  // namespace brimlock
