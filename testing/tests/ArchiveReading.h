#pragma once

// Reads written property lists and keyed archives back with libplist, so the builder's output is
// checked by a reader that is not its own.

#include "testing/PlistValue.h"

#include <plist/plist.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace quillo::testing::inspection {

struct PlistDeleter {
    void operator()(plist_t node) const noexcept { plist_free(node); }
};
using Plist = std::unique_ptr<void, PlistDeleter>;

inline Plist parsePlist(const Bytes& bytes) {
    plist_t root = nullptr;
    plist_from_memory(reinterpret_cast<const char*>(bytes.data()), static_cast<std::uint32_t>(bytes.size()), &root);
    if (root == nullptr) throw std::runtime_error("libplist could not parse the bytes");
    return Plist(root);
}

inline bool isBinaryPlist(const Bytes& bytes) {
    return plist_is_binary(reinterpret_cast<const char*>(bytes.data()), static_cast<std::uint32_t>(bytes.size())) != 0;
}

inline plist_t item(plist_t dictionary, const char* key) {
    if (dictionary == nullptr || plist_get_node_type(dictionary) != PLIST_DICT) return nullptr;
    return plist_dict_get_item(dictionary, key);
}

inline std::string stringOf(plist_t node) {
    if (node == nullptr || plist_get_node_type(node) != PLIST_STRING) throw std::runtime_error("not a string");
    std::uint64_t length = 0;
    const char* text = plist_get_string_ptr(node, &length);
    return std::string(text, length);
}

inline std::int64_t integerOf(plist_t node) {
    if (node == nullptr || plist_get_node_type(node) != PLIST_UINT) throw std::runtime_error("not an integer");
    std::uint64_t value = 0;
    plist_get_uint_val(node, &value);
    return static_cast<std::int64_t>(value);
}

inline double realOf(plist_t node) {
    if (node == nullptr || plist_get_node_type(node) != PLIST_REAL) throw std::runtime_error("not a real");
    double value = 0;
    plist_get_real_val(node, &value);
    return value;
}

inline bool booleanOf(plist_t node) {
    if (node == nullptr || plist_get_node_type(node) != PLIST_BOOLEAN) throw std::runtime_error("not a Boolean");
    std::uint8_t value = 0;
    plist_get_bool_val(node, &value);
    return value != 0;
}

inline Bytes dataOf(plist_t node) {
    if (node == nullptr || plist_get_node_type(node) != PLIST_DATA) throw std::runtime_error("not data");
    std::uint64_t length = 0;
    const char* bytes = plist_get_data_ptr(node, &length);
    return Bytes(reinterpret_cast<const std::uint8_t*>(bytes), reinterpret_cast<const std::uint8_t*>(bytes) + length);
}

// Reads the binary form's UID and the XML form's {"CF$UID": n} alike.
inline std::uint64_t uidOf(plist_t node) {
    if (node != nullptr && plist_get_node_type(node) == PLIST_UID) {
        std::uint64_t value = 0;
        plist_get_uid_val(node, &value);
        return value;
    }
    if (plist_t inner = item(node, "CF$UID"); inner != nullptr) return static_cast<std::uint64_t>(integerOf(inner));
    throw std::runtime_error("not a reference");
}

inline std::vector<plist_t> elementsOf(plist_t array) {
    if (array == nullptr || plist_get_node_type(array) != PLIST_ARRAY) throw std::runtime_error("not an array");
    std::vector<plist_t> elements;
    for (std::uint32_t i = 0; i < plist_array_get_size(array); ++i) elements.push_back(plist_array_get_item(array, i));
    return elements;
}

// A keyed archive read back: the "$objects" table and the root's entries with references resolved.
class ArchiveView {
public:
    explicit ArchiveView(const Bytes& bytes) : top_(parsePlist(bytes)) {
        objects_ = elementsOf(item(top_.get(), "$objects"));
    }

    plist_t top() const { return top_.get(); }
    std::size_t count() const { return objects_.size(); }
    plist_t object(std::uint64_t index) const { return objects_.at(index); }
    plist_t resolve(plist_t reference) const { return object(uidOf(reference)); }
    plist_t root() const { return object(1); }

    std::string className(plist_t object) const {
        return stringOf(item(resolve(item(object, "$class")), "$classname"));
    }

    // Key text and value object of each pair of an archived dictionary, in archive order.
    std::vector<std::pair<std::string, plist_t>> entries(plist_t dictionary) const {
        const auto keys = elementsOf(item(dictionary, "NS.keys"));
        const auto values = elementsOf(item(dictionary, "NS.objects"));
        if (keys.size() != values.size()) throw std::runtime_error("NS.keys and NS.objects differ in length");
        std::vector<std::pair<std::string, plist_t>> result;
        for (std::size_t i = 0; i < keys.size(); ++i)
            result.emplace_back(stringOf(resolve(keys[i])), resolve(values[i]));
        return result;
    }

    // The value stored under a key of an archived dictionary; null when the key is missing.
    plist_t value(plist_t dictionary, const std::string& key) const {
        for (const auto& [k, v] : entries(dictionary)) {
            if (k == key) return v;
        }
        return nullptr;
    }

    std::vector<plist_t> arrayElements(plist_t array) const {
        std::vector<plist_t> result;
        for (plist_t reference : elementsOf(item(array, "NS.objects"))) result.push_back(resolve(reference));
        return result;
    }

private:
    Plist top_;
    std::vector<plist_t> objects_;
};

}  // namespace quillo::testing::inspection
