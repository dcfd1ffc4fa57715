#include "BrimlockCore/Database/FCPDatabaseConnection.h"

#include "BrimlockCore/PropertyList/BlobDecoder.h"
#include "BrimlockCore/Database/FCPDatabaseError.h"
#include "BrimlockCore/Database/StoreVocabulary.h"
#include "Platform/Foundation/UnicodeText.h"

#include <sqlite3.h>

#include <algorithm>
#include <limits>
#include <span>
#include <type_traits>
#include <unordered_map>

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

std::optional<std::string> textColumn(sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) != SQLITE_TEXT) return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    if (text == nullptr) return std::nullopt;
    const auto length = static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
    return platform::sanitizedUTF8(std::string_view(text, length));
}

// The column's bytes, valid until the statement steps or resets.
std::optional<std::span<const std::uint8_t>> blobBytes(sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) != SQLITE_BLOB) return std::nullopt;
    const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement, column));
    if (bytes == nullptr) return std::nullopt;  // how SQLite reports a zero-length blob
    return std::span(bytes, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

std::optional<Data> blobColumn(sqlite3_stmt* statement, int column) {
    const auto bytes = blobBytes(statement, column);
    if (!bytes) return std::nullopt;
    return Data(bytes->begin(), bytes->end());
}

std::optional<std::int64_t> integerColumn(sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) != SQLITE_INTEGER) return std::nullopt;
    return sqlite3_column_int64(statement, column);
}

// A text column's bytes as stored, before textColumn makes them well-formed.
std::string_view storedText(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    if (text == nullptr) return {};
    return std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

// A text parameter is bound up to its first NUL, like a C string.
std::string_view boundText(const std::string& text) noexcept { return std::string_view(text.c_str()); }

}  // namespace

// A prepared statement that is reset after each run, so the fixed queries prepare once per connection.
class FCPDatabaseConnection::Statement {
public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        const int result = sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr);
        if (result != SQLITE_OK || statement_ == nullptr) {
            sqlite3_finalize(statement_);
            throw FCPDatabaseError(FCPDatabaseError::Kind::queryFailed, sqlite3_errmsg(db));
        }
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const noexcept { return statement_; }

    void bind(int index, const Parameter& parameter) {
        std::visit(
            [&](const auto& value) {
                using T = std::decay_t<decltype(value)>;
                if constexpr (std::is_same_v<T, std::int64_t>) {
                    sqlite3_bind_int64(statement_, index, value);
                } else if constexpr (std::is_same_v<T, std::string>) {
                    // Bound up to its first NUL, like a C string; SQLite copies it.
                    sqlite3_bind_text(statement_, index, value.c_str(), -1, SQLITE_TRANSIENT);
                } else if constexpr (std::is_same_v<T, double>) {
                    sqlite3_bind_double(statement_, index, value);
                } else if constexpr (std::is_same_v<T, Data>) {
                    if (value.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
                        sqlite3_bind_null(statement_, index);
                    } else {
                        sqlite3_bind_blob(statement_, index, value.data(), static_cast<int>(value.size()),
                                          SQLITE_TRANSIENT);
                    }
                } else {
                    sqlite3_bind_null(statement_, index);
                }
            },
            parameter);
    }

    // Steps to the next row: true for a row, false when the statement is done. Anything else throws,
    // leaving the statement reset.
    bool step() {
        const int result = sqlite3_step(statement_);
        if (result == SQLITE_ROW) return true;
        if (result == SQLITE_DONE) return false;
        const std::string message = sqlite3_errmsg(db_);
        reset();
        throw FCPDatabaseError(FCPDatabaseError::Kind::queryFailed, message);
    }

    void reset() noexcept {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }

    // Resets the statement however a run ends, so the cached statement is ready for the next one.
    class Run {
    public:
        explicit Run(Statement& statement) noexcept : statement_(statement) {}
        ~Run() { statement_.reset(); }
        Run(const Run&) = delete;
        Run& operator=(const Run&) = delete;

    private:
        Statement& statement_;
    };

private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

// Positions of ascending, distinct keys. A store numbers its rows 1, 2, 3..., so a table indexed by
// key answers in one step; keys far apart (a damaged store) fall back to a binary search.
class KeyTable {
public:
    void reserve(std::size_t count) { keys_.reserve(count); }
    // Keys come in ascending order, each once; a damaged store can break that, which the caller must
    // learn before trusting positions.
    bool append(std::int64_t key) {
        if (!keys_.empty() && key <= keys_.back()) return false;
        keys_.push_back(key);
        return true;
    }
    std::size_t size() const noexcept { return keys_.size(); }
    std::int64_t back() const noexcept { return keys_.back(); }
    std::int64_t key(std::size_t position) const noexcept { return keys_[position]; }

    void finish() {
        if (keys_.empty() || keys_.size() >= std::numeric_limits<std::uint32_t>::max()) return;
        const std::uint64_t span = static_cast<std::uint64_t>(keys_.back()) - static_cast<std::uint64_t>(keys_.front());
        if (span >= 4 * static_cast<std::uint64_t>(keys_.size()) + 1024) return;
        first_ = keys_.front();
        slots_.assign(static_cast<std::size_t>(span) + 1, 0);
        for (std::size_t i = 0; i < keys_.size(); ++i)
            slots_[static_cast<std::size_t>(static_cast<std::uint64_t>(keys_[i]) - static_cast<std::uint64_t>(first_))] =
                static_cast<std::uint32_t>(i + 1);
    }

    std::optional<std::size_t> find(std::int64_t key) const noexcept {
        if (!slots_.empty()) {
            if (key < first_) return std::nullopt;
            const std::uint64_t offset = static_cast<std::uint64_t>(key) - static_cast<std::uint64_t>(first_);
            if (offset >= slots_.size() || slots_[static_cast<std::size_t>(offset)] == 0) return std::nullopt;
            return slots_[static_cast<std::size_t>(offset)] - 1;
        }
        const auto found = std::lower_bound(keys_.begin(), keys_.end(), key);
        if (found == keys_.end() || *found != key) return std::nullopt;
        return static_cast<std::size_t>(found - keys_.begin());
    }

private:
    std::vector<std::int64_t> keys_;
    std::int64_t first_ = 0;
    std::vector<std::uint32_t> slots_;  // key - first_ to position + 1; 0 where no key is
};

// Every collection row and child link of the database, by the key each is looked up with.
struct FCPDatabaseConnection::CollectionIndex {
    KeyTable rowKeys;
    std::vector<CollectionInfo> rows;  // rows[i] has key i of rowKeys
    KeyTable parents;
    std::vector<std::size_t> firstChild;  // parent i's children are children[firstChild[i], firstChild[i + 1])
    // Each parent's children in the order the child query returns them: that of the table's
    // (parent, child) primary-key index, which the pass ordered by parent reads too.
    std::vector<std::int64_t> children;

    // Whether every type, identifier and name is held with the bytes the store has (none was
    // ill-formed text), so that comparing a text here finds what the queries comparing it find.
    bool textsAsStored = true;
    // Identifier to the lowest key holding it; made on the first lookup by identifier.
    std::optional<std::unordered_map<std::string_view, std::int64_t>> keysByIdentifier;

    const CollectionInfo* row(std::int64_t pk) const noexcept {
        const auto position = rowKeys.find(pk);
        return position ? &rows[*position] : nullptr;
    }
    std::span<const std::int64_t> childrenOf(std::int64_t parent) const noexcept {
        const auto position = parents.find(parent);
        if (!position) return {};
        return std::span(children).subspan(firstChild[*position], firstChild[*position + 1] - firstChild[*position]);
    }
};

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
}

FCPDatabaseConnection::~FCPDatabaseConnection() {
    for (auto& statement : fixed_) statement.reset();  // statements must be finalised before the close
    sqlite3_close(db_);
}

std::string FCPDatabaseConnection::errorMessage() const {
    return db_ != nullptr ? sqlite3_errmsg(db_) : "Unknown error";
}

std::vector<FCPDatabaseConnection::Row> FCPDatabaseConnection::query(const std::string& sql,
                                                                     const std::vector<Parameter>& params) {
    Statement statement(db_, sql.c_str());
    for (std::size_t i = 0; i < params.size() && i < static_cast<std::size_t>(std::numeric_limits<int>::max()); ++i)
        statement.bind(static_cast<int>(i + 1), params[i]);

    sqlite3_stmt* raw = statement.get();
    const int columnCount = sqlite3_column_count(raw);
    std::vector<Row> rows;
    while (statement.step()) {
        Row row;
        for (int column = 0; column < columnCount; ++column) {
            const char* name = sqlite3_column_name(raw, column);
            const std::string key = name != nullptr ? name : "";
            std::optional<Value> value;
            switch (sqlite3_column_type(raw, column)) {
            case SQLITE_INTEGER: value = sqlite3_column_int64(raw, column); break;
            case SQLITE_FLOAT: value = sqlite3_column_double(raw, column); break;
            case SQLITE_TEXT:
                if (auto text = textColumn(raw, column)) value = std::move(*text);
                break;
            case SQLITE_BLOB:
                if (auto blob = blobColumn(raw, column)) value = std::move(*blob);
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

FCPDatabaseConnection::Statement& FCPDatabaseConnection::fixedStatement(Fixed which) {
    static constexpr const char* kSQL[] = {
        "SELECT c.Z_PK, c.ZIDENTIFIER, cm.ZDICTIONARYDATA\nFROM ZCOLLECTION c\n"
        "LEFT JOIN ZCOLLECTIONMD cm ON cm.ZCOLLECTION = c.Z_PK\nWHERE c.ZTYPE = ?",
        "SELECT ZDICTIONARYDATA FROM ZCOLLECTIONMD WHERE ZCOLLECTION = ?",
        "SELECT Z_3CHILDCOLLECTIONS FROM Z_3CHILDCOLLECTIONS WHERE Z_3PARENTCOLLECTIONS = ?",
        "SELECT ZTYPE, ZIDENTIFIER, ZNAME FROM ZCOLLECTION WHERE Z_PK = ?",
        "SELECT c.Z_PK AS pk FROM Z_3CHILDCOLLECTIONS j\nJOIN ZCOLLECTION c ON c.Z_PK = j.Z_3CHILDCOLLECTIONS\n"
        "WHERE j.Z_3PARENTCOLLECTIONS = ? AND c.ZNAME = ? LIMIT 1",
        "SELECT Z_PK AS pk FROM ZCOLLECTION WHERE ZIDENTIFIER = ? LIMIT 1",
    };
    static_assert(std::size(kSQL) == static_cast<std::size_t>(Fixed::count));
    auto& slot = fixed_[static_cast<int>(which)];
    if (!slot) slot = std::make_unique<Statement>(db_, kSQL[static_cast<int>(which)]);
    return *slot;
}

bool FCPDatabaseConnection::loadCollectionIndex() noexcept {
    if (index_) return true;
    try {
        auto index = std::make_unique<CollectionIndex>();
        {
            // Room for the usual store, numbered without gaps; a far larger span is not trusted.
            Statement span(db_, "SELECT MAX(Z_PK) - MIN(Z_PK) FROM ZCOLLECTION");
            const auto rows = span.step() ? integerColumn(span.get(), 0) : std::nullopt;
            if (rows && *rows >= 0 && *rows < (std::int64_t{1} << 22)) {
                index->rowKeys.reserve(static_cast<std::size_t>(*rows) + 1);
                index->rows.reserve(static_cast<std::size_t>(*rows) + 1);
            }
        }
        Statement rows(db_, "SELECT Z_PK, ZTYPE, ZIDENTIFIER, ZNAME FROM ZCOLLECTION ORDER BY Z_PK");
        while (rows.step()) {
            const auto pk = integerColumn(rows.get(), 0);
            if (!pk) continue;
            if (!index->rowKeys.append(*pk)) return false;  // keys out of order: a damaged table
            const auto text = [&](int column) {
                auto held = textColumn(rows.get(), column);
                if (held && *held != storedText(rows.get(), column)) index->textsAsStored = false;
                return held;
            };
            index->rows.push_back({text(1), text(2), text(3)});
        }
        index->rowKeys.finish();
        Statement links(db_, "SELECT Z_3PARENTCOLLECTIONS, Z_3CHILDCOLLECTIONS FROM Z_3CHILDCOLLECTIONS "
                             "ORDER BY Z_3PARENTCOLLECTIONS");
        while (links.step()) {
            const auto parent = integerColumn(links.get(), 0);
            const auto child = integerColumn(links.get(), 1);
            if (!parent || !child) continue;
            if (index->parents.size() == 0 || index->parents.back() != *parent) {
                if (!index->parents.append(*parent)) return false;  // parents out of order: a damaged index
                index->firstChild.push_back(index->children.size());
            }
            index->children.push_back(*child);
        }
        index->firstChild.push_back(index->children.size());
        index->parents.finish();
        index_ = std::move(index);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

const FCPDatabaseConnection::CollectionInfo* FCPDatabaseConnection::indexedCollectionInfo(std::int64_t pk) const noexcept {
    return index_ ? index_->row(pk) : nullptr;
}

std::span<const std::int64_t> FCPDatabaseConnection::indexedChildPKs(std::int64_t ofParent) const noexcept {
    return index_ ? index_->childrenOf(ofParent) : std::span<const std::int64_t>();
}

std::vector<FCPDatabaseConnection::CollectionRow> FCPDatabaseConnection::fetchCollections(const std::string& ofType) {
    if (index_ && index_->textsAsStored) {
        // As the outer join answers: rows in key order (the table's own), each once per metadata row
        // in the metadata index's order, or once without a blob when it has none.
        std::vector<CollectionRow> rows;
        for (std::size_t i = 0; i < index_->rows.size(); ++i) {
            const auto& info = index_->rows[i];
            if (info.type != boundText(ofType)) continue;
            const std::int64_t pk = index_->rowKeys.key(i);
            Statement& statement = fixedStatement(Fixed::blob);
            Statement::Run run(statement);
            statement.bind(1, pk);
            bool hasMetadata = false;
            while (statement.step()) {
                rows.push_back({pk, info.identifier, blobColumn(statement.get(), 0)});
                hasMetadata = true;
            }
            if (!hasMetadata) rows.push_back({pk, info.identifier, std::nullopt});
        }
        return rows;
    }
    Statement& statement = fixedStatement(Fixed::collectionsOfType);
    Statement::Run run(statement);
    statement.bind(1, ofType);
    std::vector<CollectionRow> rows;
    while (statement.step()) {
        CollectionRow row;
        row.pk = integerColumn(statement.get(), 0).value_or(0);
        row.identifier = textColumn(statement.get(), 1);
        row.blob = blobColumn(statement.get(), 2);
        rows.push_back(std::move(row));
    }
    return rows;
}

template <class Use>
void FCPDatabaseConnection::readBlob(std::int64_t forCollectionPK, Use&& use) {
    Statement& statement = fixedStatement(Fixed::blob);
    Statement::Run run(statement);
    statement.bind(1, forCollectionPK);
    if (!statement.step()) return;
    if (const auto bytes = blobBytes(statement.get(), 0)) use(*bytes);
}

std::optional<Data> FCPDatabaseConnection::fetchBlob(std::int64_t forCollectionPK) {
    std::optional<Data> blob;
    readBlob(forCollectionPK, [&](std::span<const std::uint8_t> bytes) { blob.emplace(bytes.begin(), bytes.end()); });
    return blob;
}

std::optional<BlobDecoder::DecodedBlob> FCPDatabaseConnection::fetchDecodedBlob(std::int64_t forCollectionPK) noexcept {
    try {
        std::optional<BlobDecoder::DecodedBlob> decoded;
        // Decoded from SQLite's own buffer: the decoded blob keeps nothing of the bytes.
        readBlob(forCollectionPK, [&](std::span<const std::uint8_t> bytes) { decoded = BlobDecoder::decode(bytes); });
        return decoded;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::vector<std::int64_t> FCPDatabaseConnection::fetchChildPKs(std::int64_t ofParent) {
    if (index_) {
        const auto children = indexedChildPKs(ofParent);
        return {children.begin(), children.end()};
    }
    Statement& statement = fixedStatement(Fixed::childPKs);
    Statement::Run run(statement);
    statement.bind(1, ofParent);
    std::vector<std::int64_t> children;
    while (statement.step()) {
        if (const auto pk = integerColumn(statement.get(), 0)) children.push_back(*pk);
    }
    return children;
}

FCPDatabaseConnection::CollectionInfo FCPDatabaseConnection::fetchCollectionInfo(std::int64_t pk) {
    if (index_) {
        const auto* row = indexedCollectionInfo(pk);
        return row != nullptr ? *row : CollectionInfo{};
    }
    Statement& statement = fixedStatement(Fixed::collectionInfo);
    Statement::Run run(statement);
    statement.bind(1, pk);
    if (!statement.step()) return {};
    return {textColumn(statement.get(), 0), textColumn(statement.get(), 1), textColumn(statement.get(), 2)};
}

std::optional<std::int64_t> FCPDatabaseConnection::childPK(std::int64_t ofParent, const std::string& named) noexcept {
    if (index_ && index_->textsAsStored) {
        for (const auto child : indexedChildPKs(ofParent)) {
            const auto* row = indexedCollectionInfo(child);
            if (row != nullptr && row->name == boundText(named)) return child;
        }
        return std::nullopt;
    }
    try {
        Statement& statement = fixedStatement(Fixed::childNamed);
        Statement::Run run(statement);
        statement.bind(1, ofParent);
        statement.bind(2, named);
        if (!statement.step()) return std::nullopt;
        return integerColumn(statement.get(), 0);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<std::int64_t> FCPDatabaseConnection::pkForIdentifier(const std::string& identifier) noexcept {
    if (index_ && index_->textsAsStored) {
        try {
            auto& keys = index_->keysByIdentifier;
            if (!keys) {
                keys.emplace();
                keys->reserve(index_->rows.size());
                // Rows in ascending key order: the first to claim an identifier has the lowest key.
                for (std::size_t i = 0; i < index_->rows.size(); ++i) {
                    if (const auto& text = index_->rows[i].identifier) keys->try_emplace(*text, index_->rowKeys.key(i));
                }
            }
            const auto found = keys->find(boundText(identifier));
            if (found == keys->end()) return std::nullopt;
            return found->second;
        } catch (const std::exception&) {
            index_->keysByIdentifier.reset();  // out of memory: ask the store instead
        }
    }
    try {
        Statement& statement = fixedStatement(Fixed::pkForIdentifier);
        Statement::Run run(statement);
        statement.bind(1, identifier);
        if (!statement.step()) return std::nullopt;
        return integerColumn(statement.get(), 0);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<std::int64_t> FCPDatabaseConnection::resolveActivePick(std::int64_t ofStackPK) noexcept {
    const auto variant = childPK(ofStackPK, std::string(store::kActiveVariant));
    if (!variant) return std::nullopt;
    try {
        const auto picks = fetchChildPKs(*variant);
        if (picks.empty()) return std::nullopt;
        return picks.front();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace brimlock
