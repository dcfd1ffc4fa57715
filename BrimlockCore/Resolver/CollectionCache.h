#pragma once

#include "BrimlockCore/PropertyList/DecodedBlob.h"
#include "BrimlockCore/PropertyList/DocumentArena.h"
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

// The reads of one timeline's walks from one event database that the connection does not keep:
// decoded attribute blobs and storyline orders by collection key, each made once. The storyline walk,
// the connected-item walks, the role, effect and title searches and the marker scan visit the same
// collections again and again; with the cache every visit after the first costs a map lookup, and
// no blob is decoded twice. Rows and child lists come from the connection as it reads them.
//
// It keeps everything it read, so it lives for one timeline (the timeline resolver clears it when
// it starts on another). The decoded blobs live in an arena of the cache's own, which clear() hands
// to the next timeline's blobs: what a blob handed out (values, views) is valid until clear(). Used
// by one thread at a time.
class CollectionCache {
public:
    explicit CollectionCache(FCPDatabaseConnection& db) : db_(db) {}
    CollectionCache(const CollectionCache&) = delete;
    CollectionCache& operator=(const CollectionCache&) = delete;

    FCPDatabaseConnection& db() const noexcept { return db_; }

    // As FCPDatabaseConnection::collectionInfo, childPKs, childPK and resolveActivePick answer.
    const CollectionInfo* info(std::int64_t pk) { return db_.collectionInfo(pk); }
    std::optional<std::span<const std::int64_t>> children(std::int64_t pk) { return db_.childPKs(pk); }
    std::optional<std::int64_t> childNamed(std::int64_t pk, std::string_view name) { return db_.childPK(pk, name); }
    std::optional<std::int64_t> activePick(std::int64_t stackPK) { return db_.resolveActivePick(stackPK); }
    // nullptr when there is no metadata row or value, the query failed, or the bytes do not decode.
    // Valid, with every value taken from it, until clear().
    const BlobDecoder::DecodedBlob* blob(std::int64_t pk);

    // The children of a "containedItems" grouping collection in storyline order: first those the
    // group's blob names (BlobDecoder::orderedChildIdentifiers, each looked up by ZIDENTIFIER), in
    // that order, each once; then the children it does not name, by ascending key. Without a
    // readable blob all children by ascending key; empty when the child list is empty or fails.
    const std::vector<std::int64_t>& storylineOrder(std::int64_t groupPK);

    void clear() noexcept;

private:
    FCPDatabaseConnection& db_;
    DocumentArena arena_;  // the blobs' documents; declared first, so that it goes after them
    // std::nullopt marks a blob that is missing or unreadable. Node-based maps: the pointers handed
    // out stay valid.
    std::unordered_map<std::int64_t, std::optional<BlobDecoder::DecodedBlob>> blobs_;
    std::unordered_map<std::int64_t, std::vector<std::int64_t>> storylineOrders_;
};

}  // namespace brimlock
