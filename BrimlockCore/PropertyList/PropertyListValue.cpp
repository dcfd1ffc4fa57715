#include "BrimlockCore/PropertyList/PropertyListValue.h"

#include "BrimlockCore/PropertyList/PropertyListStorage.h"

#include <bit>
#include <limits>

namespace brimlock {

PropertyListValue::PropertyListValue(std::shared_ptr<const PropertyListStorage> storage, std::uint32_t index) noexcept
    : storage_(std::move(storage)), index_(index) {}

PropertyListKind PropertyListValue::kind() const noexcept {
    return static_cast<PropertyListKind>(storage_->node(index_).kind);
}

std::optional<std::string_view> PropertyListValue::string() const noexcept {
    const auto& node = storage_->node(index_);
    if (node.kind != static_cast<std::uint8_t>(PropertyListKind::string)) return std::nullopt;
    return storage_->text(node);
}

std::optional<std::int64_t> PropertyListValue::integer() const noexcept {
    const auto& node = storage_->node(index_);
    if (node.kind != static_cast<std::uint8_t>(PropertyListKind::integer)) return std::nullopt;
    if (node.flags & PropertyListStorage::kUnsignedAboveInt64) return std::nullopt;
    return static_cast<std::int64_t>(node.payload);
}

std::optional<std::uint64_t> PropertyListValue::unsignedInteger() const noexcept {
    const auto& node = storage_->node(index_);
    if (node.kind != static_cast<std::uint8_t>(PropertyListKind::integer)) return std::nullopt;
    if (node.flags & PropertyListStorage::kUnsignedAboveInt64) return node.payload;
    const auto value = static_cast<std::int64_t>(node.payload);
    if (value < 0) return std::nullopt;
    return static_cast<std::uint64_t>(value);
}

std::optional<double> PropertyListValue::real() const noexcept {
    const auto& node = storage_->node(index_);
    if (node.kind != static_cast<std::uint8_t>(PropertyListKind::real)) return std::nullopt;
    return std::bit_cast<double>(node.payload);
}

std::optional<bool> PropertyListValue::boolean() const noexcept {
    const auto& node = storage_->node(index_);
    if (node.kind != static_cast<std::uint8_t>(PropertyListKind::boolean)) return std::nullopt;
    return node.payload != 0;
}

std::optional<std::span<const std::uint8_t>> PropertyListValue::data() const noexcept {
    const auto& node = storage_->node(index_);
    if (node.kind != static_cast<std::uint8_t>(PropertyListKind::data)) return std::nullopt;
    const auto bytes = storage_->text(node);
    return std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::optional<double> PropertyListValue::date() const noexcept {
    const auto& node = storage_->node(index_);
    if (node.kind != static_cast<std::uint8_t>(PropertyListKind::date)) return std::nullopt;
    return std::bit_cast<double>(node.payload);
}

std::optional<std::uint64_t> PropertyListValue::uid() const noexcept {
    const auto& node = storage_->node(index_);
    if (node.kind != static_cast<std::uint8_t>(PropertyListKind::uid)) return std::nullopt;
    return node.payload;
}

std::size_t PropertyListValue::size() const noexcept {
    const auto& node = storage_->node(index_);
    const auto kind = static_cast<PropertyListKind>(node.kind);
    return (kind == PropertyListKind::array || kind == PropertyListKind::dictionary) ? node.count : 0;
}

PropertyListValue PropertyListValue::operator[](std::size_t position) const noexcept {
    return PropertyListValue(storage_, storage_->element(index_, position));
}

std::string_view PropertyListValue::keyAt(std::size_t position) const noexcept {
    return storage_->text(storage_->key(index_, position));
}

std::optional<PropertyListValue> PropertyListValue::find(std::string_view key) const noexcept {
    const auto found = storage_->find(index_, key);
    if (!found) return std::nullopt;
    return PropertyListValue(storage_, *found);
}

}  // namespace brimlock
