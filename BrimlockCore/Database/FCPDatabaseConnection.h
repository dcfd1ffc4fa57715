#pragma once

#include "BrimlockCore/Database/CollectionLookup.h"
#include "BrimlockCore/PropertyList/DecodedBlob.h"

#include <cstdint>
#include <map>
#include <memory>
#include <memory_resource>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct sqlite3;

namespace brimlock {

class CollectionIndex;
class SQLiteStatement;

// One read-only, immutable connection to one event database ("CurrentVersion.fcpevent"). Every read
// of an event database goes through it. Not shared between threads; closed when destroyed.
//
// Opened with "?immutable=1": SQLite takes no locks and never looks for a journal, so reading never
// contends with the editor that owns the file.
//
// Lookups answer nothing (or an empty list) when what they look for is not there, and a lookup that
// cannot be read answers as stated at each instead of throwing. Only the reads of whole tables throw
// FCPDatabaseError.
class FCPDatabaseConnection {
public:
    // A bound parameter; monostate binds NULL.
    using Parameter = std::variant<std::monostate, std::int64_t, std::string, double, Data>;
    // A column value; NULL columns (and zero-length blobs) are absent from a row.
    using Value = std::variant<std::int64_t, double, std::string, Data>;
    // Column name to value; a later column of the same name replaces an earlier one.
    using Row = std::map<std::string, Value, std::less<>>;
    using CollectionRow = brimlock::CollectionRow;
    using CollectionInfo = brimlock::CollectionInfo;

    // Throws FCPDatabaseError(connectionFailed).
    explicit FCPDatabaseConnection(std::string path);
    ~FCPDatabaseConnection();
    FCPDatabaseConnection(const FCPDatabaseConnection&) = delete;
    FCPDatabaseConnection& operator=(const FCPDatabaseConnection&) = delete;

    const std::string& path() const noexcept { return path_; }

    // Runs one statement; "?" placeholders are bound left to right. Any step result other than a row
    // or SQLITE_DONE is a failure: a truncated result never passes for a complete one.
    // Throws FCPDatabaseError(queryFailed).
    std::vector<Row> query(const std::string& sql, const std::vector<Parameter>& params = {});

    // From here on the rows and child links are read through a CollectionIndex of the whole store
    // instead of one query per lookup. Worth it only for a walk over a whole event; the answers stay
    // the same. False, leaving the lookups on their queries, when the store cannot be indexed (a
    // damaged store). Called before the first lookup: what earlier lookups handed out is released.
    bool loadCollectionIndex();
    // The index this connection reads through, to hand to another connection to the same store
    // (useCollectionIndex); nullptr while it has none.
    const std::shared_ptr<const CollectionIndex>& collectionIndex() const noexcept { return index_; }
    // From here on reads through `index`, which another connection to the same store read: as
    // loadCollectionIndex would, without reading the store again.
    void useCollectionIndex(std::shared_ptr<const CollectionIndex> index);

    // The fixed reads of the library reader, through the connection's CollectionLookup: a row (nullptr
    // when it cannot be read; every field absent when there is none), the children in row order
    // (nothing when they cannot be read), a child by name, a key by identifier.
    const CollectionInfo* collectionInfo(std::int64_t pk) { return lookup_->info(pk); }
    std::optional<std::span<const std::int64_t>> childPKs(std::int64_t ofParent) { return lookup_->children(ofParent); }
    std::optional<std::int64_t> childPK(std::int64_t ofParent, std::string_view named) {
        return lookup_->childNamed(ofParent, named);
    }
    std::optional<std::int64_t> pkForIdentifier(std::string_view identifier) {
        return lookup_->pkForIdentifier(identifier);
    }
    // The first child of the stack's "activeVariant" child: the audition's chosen pick.
    std::optional<std::int64_t> resolveActivePick(std::int64_t ofStackPK);
    // Throws FCPDatabaseError(queryFailed).
    std::vector<CollectionRow> fetchCollections(std::string_view ofType) { return lookup_->collections(ofType); }
    // The collection's attribute blob; nothing when it is missing or cannot be read.
    std::optional<Data> fetchBlob(std::int64_t forCollectionPK);
    // The blob, decoded into `memory` (see BlobDecoder::decode); nothing also when it is no keyed archive.
    std::optional<BlobDecoder::DecodedBlob> fetchDecodedBlob(
        std::int64_t forCollectionPK, std::pmr::memory_resource* memory = std::pmr::get_default_resource());

private:
    // Hands the collection's metadata bytes to `use` while they are SQLite's; no call when there
    // are none. Throws FCPDatabaseError(queryFailed).
    template <class Use>
    void readBlob(std::int64_t forCollectionPK, Use&& use);
    // The same for one metadata row by its key.
    template <class Use>
    void readMetadataRow(std::int64_t row, Use&& use);

    std::string path_;
    sqlite3* db_ = nullptr;
    // Prepared once per connection: blobs are read thousands of times in one scan.
    std::unique_ptr<SQLiteStatement> blobStatement_;
    std::unique_ptr<SQLiteStatement> metadataRowStatement_;
    std::shared_ptr<const CollectionIndex> index_;
    std::unique_ptr<CollectionLookup> lookup_;
};

}  // namespace brimlock
