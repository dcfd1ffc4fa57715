#pragma once

#include "testing/PlistValue.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace quillo::testing {

// Writes one Core Data event store ("CurrentVersion.fcpevent") row by row, with the exact schema of a
// real store, indexes included. Entities: CatalogRoot 1, CatalogRootMD 2, Collection 3,
// CollectionMD 4 (hence the join table's name Z_3CHILDCOLLECTIONS). Every collection belongs to the
// one catalog root (ZCATALOG 1).
//
// The file is in rollback-journal mode and everything is written in one transaction that close()
// commits, so a reader that opens it immutable sees the finished store and never a -wal file. Until
// close() the file is not meant to be read.
class EventDatabase {
public:
    // The metadata row of a collection: none at all, a row whose ZDICTIONARYDATA is NULL, or bytes
    // (an empty byte list is stored as a zero-length blob, not as NULL).
    class Blob {
    public:
        enum class Kind { noRow, null, bytes };

        Blob(Bytes bytes) : kind_(Kind::bytes), bytes_(std::move(bytes)) {}
        static Blob noRow() { return Blob(Kind::noRow); }
        static Blob null() { return Blob(Kind::null); }

        Kind kind() const noexcept { return kind_; }
        const Bytes& bytes() const noexcept { return bytes_; }

    private:
        explicit Blob(Kind kind) : kind_(kind) {}

        Kind kind_;
        Bytes bytes_;
    };

    struct CollectionRow {
        std::optional<std::int64_t> pk{};  // the next free key when absent
        std::optional<std::string> type{};
        std::optional<std::string> identifier{};
        std::optional<std::string> name{};
        Blob blob = Blob::null();
    };

    // The CREATE statements of a real store, in the order they are run.
    static const std::vector<std::string>& schemaStatements();

    // Creates the file (which must not exist yet) with its schema, Core Data metadata and the catalog
    // root, and opens the transaction that close() commits.
    EventDatabase(const std::filesystem::path& file, const std::string& storeIdentifier,
                  const std::string& catalogName);
    ~EventDatabase();  // closes if still open; errors are swallowed
    EventDatabase(const EventDatabase&) = delete;
    EventDatabase& operator=(const EventDatabase&) = delete;

    const std::filesystem::path& path() const noexcept { return path_; }
    bool isOpen() const noexcept { return db_ != nullptr; }

    // A ZCOLLECTION row and, unless the blob says noRow, its ZCOLLECTIONMD row; the two point at each
    // other (ZCOLLECTION.ZMETADATA, ZCOLLECTIONMD.ZCOLLECTION). Answers the Z_PK.
    std::int64_t addCollection(const CollectionRow& row);
    // Replaces the collection's metadata row (or removes it for noRow).
    void setBlob(std::int64_t collection, const Blob& blob);
    // A further ZCOLLECTIONMD row for the same collection; ZCOLLECTION.ZMETADATA keeps pointing at the
    // first one.
    std::int64_t addMetadataRow(std::int64_t collection, const Blob& blob);
    // One Z_3CHILDCOLLECTIONS row. A real store answers a parent's children in child-key order.
    void link(std::int64_t parent, std::int64_t child);
    // The collection's ZIDENTIFIER (and its metadata rows'); NULL for std::nullopt.
    void setIdentifier(std::int64_t collection, const std::optional<std::string>& identifier);
    std::optional<std::string> identifier(std::int64_t collection) const;

    // Any SQL, for stores that are broken on purpose (a dropped table, a changed column).
    void execute(const std::string& sql);

    // Records the highest keys in Z_PRIMARYKEY, commits and closes. Nothing may be added afterwards.
    void close();

private:
    void requireOpen() const;
    std::int64_t insertMetadata(std::int64_t collection, const Blob& blob);
    void writeStoreMetadata(const std::string& storeIdentifier, const std::string& catalogName);

    std::filesystem::path path_;
    sqlite3* db_ = nullptr;
    std::vector<sqlite3_stmt*> statements_;
    sqlite3_stmt* insertCollection_ = nullptr;
    sqlite3_stmt* insertMetadata_ = nullptr;
    sqlite3_stmt* updateBlob_ = nullptr;
    sqlite3_stmt* insertLink_ = nullptr;
    std::int64_t maxCollection_ = 0;
    std::int64_t maxMetadata_ = 0;
    std::unordered_map<std::int64_t, std::int64_t> metadataOf_;  // collection key to its first MD key
    std::unordered_map<std::int64_t, std::optional<std::string>> identifiers_;
};

}  // namespace quillo::testing
