#pragma once

#include "testing/ArchiveValue.h"
#include "testing/PlistValue.h"

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <unordered_map>
#include <utility>

namespace quillo::testing {

// Builds one keyed archive in the archiver's form: the top-level dictionary {"$version": 100000,
// "$archiver": "NSKeyedArchiver", "$top": {"root": <1>}, "$objects": [...]} with "$null" at index 0
// and the root object at index 1. A container takes its index before its contents, so nested objects
// follow their parent; keys come before values and the "$class" entry last.
//
// Besides archiving ArchiveValue trees, the "$objects" table can be edited directly (append, reserve,
// replace) and the top level changed, for archives that no archiver would write (cycles, references
// out of range, missing keys).
class KeyedArchiveWriter {
public:
    static constexpr std::uint64_t kRootIndex = 1;

    KeyedArchiveWriter();

    // Archives the root at index 1; a second call replaces it, leaving earlier objects in place.
    void setRoot(const ArchiveValue& root);
    // Archives a value (and everything it holds) and answers the index that refers to it.
    std::uint64_t encode(const ArchiveValue& value);
    // The "$classes" entry of a class, archived once per name.
    std::uint64_t classReference(const std::string& className);

    std::uint64_t append(PlistValue object);
    std::uint64_t reserve();  // a placeholder entry to fill later with replace()
    void replace(std::uint64_t index, PlistValue object);
    std::uint64_t objectCount() const noexcept { return objects_.size(); }
    const PlistValue::Array& objects() const noexcept { return objects_; }

    // The whole archive as a property list; change it freely before serializing.
    PlistValue topLevel() const;
    Bytes bytes(PlistFormat format = PlistFormat::binary) const;

    static Bytes archive(const ArchiveValue& root, PlistFormat format = PlistFormat::binary);

private:
    // Kind, text, and the integer or the bit pattern of the real (so that NaN has a place too).
    using ScalarKey = std::tuple<int, std::string, std::int64_t>;

    void encodeInto(std::uint64_t index, const ArchiveValue& value);
    PlistValue containerEntry(const ArchiveValue& value);
    PlistValue fieldValue(const ArchiveValue& value);
    static ScalarKey scalarKey(const ArchiveValue& value);

    PlistValue::Array objects_;
    bool rootSet_ = false;
    std::map<ScalarKey, std::uint64_t> scalars_;
    // By node identity; the value is kept so that its node cannot be freed and its address reused.
    std::unordered_map<const void*, std::pair<ArchiveValue, std::uint64_t>> archived_;
    std::unordered_map<std::string, std::uint64_t> classes_;
};

}  // namespace quillo::testing
