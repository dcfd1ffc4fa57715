#include "BrimlockCore/Database/FCPDatabaseConnection.h"

#include "BrimlockCore/Database/CollectionIndex.h"
#include "BrimlockCore/Database/DamagedStore.h"
#include "BrimlockCore/Database/FCPDatabaseError.h"
#include "BrimlockCore/Database/SQLiteStatement.h"
#include "BrimlockCore/Database/StoreVocabulary.h"
#include "BrimlockCore/PropertyList/BlobDecoder.h"

#include <sqlite3.h>

#include <functional>
#include <limits>
#include <unordered_map>
#include <utility>

namespace brimlock {

namespace {

constexpr int kBusyTimeoutMilliseconds = 1000;

// SQLite's URI syntax reserves these three characters inside the path.
std::string uriFilename(const std::string& path) {
    std::string uri = "file:";
    for (const char c : path) {
        switch (c) {
        case '%': uri += "%25"; break;
        case '?': uri += "%3F"; break;
        case '#': uri += "%23"; break;
        default: uri += c;
        }
    }
    return uri + "?immutable=1";
}

// Each lookup its own query, each answer kept: a walk asks for the same collections again and again.
// A lookup that fails is remembered like an answer, so a failing query is not retried.
class QueriedLookup final : public CollectionLookup {
public:
    explicit QueriedLookup(sqlite3* db) : db_(db) {}

    const CollectionInfo* info(std::int64_t pk) override {
        auto [slot, inserted] = infos_.try_emplace(pk);
        if (inserted) {
            slot->second = whenStoreReadable(
                [&]() -> std::optional<StoredInfo> {
                    auto& statement = prepared(Fixed::collectionInfo);
                    SQLiteStatement::Run run(statement);
                    statement.bind(1, pk);
                    if (!statement.step()) return StoredInfo{};
                    return StoredInfo{column::text(statement.get(), 0), column::text(statement.get(), 1),
                                      column::text(statement.get(), 2)};
                },
                std::nullopt);
            if (slot->second) slot->second->view();
        }
        return slot->second ? &slot->second->info : nullptr;
    }

    std::optional<std::span<const std::int64_t>> children(std::int64_t parent) override {
        auto [slot, inserted] = children_.try_emplace(parent);
        if (inserted) {
            slot->second = whenStoreReadable(
                [&]() -> std::optional<std::vector<std::int64_t>> {
                    auto& statement = prepared(Fixed::childPKs);
                    SQLiteStatement::Run run(statement);
                    statement.bind(1, parent);
                    std::vector<std::int64_t> children;
                    while (statement.step()) {
                        if (const auto pk = column::integer(statement.get(), 0)) children.push_back(*pk);
                    }
                    return children;
                },
                std::nullopt);
        }
        if (!slot->second) return std::nullopt;
        return std::span<const std::int64_t>(*slot->second);
    }

    std::optional<std::int64_t> childNamed(std::int64_t parent, std::string_view name) override {
        auto& named = namedChildren_[parent];
        for (const auto& [childName, child] : named)
            if (childName == name) return child;
        const auto child = whenStoreReadable(
            [&]() -> std::optional<std::int64_t> {
                auto& statement = prepared(Fixed::childNamed);
                SQLiteStatement::Run run(statement);
                statement.bind(1, parent);
                statement.bind(2, std::string(name));
                if (!statement.step()) return std::nullopt;
                return column::integer(statement.get(), 0);
            },
            std::nullopt);
        named.emplace_back(std::string(name), child);
        return child;
    }

    std::optional<std::int64_t> pkForIdentifier(std::string_view identifier) override {
        return whenStoreReadable(
            [&]() -> std::optional<std::int64_t> {
                auto& statement = prepared(Fixed::pkForIdentifier);
                SQLiteStatement::Run run(statement);
                statement.bind(1, std::string(identifier));
                if (!statement.step()) return std::nullopt;
                return column::integer(statement.get(), 0);
            },
            std::nullopt);
    }

    std::vector<CollectionRow> collections(std::string_view ofType) override {
        auto& statement = prepared(Fixed::collectionsOfType);
        SQLiteStatement::Run run(statement);
        statement.bind(1, std::string(ofType));
        std::vector<CollectionRow> rows;
        while (statement.step()) {
            rows.push_back({column::integer(statement.get(), 0).value_or(0), column::text(statement.get(), 1),
                            column::blob(statement.get(), 2)});
        }
        return rows;
    }

private:
    enum class Fixed { collectionsOfType, childPKs, collectionInfo, childNamed, pkForIdentifier, count };

    // Prepared on first use, then kept: these run thousands of times in one walk.
    SQLiteStatement& prepared(Fixed which) {
        static constexpr const char* kSQL[] = {
            "SELECT c.Z_PK, c.ZIDENTIFIER, cm.ZDICTIONARYDATA\nFROM ZCOLLECTION c\n"
            "LEFT JOIN ZCOLLECTIONMD cm ON cm.ZCOLLECTION = c.Z_PK\nWHERE c.ZTYPE = ?",
            "SELECT Z_3CHILDCOLLECTIONS FROM Z_3CHILDCOLLECTIONS WHERE Z_3PARENTCOLLECTIONS = ?",
            "SELECT ZTYPE, ZIDENTIFIER, ZNAME FROM ZCOLLECTION WHERE Z_PK = ?",
            "SELECT c.Z_PK AS pk FROM Z_3CHILDCOLLECTIONS j\nJOIN ZCOLLECTION c ON c.Z_PK = j.Z_3CHILDCOLLECTIONS\n"
            "WHERE j.Z_3PARENTCOLLECTIONS = ? AND c.ZNAME = ? LIMIT 1",
            "SELECT Z_PK AS pk FROM ZCOLLECTION WHERE ZIDENTIFIER = ? LIMIT 1",
        };
        static_assert(std::size(kSQL) == static_cast<std::size_t>(Fixed::count));
        auto& slot = statements_[static_cast<int>(which)];
        if (!slot) slot = std::make_unique<SQLiteStatement>(db_, kSQL[static_cast<int>(which)]);
        return *slot;
    }

    // A row's texts and the info that views them.
    struct StoredInfo {
        std::optional<std::string> type;
        std::optional<std::string> identifier;
        std::optional<std::string> name;
        CollectionInfo info;

        // Once the texts are in their final place.
        void view() { info = {type, identifier, name}; }
    };

    sqlite3* db_;
    std::unique_ptr<SQLiteStatement> statements_[static_cast<int>(Fixed::count)];
    // std::nullopt marks a failure. Node-based maps: the pointers, views and spans handed out stay valid.
    std::unordered_map<std::int64_t, std::optional<StoredInfo>> infos_;
    std::unordered_map<std::int64_t, std::optional<std::vector<std::int64_t>>> children_;
    std::unordered_map<std::int64_t, std::vector<std::pair<std::string, std::optional<std::int64_t>>>> namedChildren_;
};

// The lookups answered from an index of the whole store, which other connections may share; only
// the blobs of collections() are read, through this connection.
class IndexedLookup final : public CollectionLookup {
public:
    IndexedLookup(std::shared_ptr<const CollectionIndex> index, std::function<std::optional<Data>(std::int64_t)> blob)
        : index_(std::move(index)), blob_(std::move(blob)) {}

    const CollectionInfo* info(std::int64_t pk) override { return index_->info(pk); }
    std::optional<std::span<const std::int64_t>> children(std::int64_t parent) override {
        return index_->children(parent);
    }
    std::optional<std::int64_t> childNamed(std::int64_t parent, std::string_view name) override {
        return index_->childNamed(parent, name);
    }
    std::optional<std::int64_t> pkForIdentifier(std::string_view identifier) override {
        return index_->pkForIdentifier(identifier);
    }

    std::vector<CollectionRow> collections(std::string_view ofType) override {
        // As the outer join answers: rows in key order (the table's own), each once per metadata row in
        // the metadata index's order, or once without a blob when it has none.
        std::vector<CollectionRow> rows;
        for (const std::int64_t pk : index_->keysOfType(ofType)) {
            const auto& identifier = index_->info(pk)->identifier;
            const auto metadata = index_->metadataRows(pk);
            if (metadata.empty()) rows.push_back({pk, toString(identifier), std::nullopt});
            for (const std::int64_t row : metadata) rows.push_back({pk, toString(identifier), blob_(row)});
        }
        return rows;
    }

private:
    static std::optional<std::string> toString(const std::optional<std::string_view>& text) {
        if (!text) return std::nullopt;
        return std::string(*text);
    }

    std::shared_ptr<const CollectionIndex> index_;
    std::function<std::optional<Data>(std::int64_t)> blob_;  // by metadata row key; throws as a query does
};

}  // namespace

FCPDatabaseConnection::FCPDatabaseConnection(std::string path) : path_(std::move(path)) {
    // SQLite's memory statistics take one process-wide lock around every allocation, which serialises
    // events read in parallel, and nothing reads them. The switch only works before SQLite starts;
    // if something else started it first, the call fails and changes nothing.
    static const int statisticsOff = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    (void)statisticsOff;
    const std::string uri = uriFilename(path_);
    sqlite3* handle = nullptr;
    // One thread at a time uses a connection, so it needs no lock of its own.
    const int flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    const int result = sqlite3_open_v2(uri.c_str(), &handle, flags, nullptr);
    if (result != SQLITE_OK || handle == nullptr) {
        const std::string message = handle != nullptr ? sqlite3_errmsg(handle) : "Unknown error";
        sqlite3_close(handle);
        throw FCPDatabaseError(FCPDatabaseError::Kind::connectionFailed, message);
    }
    db_ = handle;
    sqlite3_busy_timeout(db_, kBusyTimeoutMilliseconds);
    lookup_ = std::make_unique<QueriedLookup>(db_);
}

FCPDatabaseConnection::~FCPDatabaseConnection() {
    // Statements must be finalised before the close.
    lookup_.reset();
    blobStatement_.reset();
    metadataRowStatement_.reset();
    sqlite3_close(db_);
}

std::vector<FCPDatabaseConnection::Row> FCPDatabaseConnection::query(const std::string& sql,
                                                                     const std::vector<Parameter>& params) {
    SQLiteStatement statement(db_, sql.c_str());
    for (std::size_t i = 0; i < params.size() && i < static_cast<std::size_t>(std::numeric_limits<int>::max()); ++i)
        statement.bind(static_cast<int>(i + 1), params[i]);

    sqlite3_stmt* raw = statement.get();
    const int columnCount = sqlite3_column_count(raw);
    std::vector<Row> rows;
    while (statement.step()) {
        Row row;
        for (int at = 0; at < columnCount; ++at) {
            const char* name = sqlite3_column_name(raw, at);
            const std::string key = name != nullptr ? name : "";
            std::optional<Value> value;
            switch (sqlite3_column_type(raw, at)) {
            case SQLITE_INTEGER: value = sqlite3_column_int64(raw, at); break;
            case SQLITE_FLOAT: value = sqlite3_column_double(raw, at); break;
            case SQLITE_TEXT:
                if (auto text = column::text(raw, at)) value = std::move(*text);
                break;
            case SQLITE_BLOB:
                if (auto blob = column::blob(raw, at)) value = std::move(*blob);
                break;
            default: break;
            }
            if (value) {
                row.insert_or_assign(key, std::move(*value));
            } else {
                row.erase(key);  // a later NULL column of the same name still replaces the earlier value
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

bool FCPDatabaseConnection::loadCollectionIndex() {
    if (index_) return true;
    std::shared_ptr<const CollectionIndex> index = CollectionIndex::read(db_);
    if (!index) return false;
    useCollectionIndex(std::move(index));
    return true;
}

void FCPDatabaseConnection::useCollectionIndex(std::shared_ptr<const CollectionIndex> index) {
    index_ = std::move(index);
    lookup_ = std::make_unique<IndexedLookup>(index_, [this](std::int64_t row) {
        std::optional<Data> blob;
        readMetadataRow(row, [&](std::span<const std::uint8_t> bytes) { blob.emplace(bytes.begin(), bytes.end()); });
        return blob;
    });
}

std::optional<std::int64_t> FCPDatabaseConnection::resolveActivePick(std::int64_t ofStackPK) {
    const auto variant = childPK(ofStackPK, store::kActiveVariant);
    if (!variant) return std::nullopt;
    const auto picks = childPKs(*variant);
    if (!picks || picks->empty()) return std::nullopt;
    return picks->front();
}

template <class Use>
void FCPDatabaseConnection::readBlob(std::int64_t forCollectionPK, Use&& use) {
    if (index_) {
        // The first of the collection's metadata rows, as the query by owner answers, read by its key:
        // one search of the table instead of one of its index and then one of the table.
        const auto rows = index_->metadataRows(forCollectionPK);
        if (!rows.empty()) readMetadataRow(rows.front(), use);
        return;
    }
    if (!blobStatement_)
        blobStatement_ =
            std::make_unique<SQLiteStatement>(db_, "SELECT ZDICTIONARYDATA FROM ZCOLLECTIONMD WHERE ZCOLLECTION = ?");
    SQLiteStatement::Run run(*blobStatement_);
    blobStatement_->bind(1, forCollectionPK);
    if (!blobStatement_->step()) return;
    if (const auto bytes = column::blobBytes(blobStatement_->get(), 0)) use(*bytes);
}

template <class Use>
void FCPDatabaseConnection::readMetadataRow(std::int64_t row, Use&& use) {
    if (!metadataRowStatement_)
        metadataRowStatement_ =
            std::make_unique<SQLiteStatement>(db_, "SELECT ZDICTIONARYDATA FROM ZCOLLECTIONMD WHERE Z_PK = ?");
    SQLiteStatement::Run run(*metadataRowStatement_);
    metadataRowStatement_->bind(1, row);
    if (!metadataRowStatement_->step()) return;
    if (const auto bytes = column::blobBytes(metadataRowStatement_->get(), 0)) use(*bytes);
}

std::optional<Data> FCPDatabaseConnection::fetchBlob(std::int64_t forCollectionPK) {
    return whenStoreReadable(
        [&] {
            std::optional<Data> blob;
            readBlob(forCollectionPK,
                     [&](std::span<const std::uint8_t> bytes) { blob.emplace(bytes.begin(), bytes.end()); });
            return blob;
        },
        std::nullopt);
}

std::optional<BlobDecoder::DecodedBlob> FCPDatabaseConnection::fetchDecodedBlob(std::int64_t forCollectionPK,
                                                                                std::pmr::memory_resource* memory) {
    return whenStoreReadable(
        [&] {
            std::optional<BlobDecoder::DecodedBlob> decoded;
            // Decoded from SQLite's own buffer: the decoded blob keeps nothing of the bytes.
            readBlob(forCollectionPK,
                     [&](std::span<const std::uint8_t> bytes) { decoded = BlobDecoder::decode(bytes, memory); });
            return decoded;
        },
        std::nullopt);
}

}  // namespace brimlock
