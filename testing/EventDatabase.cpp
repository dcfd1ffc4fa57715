#include "testing/EventDatabase.h"

#include "testing/ArchiveValue.h"
#include "testing/KeyedArchiveWriter.h"

#include <sqlite3.h>

#include <limits>
#include <stdexcept>

namespace quillo::testing {

namespace {

constexpr std::int64_t kCatalogRootEntity = 1;
constexpr std::int64_t kCatalogRootMDEntity = 2;
constexpr std::int64_t kCollectionEntity = 3;
constexpr std::int64_t kCollectionMDEntity = 4;
constexpr std::int64_t kCatalogKey = 1;

[[noreturn]] void fail(sqlite3* db, const std::string& what) {
    throw std::runtime_error(what + ": " + (db != nullptr ? sqlite3_errmsg(db) : "no connection"));
}

void bindText(sqlite3* db, sqlite3_stmt* statement, int index, const std::optional<std::string>& text) {
    const int rc =
        text ? sqlite3_bind_text(statement, index, text->data(), static_cast<int>(text->size()), SQLITE_TRANSIENT)
             : sqlite3_bind_null(statement, index);
    if (rc != SQLITE_OK) fail(db, "binding a text column");
}

void bindBlob(sqlite3* db, sqlite3_stmt* statement, int index, const EventDatabase::Blob& blob) {
    int rc = SQLITE_OK;
    if (blob.kind() != EventDatabase::Blob::Kind::bytes) {
        rc = sqlite3_bind_null(statement, index);
    } else if (blob.bytes().empty()) {
        // A null pointer would bind NULL; a zero-length blob is a different stored value.
        rc = sqlite3_bind_zeroblob(statement, index, 0);
    } else {
        if (blob.bytes().size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
            throw std::invalid_argument("blob too large for SQLite");
        }
        rc = sqlite3_bind_blob(statement, index, blob.bytes().data(), static_cast<int>(blob.bytes().size()),
                               SQLITE_TRANSIENT);
    }
    if (rc != SQLITE_OK) fail(db, "binding a blob column");
}

void run(sqlite3* db, sqlite3_stmt* statement, const char* what) {
    if (sqlite3_step(statement) != SQLITE_DONE) {
        sqlite3_reset(statement);
        fail(db, what);
    }
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
}

Bytes storeMetadataPlist(const std::string& storeIdentifier) {
    const Bytes hash(32, 0x5A);
    return PlistValue::dictionary({
                                      {"NSPersistenceFrameworkVersion", PlistValue::integer(1244)},
                                      {"NSStoreModelVersionHashes", PlistValue::dictionary({
                                                                        {"CatalogRoot", PlistValue::data(hash)},
                                                                        {"CatalogRootMD", PlistValue::data(hash)},
                                                                        {"Collection", PlistValue::data(hash)},
                                                                        {"CollectionMD", PlistValue::data(hash)},
                                                                    })},
                                      {"NSStoreModelVersionHashesVersion", PlistValue::integer(3)},
                                      {"NSStoreModelVersionIdentifiers", PlistValue::array({PlistValue::string("")})},
                                      {"NSStoreType", PlistValue::string("SQLite")},
                                      {"NSStoreUUID", PlistValue::string(storeIdentifier)},
                                      {"_NSAutoVacuumLevel", PlistValue::string("2")},
                                  })
        .serialize();
}

}  // namespace

const std::vector<std::string>& EventDatabase::schemaStatements() {
    static const std::vector<std::string> statements{
        "CREATE TABLE ZCOLLECTION ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, ZFLAGS INTEGER, ZCATALOG "
        "INTEGER, ZMETADATA INTEGER, ZIDENTIFIER VARCHAR, ZNAME VARCHAR, ZTYPE VARCHAR )",
        "CREATE TABLE ZCOLLECTIONMD ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, ZCOLLECTION INTEGER, "
        "ZIDENTIFIER VARCHAR, ZDICTIONARYDATA BLOB )",
        "CREATE TABLE Z_3CHILDCOLLECTIONS ( Z_3PARENTCOLLECTIONS INTEGER, Z_3CHILDCOLLECTIONS INTEGER, PRIMARY KEY "
        "(Z_3PARENTCOLLECTIONS, Z_3CHILDCOLLECTIONS) )",
        "CREATE TABLE ZCATALOGROOT ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, ZMETADATA INTEGER, "
        "ZIDENTIFIER VARCHAR, ZNAME VARCHAR )",
        "CREATE TABLE ZCATALOGROOTMD ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, ZCATALOG INTEGER, "
        "ZIDENTIFIER VARCHAR, ZDICTIONARYDATA BLOB )",
        "CREATE TABLE Z_PRIMARYKEY (Z_ENT INTEGER PRIMARY KEY, Z_NAME VARCHAR, Z_SUPER INTEGER, Z_MAX INTEGER)",
        "CREATE TABLE Z_METADATA (Z_VERSION INTEGER PRIMARY KEY, Z_UUID VARCHAR(255), Z_PLIST BLOB)",
        "CREATE TABLE Z_MODELCACHE (Z_CONTENT BLOB)",
        "CREATE INDEX ZCOLLECTION_ZCATALOG_INDEX ON ZCOLLECTION (ZCATALOG)",
        "CREATE INDEX ZCOLLECTION_ZMETADATA_INDEX ON ZCOLLECTION (ZMETADATA)",
        "CREATE INDEX Z_Collection_identifier ON ZCOLLECTION (ZIDENTIFIER COLLATE BINARY ASC)",
        "CREATE INDEX ZCOLLECTIONMD_ZCOLLECTION_INDEX ON ZCOLLECTIONMD (ZCOLLECTION)",
        "CREATE INDEX Z_CollectionMD_identifier ON ZCOLLECTIONMD (ZIDENTIFIER COLLATE BINARY ASC)",
        "CREATE INDEX Z_3CHILDCOLLECTIONS_Z_3CHILDCOLLECTIONS_INDEX ON Z_3CHILDCOLLECTIONS (Z_3CHILDCOLLECTIONS, "
        "Z_3PARENTCOLLECTIONS)",
        "CREATE INDEX ZCATALOGROOT_ZMETADATA_INDEX ON ZCATALOGROOT (ZMETADATA)",
        "CREATE INDEX Z_CatalogRoot_identifier ON ZCATALOGROOT (ZIDENTIFIER COLLATE BINARY ASC)",
        "CREATE INDEX ZCATALOGROOTMD_ZCATALOG_INDEX ON ZCATALOGROOTMD (ZCATALOG)",
        "CREATE INDEX Z_CatalogRootMD_identifier ON ZCATALOGROOTMD (ZIDENTIFIER COLLATE BINARY ASC)",
    };
    return statements;
}

EventDatabase::EventDatabase(const std::filesystem::path& file, const std::string& storeIdentifier,
                             const std::string& catalogName)
    : path_(file) {
    if (std::filesystem::exists(file)) throw std::invalid_argument("event database already exists: " + file.string());
    if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw std::runtime_error("cannot create " + file.string() + ": " + message);
    }
    try {
        // Rollback journal, as immutable readers expect; no fsync, as fixtures need no durability.
        execute("PRAGMA journal_mode=DELETE");
        execute("PRAGMA synchronous=OFF");
        execute("BEGIN");
        for (const auto& statement : schemaStatements()) execute(statement);

        const auto prepare = [this](const char* sql) {
            sqlite3_stmt* statement = nullptr;
            if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK) fail(db_, "preparing");
            statements_.push_back(statement);
            return statement;
        };
        insertCollection_ = prepare(
            "INSERT INTO ZCOLLECTION (Z_PK, Z_ENT, Z_OPT, ZFLAGS, ZCATALOG, ZMETADATA, ZIDENTIFIER, ZNAME, ZTYPE) "
            "VALUES (?, 3, 1, 0, 1, ?, ?, ?, ?)");
        insertMetadata_ = prepare(
            "INSERT INTO ZCOLLECTIONMD (Z_PK, Z_ENT, Z_OPT, ZCOLLECTION, ZIDENTIFIER, ZDICTIONARYDATA) "
            "VALUES (?, 4, 1, ?, ?, ?)");
        updateBlob_ = prepare("UPDATE ZCOLLECTIONMD SET ZDICTIONARYDATA = ? WHERE Z_PK = ?");
        insertLink_ =
            prepare("INSERT INTO Z_3CHILDCOLLECTIONS (Z_3PARENTCOLLECTIONS, Z_3CHILDCOLLECTIONS) VALUES (?, ?)");
        writeStoreMetadata(storeIdentifier, catalogName);
    } catch (...) {
        for (auto* statement : statements_) sqlite3_finalize(statement);
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

EventDatabase::~EventDatabase() {
    try {
        close();
    } catch (...) {
        // A fixture that failed to write shows up in the test that reads it.
    }
}

void EventDatabase::writeStoreMetadata(const std::string& storeIdentifier, const std::string& catalogName) {
    sqlite3_stmt* statement = nullptr;
    const auto runWith = [&](const char* sql, auto&& bind) {
        if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK) fail(db_, "preparing");
        bind(statement);
        const int rc = sqlite3_step(statement);
        sqlite3_finalize(statement);
        if (rc != SQLITE_DONE) fail(db_, sql);
    };
    runWith("INSERT INTO Z_METADATA (Z_VERSION, Z_UUID, Z_PLIST) VALUES (1, ?, ?)", [&](sqlite3_stmt* s) {
        bindText(db_, s, 1, storeIdentifier);
        bindBlob(db_, s, 2, storeMetadataPlist(storeIdentifier));
    });
    execute(
        "INSERT INTO Z_PRIMARYKEY (Z_ENT, Z_NAME, Z_SUPER, Z_MAX) VALUES "
        "(1, 'CatalogRoot', 0, 1), (2, 'CatalogRootMD', 0, 1), (3, 'Collection', 0, 0), (4, 'CollectionMD', 0, 0)");
    runWith("INSERT INTO ZCATALOGROOT (Z_PK, Z_ENT, Z_OPT, ZMETADATA, ZIDENTIFIER, ZNAME) VALUES (?, ?, 1, 1, ?, ?)",
            [&](sqlite3_stmt* s) {
                sqlite3_bind_int64(s, 1, kCatalogKey);
                sqlite3_bind_int64(s, 2, kCatalogRootEntity);
                bindText(db_, s, 3, storeIdentifier);
                bindText(db_, s, 4, catalogName);
            });
    runWith(
        "INSERT INTO ZCATALOGROOTMD (Z_PK, Z_ENT, Z_OPT, ZCATALOG, ZIDENTIFIER, ZDICTIONARYDATA) "
        "VALUES (1, ?, 1, ?, ?, ?)",
        [&](sqlite3_stmt* s) {
            sqlite3_bind_int64(s, 1, kCatalogRootMDEntity);
            sqlite3_bind_int64(s, 2, kCatalogKey);
            bindText(db_, s, 3, storeIdentifier);
            bindBlob(db_, s, 4,
                     KeyedArchiveWriter::archive(ArchiveValue::dictionary({
                         {"displayName", catalogName},
                         {"catalogVersion", 3},
                     })));
        });
}

void EventDatabase::requireOpen() const {
    if (db_ == nullptr) throw std::logic_error("the event database is already closed: " + path_.string());
}

std::int64_t EventDatabase::addCollection(const CollectionRow& row) {
    requireOpen();
    if (row.pk && *row.pk <= 0) throw std::invalid_argument("a collection key must be positive");
    const std::int64_t pk = row.pk.value_or(maxCollection_ + 1);
    const bool hasMetadata = row.blob.kind() != Blob::Kind::noRow;
    sqlite3_bind_int64(insertCollection_, 1, pk);
    if (hasMetadata) sqlite3_bind_int64(insertCollection_, 2, maxMetadata_ + 1);
    bindText(db_, insertCollection_, 3, row.identifier);
    bindText(db_, insertCollection_, 4, row.name);
    bindText(db_, insertCollection_, 5, row.type);
    run(db_, insertCollection_, "inserting a collection");
    maxCollection_ = std::max(maxCollection_, pk);
    identifiers_[pk] = row.identifier;
    if (hasMetadata) metadataOf_[pk] = insertMetadata(pk, row.blob);
    return pk;
}

std::int64_t EventDatabase::insertMetadata(std::int64_t collection, const Blob& blob) {
    const std::int64_t pk = ++maxMetadata_;
    sqlite3_bind_int64(insertMetadata_, 1, pk);
    sqlite3_bind_int64(insertMetadata_, 2, collection);
    bindText(db_, insertMetadata_, 3, identifier(collection));
    bindBlob(db_, insertMetadata_, 4, blob);
    run(db_, insertMetadata_, "inserting a collection's metadata");
    return pk;
}

void EventDatabase::setBlob(std::int64_t collection, const Blob& blob) {
    requireOpen();
    const auto found = metadataOf_.find(collection);
    if (found == metadataOf_.end()) {
        if (blob.kind() == Blob::Kind::noRow) return;
        const auto pk = insertMetadata(collection, blob);
        metadataOf_.emplace(collection, pk);
        execute("UPDATE ZCOLLECTION SET ZMETADATA = " + std::to_string(pk) +
                " WHERE Z_PK = " + std::to_string(collection));
        return;
    }
    if (blob.kind() == Blob::Kind::noRow) {
        execute("DELETE FROM ZCOLLECTIONMD WHERE ZCOLLECTION = " + std::to_string(collection));
        execute("UPDATE ZCOLLECTION SET ZMETADATA = NULL WHERE Z_PK = " + std::to_string(collection));
        metadataOf_.erase(found);
        return;
    }
    bindBlob(db_, updateBlob_, 1, blob);
    sqlite3_bind_int64(updateBlob_, 2, found->second);
    run(db_, updateBlob_, "updating a blob");
}

std::int64_t EventDatabase::addMetadataRow(std::int64_t collection, const Blob& blob) {
    requireOpen();
    if (blob.kind() == Blob::Kind::noRow) throw std::invalid_argument("addMetadataRow needs a blob or NULL");
    return insertMetadata(collection, blob);
}

void EventDatabase::link(std::int64_t parent, std::int64_t child) {
    requireOpen();
    sqlite3_bind_int64(insertLink_, 1, parent);
    sqlite3_bind_int64(insertLink_, 2, child);
    run(db_, insertLink_, "inserting a parent-child link");
}

void EventDatabase::setIdentifier(std::int64_t collection, const std::optional<std::string>& identifier) {
    requireOpen();
    for (const char* sql : {"UPDATE ZCOLLECTION SET ZIDENTIFIER = ? WHERE Z_PK = ?",
                            "UPDATE ZCOLLECTIONMD SET ZIDENTIFIER = ? WHERE ZCOLLECTION = ?"}) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK) fail(db_, "preparing");
        bindText(db_, statement, 1, identifier);
        sqlite3_bind_int64(statement, 2, collection);
        const int rc = sqlite3_step(statement);
        sqlite3_finalize(statement);
        if (rc != SQLITE_DONE) fail(db_, "changing an identifier");
    }
    identifiers_[collection] = identifier;
}

std::optional<std::string> EventDatabase::identifier(std::int64_t collection) const {
    const auto found = identifiers_.find(collection);
    return found == identifiers_.end() ? std::nullopt : found->second;
}

void EventDatabase::execute(const std::string& sql) {
    requireOpen();
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message != nullptr ? message : "unknown error";
        sqlite3_free(message);
        throw std::runtime_error("SQL failed (" + sql + "): " + text);
    }
}

void EventDatabase::close() {
    if (db_ == nullptr) return;
    try {
        execute("UPDATE Z_PRIMARYKEY SET Z_MAX = " + std::to_string(maxCollection_) +
                " WHERE Z_ENT = " + std::to_string(kCollectionEntity));
        execute("UPDATE Z_PRIMARYKEY SET Z_MAX = " + std::to_string(maxMetadata_) +
                " WHERE Z_ENT = " + std::to_string(kCollectionMDEntity));
        execute("COMMIT");
    } catch (...) {
        for (auto* statement : statements_) sqlite3_finalize(statement);
        statements_.clear();
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
    for (auto* statement : statements_) sqlite3_finalize(statement);
    statements_.clear();
    const int rc = sqlite3_close(db_);
    db_ = nullptr;
    if (rc != SQLITE_OK) throw std::runtime_error("closing " + path_.string() + " failed");
}

}  // namespace quillo::testing
