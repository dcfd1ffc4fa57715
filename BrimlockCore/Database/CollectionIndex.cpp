#include "BrimlockCore/Database/CollectionIndex.h"

#include "BrimlockCore/Database/DamagedStore.h"
#include "BrimlockCore/Database/SQLiteStatement.h"
#include "Platform/Foundation/UnicodeText.h"

#include <algorithm>
#include <limits>

namespace brimlock {

namespace {

// A text parameter is bound up to its first NUL, like a C string: the index compares as the queries do.
std::string_view boundText(std::string_view text) noexcept { return text.substr(0, text.find('\0')); }

// A store's texts are nearly all ASCII (identifiers, class and relation names): those need no decoding.
bool isWellFormed(std::string_view text) noexcept {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }) ||
           platform::isValidUTF8(text);
}

}  // namespace

bool CollectionIndex::KeyTable::append(std::int64_t key) {
    if (!keys_.empty() && key <= keys_.back()) return false;
    keys_.push_back(key);
    return true;
}

void CollectionIndex::KeyTable::finish() {
    if (keys_.empty() || keys_.size() >= std::numeric_limits<std::uint32_t>::max()) return;
    const std::uint64_t span = static_cast<std::uint64_t>(keys_.back()) - static_cast<std::uint64_t>(keys_.front());
    if (span >= 4 * static_cast<std::uint64_t>(keys_.size()) + 1024) return;
    first_ = keys_.front();
    slots_.assign(static_cast<std::size_t>(span) + 1, 0);
    for (std::size_t i = 0; i < keys_.size(); ++i)
        slots_[static_cast<std::size_t>(static_cast<std::uint64_t>(keys_[i]) - static_cast<std::uint64_t>(first_))] =
            static_cast<std::uint32_t>(i + 1);
}

std::optional<std::size_t> CollectionIndex::KeyTable::find(std::int64_t key) const noexcept {
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

std::unique_ptr<CollectionIndex> CollectionIndex::read(sqlite3* db) {
    std::unique_ptr<CollectionIndex> index(new CollectionIndex(db));
    const bool whole = whenStoreReadable(
        [&] {
            {
                // Room for the usual store, numbered without gaps; a far larger span is not trusted.
                SQLiteStatement span(db, "SELECT MAX(Z_PK) - MIN(Z_PK) FROM ZCOLLECTION");
                const auto rows = span.step() ? column::integer(span.get(), 0) : std::nullopt;
                if (rows && *rows >= 0 && *rows < (std::int64_t{1} << 22)) {
                    index->rowKeys_.reserve(static_cast<std::size_t>(*rows) + 1);
                    index->rows_.reserve(static_cast<std::size_t>(*rows) + 1);
                }
            }
            SQLiteStatement rows(db, "SELECT Z_PK, ZTYPE, ZIDENTIFIER, ZNAME FROM ZCOLLECTION ORDER BY Z_PK");
            while (rows.step()) {
                const auto pk = column::integer(rows.get(), 0);
                if (!pk) continue;
                if (!index->rowKeys_.append(*pk)) return false;  // keys out of order: a damaged table
                std::optional<std::string> texts[3];
                for (int at = 1; at <= 3; ++at) {
                    const auto stored = column::storedText(rows.get(), at);
                    if (!stored) continue;
                    if (!isWellFormed(*stored)) return false;  // ill-formed text
                    texts[at - 1].emplace(*stored);
                }
                index->rows_.push_back({std::move(texts[0]), std::move(texts[1]), std::move(texts[2])});
            }
            index->rowKeys_.finish();
            SQLiteStatement links(db,
                                  "SELECT Z_3PARENTCOLLECTIONS, Z_3CHILDCOLLECTIONS FROM Z_3CHILDCOLLECTIONS "
                                  "ORDER BY Z_3PARENTCOLLECTIONS");
            while (links.step()) {
                const auto parent = column::integer(links.get(), 0);
                const auto child = column::integer(links.get(), 1);
                if (!parent || !child) continue;
                if (index->parents_.size() == 0 || index->parents_.back() != *parent) {
                    if (!index->parents_.append(*parent)) return false;  // parents out of order: a damaged index
                    index->firstChild_.push_back(index->children_.size());
                }
                index->children_.push_back(*child);
            }
            index->firstChild_.push_back(index->children_.size());
            index->parents_.finish();
            return true;
        },
        false);
    if (!whole) return nullptr;
    return index;
}

CollectionIndex::~CollectionIndex() = default;

const CollectionInfo* CollectionIndex::info(std::int64_t pk) {
    static const CollectionInfo missingRow;
    const auto position = rowKeys_.find(pk);
    return position ? &rows_[*position] : &missingRow;
}

std::optional<std::span<const std::int64_t>> CollectionIndex::children(std::int64_t parent) {
    const auto position = parents_.find(parent);
    if (!position) return std::span<const std::int64_t>();
    return std::span(children_).subspan(firstChild_[*position], firstChild_[*position + 1] - firstChild_[*position]);
}

std::optional<std::int64_t> CollectionIndex::childNamed(std::int64_t parent, std::string_view name) {
    const std::string_view bound = boundText(name);
    const auto list = children(parent);
    for (const auto child : *list) {
        if (const auto position = rowKeys_.find(child); position && rows_[*position].name == bound) return child;
    }
    return std::nullopt;
}

std::optional<std::int64_t> CollectionIndex::pkForIdentifier(std::string_view identifier) {
    if (!keysByIdentifier_) {
        auto& keys = keysByIdentifier_.emplace();
        keys.reserve(rows_.size());
        // Rows in ascending key order: the first to claim an identifier has the lowest key.
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            if (const auto& text = rows_[i].identifier) keys.try_emplace(*text, rowKeys_.key(i));
        }
    }
    const auto found = keysByIdentifier_->find(boundText(identifier));
    if (found == keysByIdentifier_->end()) return std::nullopt;
    return found->second;
}

std::vector<CollectionRow> CollectionIndex::collections(std::string_view ofType) {
    const std::string_view bound = boundText(ofType);
    if (!blobs_)
        blobs_ =
            std::make_unique<SQLiteStatement>(db_, "SELECT ZDICTIONARYDATA FROM ZCOLLECTIONMD WHERE ZCOLLECTION = ?");
    // As the outer join answers: rows in key order (the table's own), each once per metadata row in
    // the metadata index's order, or once without a blob when it has none.
    std::vector<CollectionRow> rows;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const auto& info = rows_[i];
        if (info.type != bound) continue;
        const std::int64_t pk = rowKeys_.key(i);
        SQLiteStatement::Run run(*blobs_);
        blobs_->bind(1, pk);
        bool hasMetadata = false;
        while (blobs_->step()) {
            rows.push_back({pk, info.identifier, column::blob(blobs_->get(), 0)});
            hasMetadata = true;
        }
        if (!hasMetadata) rows.push_back({pk, info.identifier, std::nullopt});
    }
    return rows;
}

}  // namespace brimlock
