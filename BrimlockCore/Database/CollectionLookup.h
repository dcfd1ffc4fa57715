#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brimlock {

// Raw bytes of a ZDICTIONARYDATA blob.
using Data = std::vector<std::uint8_t>;

// A ZCOLLECTION row as the lookups give it; its texts live as long as the lookup that gave it.
struct CollectionInfo {
    std::optional<std::string_view> type;
    std::optional<std::string_view> identifier;
    std::optional<std::string_view> name;
};

// A row of a collection type with its attribute blob.
struct CollectionRow {
    std::int64_t pk = 0;  // 0 when the row has no Z_PK
    std::optional<std::string> identifier;
    std::optional<Data> blob;
};

// How one event database's collection rows and child links are read: each lookup by its own query,
// or from a CollectionIndex of the whole store read once. A connection reads through one of the two
// for its whole life, chosen when the event is opened; both answer alike (a differential test holds
// them to it), so no caller knows which it has.
//
// What a lookup hands out by pointer or span stays valid as long as the lookup.
class CollectionLookup {
public:
    virtual ~CollectionLookup() = default;

    // The row of `pk`, its fields all absent when there is no such row; nullptr when the row cannot
    // be read (a damaged store).
    virtual const CollectionInfo* info(std::int64_t pk) = 0;
    // The children of `parent` in row order (empty when it has none); nothing when they cannot be read.
    virtual std::optional<std::span<const std::int64_t>> children(std::int64_t parent) = 0;
    // The first child of `parent`, in row order, whose ZNAME is `name`; nothing when there is none or
    // the children cannot be read.
    virtual std::optional<std::int64_t> childNamed(std::int64_t parent, std::string_view name) = 0;
    // The lowest key whose ZIDENTIFIER is `identifier`; nothing when there is none or it cannot be read.
    virtual std::optional<std::int64_t> pkForIdentifier(std::string_view identifier) = 0;
    // Every row of the type in key order with its blob, once per metadata row (once without a blob
    // when it has none). Throws FCPDatabaseError(queryFailed): a type's rows are read whole or not at all.
    virtual std::vector<CollectionRow> collections(std::string_view ofType) = 0;
};

}  // namespace brimlock
