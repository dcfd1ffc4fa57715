#pragma once

#include "BrimlockCore/PropertyList/PropertyListValue.h"

#include <cstdint>
#include <memory>
#include <memory_resource>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The arena behind every PropertyListValue: one document's nodes, the node indices of its
// containers' children and the bytes of its strings and data, each in one vector, all from one
// memory resource. Readers and the blob decoder build it; handles only read it. Internal to the
// property-list code.
namespace brimlock {

struct PropertyListStorage {
    explicit PropertyListStorage(std::pmr::memory_resource* memory) : nodes(memory), children(memory), bytes(memory) {}

    // 16 bytes. `payload` holds the integer bits, the double bits (real, date), the UID, the
    // boolean, or the offset of a string's or data's bytes in `bytes` or of a container's children
    // in `children`; `count` holds that byte length, element count or dictionary pair count.
    struct Node {
        std::uint8_t kind = 0;   // a PropertyListKind, or one of the reader states below
        std::uint8_t flags = 0;  // integers: kUnsignedAboveInt64; the binary reader's containers: height
        std::uint32_t count = 0;
        std::uint64_t payload = 0;
    };
    // An integer whose 64 payload bits are an unsigned value above INT64_MAX.
    static constexpr std::uint8_t kUnsignedAboveInt64 = 1;
    // Binary reader states of a node not yet decoded: never visible through a handle.
    static constexpr std::uint8_t kPending = 0xFF;
    static constexpr std::uint8_t kDecoding = 0xFE;

    // Dictionaries store their pairs as key, value, key, value... in `children`.
    std::pmr::vector<Node> nodes;
    std::pmr::vector<std::uint32_t> children;
    std::pmr::string bytes;
    std::uint32_t root = 0;

    // Documents index nodes, children and bytes with 32 bits; a larger input is refused up front,
    // which keeps every count and offset below representable.
    static constexpr std::size_t kMaximumInputSize = std::size_t{1} << 30;

    std::uint32_t appendNode(PropertyListKind kind, std::uint32_t count, std::uint64_t payload, std::uint8_t flags = 0);
    std::uint32_t appendBytes(PropertyListKind kind, std::string_view text);
    // A container over existing nodes; `childIndices` holds 2 entries per pair for a dictionary.
    std::uint32_t appendContainer(PropertyListKind kind, std::span<const std::uint32_t> childIndices);

    const Node& node(std::uint32_t index) const noexcept { return nodes[index]; }
    PropertyListKind kind(std::uint32_t index) const noexcept {
        return static_cast<PropertyListKind>(nodes[index].kind);
    }
    // The bytes of a string or data node.
    std::string_view text(const Node& node) const noexcept {
        return std::string_view(bytes).substr(static_cast<std::size_t>(node.payload), node.count);
    }
    std::string_view text(std::uint32_t index) const noexcept { return text(nodes[index]); }
    // The element of an array, or the value of a dictionary's pair, at `position` < its count.
    std::uint32_t element(std::uint32_t container, std::size_t position) const noexcept {
        const Node& node = nodes[container];
        const bool isDictionary = node.kind == static_cast<std::uint8_t>(PropertyListKind::dictionary);
        return children[static_cast<std::size_t>(node.payload) + (isDictionary ? 2 * position + 1 : position)];
    }
    // The key node of a dictionary's pair at `position` < its count.
    std::uint32_t key(std::uint32_t dictionary, std::size_t position) const noexcept {
        return children[static_cast<std::size_t>(nodes[dictionary].payload) + 2 * position];
    }
    // The value of the last pair with `key`; nothing when absent or when the node is no dictionary.
    std::optional<std::uint32_t> find(std::uint32_t dictionary, std::string_view key) const noexcept;
    // The node when it has the kind.
    std::optional<std::uint32_t> ifKind(std::optional<std::uint32_t> index, PropertyListKind kind) const noexcept {
        if (index && this->kind(*index) == kind) return index;
        return std::nullopt;
    }
};

// An empty document whose storage, its own included, comes from `memory`, which must outlive it.
std::shared_ptr<PropertyListStorage> makePropertyListStorage(std::pmr::memory_resource* memory);

// Parses a binary (bplist00) or XML property list into a new document in `memory`; throws
// PropertyListError.
std::shared_ptr<PropertyListStorage> readPropertyListStorage(
    std::span<const std::uint8_t> data, std::pmr::memory_resource* memory = std::pmr::get_default_resource());

}  // namespace brimlock
