#pragma once

#include "BrimlockCore/PropertyList/PropertyListValue.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory_resource>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brimlock::BlobDecoder {

// The root object of a keyed archive: its keys in archive order and their values, references
// resolved one level deep. A value is a property-list value (an archived dictionary or array at
// the root becomes a dictionary or array of the objects it references, which stay unresolved) or
// the `null` kind for a reference that leads outside "$objects".
//
// Values share the decoded document; they and every view taken from them stay valid while any of
// them (or the blob) lives, and while the memory the blob was decoded into does.
class DecodedBlob {
public:
    // `rootKeys` view texts of the document `objects` belongs to.
    DecodedBlob(PropertyListValue objects, std::pmr::vector<std::string_view> rootKeys,
                std::pmr::vector<PropertyListValue> rootValues);

    // The whole "$objects" array, unresolved.
    const PropertyListValue& objects() const noexcept { return objects_; }
    // Copied on each call: the accessors below look keys up without it.
    std::vector<std::string> rootKeys() const;
    // rootValues()[i] belongs to rootKeys()[i].
    std::span<const PropertyListValue> rootValues() const noexcept { return rootValues_; }
    // rootKeys paired with rootValues; a repeated key takes the later value. Built on each call:
    // the accessors below look keys up without it.
    std::map<std::string, PropertyListValue, std::less<>> keyValueMap() const;

    // Typed lookups: nothing when the key is missing or its value has another kind. A string is
    // never converted to a number, nor a number to a string.
    std::optional<PropertyListValue> value(std::string_view forKey) const noexcept;
    bool hasKey(std::string_view key) const noexcept;  // the null marker included
    std::optional<std::string> string(std::string_view forKey) const;
    // An integer that fits int64_t, or a real with an integral value in that range.
    std::optional<std::int64_t> integer(std::string_view forKey) const noexcept;
    // A real, or an integer that a double represents exactly.
    std::optional<double> doubleValue(std::string_view forKey) const noexcept;
    // A boolean, or a number equal to 0 or 1.
    std::optional<bool> boolValue(std::string_view forKey) const noexcept;
    std::optional<std::vector<std::uint8_t>> data(std::string_view forKey) const;
    // Any dictionary value: an archived dictionary resolved one level, or a plain one.
    std::optional<PropertyListValue> dictionary(std::string_view forKey) const noexcept;
    // An array value (an archived array resolved one level).
    std::optional<PropertyListValue> array(std::string_view forKey) const noexcept;

private:
    const PropertyListValue* lookup(std::string_view key) const noexcept;

    PropertyListValue objects_;
    std::pmr::vector<std::string_view> rootKeys_;
    std::pmr::vector<PropertyListValue> rootValues_;
};

}  // namespace brimlock::BlobDecoder
