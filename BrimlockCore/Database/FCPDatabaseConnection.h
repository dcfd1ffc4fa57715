#pragma once

#include "BrimlockCore/PropertyList/DecodedBlob.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace brimlock {

// Raw bytes of a ZDICTIONARYDATA blob.
using Data = std::vector<std::uint8_t>;

// One read-only, immutable connection to one event database ("CurrentVersion.fcpevent"). Every read
// of an event database goes through it. Not shared between threads; closed when destroyed.
//
// Opened with "?immutable=1": SQLite takes no locks and never looks for a journal, so reading never
// contends with the editor that owns the file.
class FCPDatabaseConnection {
public:
    // A bound parameter; monostate binds NULL.
    using Parameter = std::variant<std::monostate, std::int64_t, std::string, double, Data>;
    // A column value; NULL columns (and zero-length blobs) are absent from a row.
    using Value = std::variant<std::int64_t, double, std::string, Data>;
    // Column name to value; a later column of the same name replaces an earlier one.
    using Row = std::map<std::string, Value, std::less<>>;

    struct CollectionRow {
        std::int64_t pk = 0;  // 0 when the row has no Z_PK
        std::optional<std::string> identifier;
        std::optional<Data> blob;
    };
    struct CollectionInfo {
        std::optional<std::string> type;
        std::optional<std::string> identifier;
        std::optional<std::string> name;
    };

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

    // Reads every collection row and the whole child table in two sequential passes, after which
    // fetchCollectionInfo, fetchChildPKs, childPK, pkForIdentifier and resolveActivePick answer from
    // memory exactly what their queries give, and fetchCollections reads only the metadata of the
    // rows it returns (those comparing texts keep querying a store holding ill-formed text). A timeline walk visits nearly every collection of its event, and two passes
    // cost far less than a query or three per collection. Worth it only for a whole walk; the index
    // lives as long as the connection. False, leaving those lookups on their queries, when either
    // table cannot be read whole or in key order (a damaged store).
    bool loadCollectionIndex() noexcept;
    bool hasCollectionIndex() const noexcept { return index_ != nullptr; }
    // With the index loaded: a collection's row (nullptr when there is none) and its children in
    // row order, as the index holds them; no copy is made.
    const CollectionInfo* indexedCollectionInfo(std::int64_t pk) const noexcept;
    std::span<const std::int64_t> indexedChildPKs(std::int64_t ofParent) const noexcept;

    // The fixed queries of the library reader. Those that return a list or a blob throw
    // FCPDatabaseError(queryFailed); the lookups returning a single PK answer nothing on failure.
    std::vector<CollectionRow> fetchCollections(const std::string& ofType);
    std::optional<Data> fetchBlob(std::int64_t forCollectionPK);
    // The collection's attribute blob, decoded; nothing when it is missing, cannot be read or is no
    // keyed archive. For callers that treat all three alike, as most readers do.
    std::optional<BlobDecoder::DecodedBlob> fetchDecodedBlob(std::int64_t forCollectionPK) noexcept;
    std::vector<std::int64_t> fetchChildPKs(std::int64_t ofParent);  // in row order
    CollectionInfo fetchCollectionInfo(std::int64_t pk);
    std::optional<std::int64_t> childPK(std::int64_t ofParent, const std::string& named) noexcept;
    std::optional<std::int64_t> pkForIdentifier(const std::string& identifier) noexcept;
    // The first child of the stack's "activeVariant" child: the audition's chosen pick.
    std::optional<std::int64_t> resolveActivePick(std::int64_t ofStackPK) noexcept;

private:
    class Statement;
    struct CollectionIndex;
    enum class Fixed { collectionsOfType, blob, childPKs, collectionInfo, childNamed, pkForIdentifier, count };

    Statement& fixedStatement(Fixed which);
    // Hands the collection's metadata bytes to `use` while they are SQLite's; no call when there
    // are none. Throws FCPDatabaseError(queryFailed).
    template <class Use>
    void readBlob(std::int64_t forCollectionPK, Use&& use);
    std::string errorMessage() const;

    std::string path_;
    sqlite3* db_ = nullptr;
    // Prepared once per connection: the fixed queries run thousands of times in one scan.
    std::unique_ptr<Statement> fixed_[static_cast<int>(Fixed::count)];
    std::unique_ptr<CollectionIndex> index_;
};

}  // namespace brimlock
