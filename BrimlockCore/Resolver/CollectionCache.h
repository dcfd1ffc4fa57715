#pragma once

#include "BrimlockCore/PropertyList/DecodedBlob.h"
#include "BrimlockCore/Database/FCPDatabaseConnection.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace brimlock {

// The reads of one timeline's walks from one event database, each made once: collection rows,
// child lists, decoded attribute blobs and storyline orders by collection key. The storyline walk,
// the connected-item walks, the role, effect and title searches and the marker scan visit the same
// collections again and again; with the cache every visit after the first costs a map lookup, and
// no blob is decoded twice. A failure is remembered like an answer, so a failing query is not
// retried while the cache lives. When the connection holds its collection index, rows and child
// lists come from there as they are, and the cache keeps only blobs and storyline orders.
//
// It keeps everything it read, so it lives for one timeline (the timeline resolver clears it when
// it starts on another). Used by one thread at a time.
class CollectionCache {
public:
    explicit CollectionCache(FCPDatabaseConnection& db) : db_(db) {}
    CollectionCache(const CollectionCache&) = delete;
    CollectionCache& operator=(const CollectionCache&) = delete;

    FCPDatabaseConnection& db() const noexcept { return db_; }

    // The row's type, identifier and name (all absent for a missing row); nullptr when the query
    // failed.
    const FCPDatabaseConnection::CollectionInfo* info(std::int64_t pk);
    // Child keys in row order; nothing when the query failed.
    std::optional<std::span<const std::int64_t>> children(std::int64_t pk);
    // The first child, in row order, whose ZNAME is `name`, as childPK(ofParent:named:) answers it
    // (from the cached child list and rows when the list was read). Nothing when there is none or
    // the child list fails.
    std::optional<std::int64_t> childNamed(std::int64_t pk, std::string_view name);
    // nullptr when there is no metadata row or value, the query failed, or the bytes do not decode.
    const BlobDecoder::DecodedBlob* blob(std::int64_t pk);
    // The audition's pick: the first child of the stack's "activeVariant" child.
    std::optional<std::int64_t> activePick(std::int64_t stackPK);

    // The children of a "containedItems" grouping collection in storyline order: first those the
    // group's blob names (BlobDecoder::orderedChildIdentifiers, each looked up by ZIDENTIFIER), in
    // that order, each once; then the children it does not name, by ascending key. Without a
    // readable blob all children by ascending key; empty when the child list is empty or fails.
    const std::vector<std::int64_t>& storylineOrder(std::int64_t groupPK);

    void clear() noexcept;

private:
    FCPDatabaseConnection& db_;
    // std::nullopt marks a failure. Node-based maps: the pointers handed out stay valid.
    std::unordered_map<std::int64_t, std::optional<FCPDatabaseConnection::CollectionInfo>> infos_;
    std::unordered_map<std::int64_t, std::optional<std::vector<std::int64_t>>> children_;
    std::unordered_map<std::int64_t, std::optional<BlobDecoder::DecodedBlob>> blobs_;
    std::unordered_map<std::int64_t, std::vector<std::int64_t>> storylineOrders_;
    // childPK answers for parents whose child list was not read.
    std::unordered_map<std::int64_t, std::vector<std::pair<std::string, std::optional<std::int64_t>>>> namedChildren_;
};

}  // namespace brimlock
