#include "testing/PlistValue.h"

#include <plist/plist.h>

#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>

namespace quillo::testing {

namespace {

struct PlistDeleter {
    void operator()(plist_t node) const noexcept { plist_free(node); }
};
using PlistNode = std::unique_ptr<void, PlistDeleter>;

plist_t newDate(double secondsSince2001) {
    if (!std::isfinite(secondsSince2001)) throw std::invalid_argument("property-list date is not finite");
    const double whole = std::floor(secondsSince2001);
    if (whole < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
        whole > static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        throw std::invalid_argument("property-list date is outside the range libplist can write");
    }
    const auto seconds = static_cast<std::int32_t>(whole);
    const auto micro = static_cast<std::int32_t>(std::lround((secondsSince2001 - whole) * 1e6));
    return plist_new_date(seconds, std::min(micro, 999'999));
}

// libplist takes ownership of every node inserted into a container, so only the root is held.
plist_t toNode(const PlistValue& value) {
    return std::visit(
        [](const auto& v) -> plist_t {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::string>) {
                return plist_new_string(v.c_str());
            } else if constexpr (std::is_same_v<T, std::int64_t>) {
                // libplist stores integers as 64-bit patterns; negative values round-trip as signed.
                return plist_new_uint(static_cast<std::uint64_t>(v));
            } else if constexpr (std::is_same_v<T, double>) {
                return plist_new_real(v);
            } else if constexpr (std::is_same_v<T, bool>) {
                return plist_new_bool(v ? 1 : 0);
            } else if constexpr (std::is_same_v<T, Bytes>) {
                return plist_new_data(reinterpret_cast<const char*>(v.data()), v.size());
            } else if constexpr (std::is_same_v<T, PlistValue::Date>) {
                return newDate(v.secondsSince2001);
            } else if constexpr (std::is_same_v<T, PlistValue::Uid>) {
                return plist_new_uid(v.index);
            } else if constexpr (std::is_same_v<T, PlistValue::Array>) {
                PlistNode array(plist_new_array());
                for (const auto& element : v) plist_array_append_item(array.get(), toNode(element));
                return array.release();
            } else {
                PlistNode dictionary(plist_new_dict());
                for (const auto& [key, element] : v)
                    plist_dict_set_item(dictionary.get(), key.c_str(), toNode(element));
                return dictionary.release();
            }
        },
        value.storage());
}

}  // namespace

Bytes bytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

PlistValue PlistValue::string(std::string value) {
    return PlistValue(std::in_place_type<std::string>, std::move(value));
}
PlistValue PlistValue::integer(std::int64_t value) { return PlistValue(std::in_place_type<std::int64_t>, value); }
PlistValue PlistValue::real(double value) { return PlistValue(std::in_place_type<double>, value); }
PlistValue PlistValue::boolean(bool value) { return PlistValue(std::in_place_type<bool>, value); }
PlistValue PlistValue::data(Bytes value) { return PlistValue(std::in_place_type<Bytes>, std::move(value)); }
PlistValue PlistValue::date(double secondsSince2001) {
    return PlistValue(std::in_place_type<Date>, Date{secondsSince2001});
}
PlistValue PlistValue::uid(std::uint64_t index) { return PlistValue(std::in_place_type<Uid>, Uid{index}); }
PlistValue PlistValue::array(Array elements) { return PlistValue(std::in_place_type<Array>, std::move(elements)); }
PlistValue PlistValue::dictionary(Dictionary entries) {
    return PlistValue(std::in_place_type<Dictionary>, std::move(entries));
}

const PlistValue* PlistValue::find(std::string_view key) const {
    const auto* entries = std::get_if<Dictionary>(&storage_);
    if (entries == nullptr) return nullptr;
    for (auto it = entries->rbegin(); it != entries->rend(); ++it) {
        if (it->first == key) return &it->second;
    }
    return nullptr;
}

PlistValue* PlistValue::find(std::string_view key) {
    return const_cast<PlistValue*>(static_cast<const PlistValue&>(*this).find(key));
}

void PlistValue::set(std::string key, PlistValue value) {
    auto* entries = std::get_if<Dictionary>(&storage_);
    if (entries == nullptr) throw std::logic_error("PlistValue::set on a value that is not a dictionary");
    for (auto& entry : *entries) {
        if (entry.first == key) {
            entry.second = std::move(value);
            return;
        }
    }
    entries->emplace_back(std::move(key), std::move(value));
}

void PlistValue::erase(std::string_view key) {
    auto* entries = std::get_if<Dictionary>(&storage_);
    if (entries == nullptr) throw std::logic_error("PlistValue::erase on a value that is not a dictionary");
    std::erase_if(*entries, [key](const auto& entry) { return entry.first == key; });
}

Bytes PlistValue::serialize(PlistFormat format) const {
    const PlistNode root(toNode(*this));
    char* text = nullptr;
    std::uint32_t length = 0;
    if (format == PlistFormat::binary) {
        plist_to_bin(root.get(), &text, &length);
    } else {
        plist_to_xml(root.get(), &text, &length);
    }
    if (text == nullptr) throw std::runtime_error("libplist could not write the property list");
    Bytes bytes(reinterpret_cast<const std::uint8_t*>(text), reinterpret_cast<const std::uint8_t*>(text) + length);
    if (format == PlistFormat::binary) {
        plist_to_bin_free(text);
    } else {
        plist_to_xml_free(text);
    }
    return bytes;
}

}  // namespace quillo::testing
