#include "BrimlockCore/PropertyList/PropertyListStorage.h"

namespace brimlock {

std::shared_ptr<PropertyListStorage> makePropertyListStorage(std::pmr::memory_resource* memory) {
    return std::allocate_shared<PropertyListStorage>(std::pmr::polymorphic_allocator<PropertyListStorage>(memory),
                                                     memory);
}

std::uint32_t PropertyListStorage::appendNode(PropertyListKind kind, std::uint32_t count, std::uint64_t payload,
                                              std::uint8_t flags) {
    nodes.push_back(Node{static_cast<std::uint8_t>(kind), flags, count, payload});
    return static_cast<std::uint32_t>(nodes.size() - 1);
}

std::uint32_t PropertyListStorage::appendBytes(PropertyListKind kind, std::string_view text) {
    const auto offset = bytes.size();
    bytes.append(text);
    return appendNode(kind, static_cast<std::uint32_t>(text.size()), offset);
}

std::uint32_t PropertyListStorage::appendContainer(PropertyListKind kind, std::span<const std::uint32_t> childIndices) {
    const auto offset = children.size();
    children.insert(children.end(), childIndices.begin(), childIndices.end());
    const auto count = kind == PropertyListKind::dictionary ? childIndices.size() / 2 : childIndices.size();
    return appendNode(kind, static_cast<std::uint32_t>(count), offset);
}

std::optional<std::uint32_t> PropertyListStorage::find(std::uint32_t dictionary, std::string_view key) const noexcept {
    const Node& node = nodes[dictionary];
    if (node.kind != static_cast<std::uint8_t>(PropertyListKind::dictionary)) return std::nullopt;
    for (std::size_t position = node.count; position-- > 0;) {
        // Readers and the decoder admit only string keys.
        if (text(this->key(dictionary, position)) == key) return element(dictionary, position);
    }
    return std::nullopt;
}

}  // namespace brimlock
