#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

namespace brimlock {

struct PropertyListStorage;

// The kinds of property-list values. `uid` is a keyed-archive reference as the binary form stores
// it (the XML form writes a dictionary {"CF$UID": index} instead, and stays a dictionary here).
// `null` never comes from a property list: it is the keyed-archive decoder's marker for a value
// whose reference leads nowhere.
enum class PropertyListKind : std::uint8_t { dictionary, array, string, integer, real, boolean, data, date, uid, null };

// A light handle to one value of a parsed, immutable property-list document. Copies share the
// document (every handle keeps it alive); an object that the document references from several
// places is one value, never copied. Views returned by `string`, `data` and `keyAt` stay valid as
// long as any handle to the same document lives.
//
// Dictionaries keep their pairs in document order. A key stored twice keeps both pairs; `find`
// answers the later one, so the later value wins.
class PropertyListValue {
public:
    // For the readers and the decoder that build documents.
    PropertyListValue(std::shared_ptr<const PropertyListStorage> storage, std::uint32_t index) noexcept;

    PropertyListKind kind() const noexcept;
    bool is(PropertyListKind kind) const noexcept { return this->kind() == kind; }

    // Each accessor answers nothing when the value is of another kind.
    std::optional<std::string_view> string() const noexcept;  // UTF-8
    // Integers cover INT64_MIN...UINT64_MAX: `integer` answers those that fit int64_t,
    // `unsignedInteger` those that are not negative.
    std::optional<std::int64_t> integer() const noexcept;
    std::optional<std::uint64_t> unsignedInteger() const noexcept;
    std::optional<double> real() const noexcept;
    std::optional<bool> boolean() const noexcept;
    std::optional<std::span<const std::uint8_t>> data() const noexcept;
    // Seconds since 2001-01-01T00:00:00Z.
    std::optional<double> date() const noexcept;
    std::optional<std::uint64_t> uid() const noexcept;

    // Elements of an array, pairs of a dictionary; 0 for every other kind.
    std::size_t size() const noexcept;
    // The element of an array or the value of a dictionary's pair at `position` < size().
    PropertyListValue operator[](std::size_t position) const noexcept;
    // The key of a dictionary's pair at `position` < size().
    std::string_view keyAt(std::size_t position) const noexcept;
    // The value of the last pair with `key`; nothing when absent or when this is no dictionary.
    std::optional<PropertyListValue> find(std::string_view key) const noexcept;

    // Range over an array's elements (or a dictionary's values), in document order. Iterators
    // keep the document alive.
    class Iterator;
    Iterator begin() const noexcept;
    Iterator end() const noexcept;

    // Whether both handles designate the same object of the same document.
    bool isSameObject(const PropertyListValue& other) const noexcept {
        return storage_ == other.storage_ && index_ == other.index_;
    }

    // For the readers and the decoder that build documents.
    const PropertyListStorage& storage() const noexcept { return *storage_; }
    std::uint32_t nodeIndex() const noexcept { return index_; }

private:
    std::shared_ptr<const PropertyListStorage> storage_;
    std::uint32_t index_;
};

class PropertyListValue::Iterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = PropertyListValue;
    using difference_type = std::ptrdiff_t;

    Iterator(PropertyListValue container, std::size_t position) noexcept
        : container_(std::move(container)), position_(position) {}
    PropertyListValue operator*() const noexcept { return container_[position_]; }
    Iterator& operator++() noexcept {
        ++position_;
        return *this;
    }
    Iterator operator++(int) noexcept {
        Iterator old = *this;
        ++position_;
        return old;
    }
    friend bool operator==(const Iterator& a, const Iterator& b) noexcept { return a.position_ == b.position_; }

private:
    PropertyListValue container_;
    std::size_t position_;
};

inline PropertyListValue::Iterator PropertyListValue::begin() const noexcept { return Iterator(*this, 0); }
inline PropertyListValue::Iterator PropertyListValue::end() const noexcept { return Iterator(*this, size()); }

}  // namespace brimlock
