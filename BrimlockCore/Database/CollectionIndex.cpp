#include "BrimlockCore/Database/CollectionIndex.h"

#include "BrimlockCore/Database/DamagedStore.h"
#include "BrimlockCore/Database/SQLiteStatement.h"
#include "Platform/Foundation/UnicodeText.h"

#include <algorithm>
#include <array>
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

bool CollectionIndex::Groups::append(std::int64_t owner, std::int64_t member) {
    if (owners.size() == 0 || owners.back() != owner) {
        if (!owners.append(owner)) return false;
        first.push_back(members.size());
    }
    members.push_back(member);
    return true;
}

void CollectionIndex::Groups::finish() {
    first.push_back(members.size());
    owners.finish();
}

std::span<const std::int64_t> CollectionIndex::Groups::of(std::int64_t owner) const noexcept {
    const auto position = owners.find(owner);
    if (!position) return {};
    return std::span(members).subspan(first[*position], first[*position + 1] - first[*position]);
}

std::unique_ptr<CollectionIndex> CollectionIndex::read(sqlite3* db) {
    std::unique_ptr<CollectionIndex> index(new CollectionIndex());
    const bool whole = whenStoreReadable(
        [&] {
            {
                // Room for the usual store, numbered without gaps; a far larger span is not trusted.
                // Two lookups at the ends of the table's key order; one query with both would read it whole.
                SQLiteStatement span(
                    db, "SELECT (SELECT MAX(Z_PK) FROM ZCOLLECTION) - (SELECT MIN(Z_PK) FROM ZCOLLECTION)");
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
                std::array<std::optional<std::string_view>, 3> texts;
                for (int at = 1; at <= 3; ++at) {
                    const auto stored = column::storedText(rows.get(), at);
                    if (!stored) continue;
                    if (!isWellFormed(*stored)) return false;  // ill-formed text
                    auto* kept =
                        static_cast<char*>(index->texts_.allocate(std::max<std::size_t>(stored->size(), 1), 1));
                    std::copy(stored->begin(), stored->end(), kept);
                    texts[at - 1] = std::string_view(kept, stored->size());
                }
                index->rows_.push_back({texts[0], texts[1], texts[2]});
            }
            index->rowKeys_.finish();

            SQLiteStatement links(db,
                                  "SELECT Z_3PARENTCOLLECTIONS, Z_3CHILDCOLLECTIONS FROM Z_3CHILDCOLLECTIONS "
                                  "ORDER BY Z_3PARENTCOLLECTIONS");
            while (links.step()) {
                const auto parent = column::integer(links.get(), 0);
                const auto child = column::integer(links.get(), 1);
                if (!parent || !child) continue;
                if (!index->children_.append(*parent, *child)) return false;  // parents out of order: a damaged index
            }
            index->children_.finish();

            SQLiteStatement metadata(db, "SELECT ZCOLLECTION, Z_PK FROM ZCOLLECTIONMD ORDER BY ZCOLLECTION, Z_PK");
            while (metadata.step()) {
                if (sqlite3_column_type(metadata.get(), 0) == SQLITE_NULL) continue;  // owned by nothing
                // An owner stored as text or a real could still equal a key bound as a parameter.
                const auto owner = column::integer(metadata.get(), 0);
                const auto row = column::integer(metadata.get(), 1);
                if (!owner || !row) return false;
                if (!index->metadata_.append(*owner, *row)) return false;
            }
            index->metadata_.finish();
            return true;
        },
        false);
    if (!whole) return nullptr;
    return index;
}

CollectionIndex::~CollectionIndex() = default;

const CollectionInfo* CollectionIndex::info(std::int64_t pk) const noexcept {
    static const CollectionInfo missingRow;
    const auto position = rowKeys_.find(pk);
    return position ? &rows_[*position] : &missingRow;
}

std::span<const std::int64_t> CollectionIndex::children(std::int64_t parent) const noexcept {
    return children_.of(parent);
}

std::optional<std::int64_t> CollectionIndex::childNamed(std::int64_t parent, std::string_view name) const noexcept {
    const std::string_view bound = boundText(name);
    for (const auto child : children(parent)) {
        if (const auto position = rowKeys_.find(child); position && rows_[*position].name == bound) return child;
    }
    return std::nullopt;
}

std::optional<std::int64_t> CollectionIndex::pkForIdentifier(std::string_view identifier) const {
    std::call_once(identifiersMade_, [this] {
        keysByIdentifier_.reserve(rows_.size());
        // Rows in ascending key order: the first to claim an identifier has the lowest key.
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            if (const auto& text = rows_[i].identifier) keysByIdentifier_.try_emplace(*text, rowKeys_.key(i));
        }
    });
    const auto found = keysByIdentifier_.find(boundText(identifier));
    if (found == keysByIdentifier_.end()) return std::nullopt;
    return found->second;
}

std::vector<std::int64_t> CollectionIndex::keysOfType(std::string_view type) const {
    const std::string_view bound = boundText(type);
    std::vector<std::int64_t> keys;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].type == bound) keys.push_back(rowKeys_.key(i));
    }
    return keys;
}

std::span<const std::int64_t> CollectionIndex::metadataRows(std::int64_t ofCollection) const noexcept {
    return metadata_.of(ofCollection);
}

}  // namespace brimlock
