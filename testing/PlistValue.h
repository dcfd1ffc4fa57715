#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace quillo::testing {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(std::string_view text);

enum class PlistFormat { binary, xml };

// A plain property-list value, keyed-archive references (UIDs) included, written with libplist.
// Dictionaries keep their entries in the order given; when a key repeats, the later value is written
// in the place of the earlier one (a property list cannot hold a key twice).
class PlistValue {
public:
    struct Uid {
        std::uint64_t index;
    };
    struct Date {
        double secondsSince2001;  // the property-list epoch, 2001-01-01 00:00:00 UTC
    };
    using Array = std::vector<PlistValue>;
    using Dictionary = std::vector<std::pair<std::string, PlistValue>>;
    using Storage = std::variant<std::string, std::int64_t, double, bool, Bytes, Date, Uid, Array, Dictionary>;

    PlistValue() = default;  // the empty string

    static PlistValue string(std::string value);
    static PlistValue integer(std::int64_t value);
    static PlistValue real(double value);
    static PlistValue boolean(bool value);
    static PlistValue data(Bytes value);
    static PlistValue date(double secondsSince2001);
    static PlistValue uid(std::uint64_t index);
    static PlistValue array(Array elements);
    static PlistValue dictionary(Dictionary entries);

    const Storage& storage() const noexcept { return storage_; }
    Storage& storage() noexcept { return storage_; }

    // The value of the last entry with this key; null when this is no dictionary or has no such key.
    const PlistValue* find(std::string_view key) const;
    PlistValue* find(std::string_view key);
    // Replaces the value of an existing key in place, else appends. Throws unless this is a dictionary.
    void set(std::string key, PlistValue value);
    // Removes every entry with this key. Throws unless this is a dictionary.
    void erase(std::string_view key);

    // Binary ("bplist00") or XML property-list bytes. Throws std::invalid_argument for a date that
    // libplist cannot hold (outside its 32-bit seconds).
    Bytes serialize(PlistFormat format = PlistFormat::binary) const;

private:
    template <typename T>
    PlistValue(std::in_place_type_t<T> type, T value) : storage_(type, std::move(value)) {}

    Storage storage_;
};

}  // namespace quillo::testing
