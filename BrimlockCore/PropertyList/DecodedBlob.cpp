#include "BrimlockCore/PropertyList/DecodedBlob.h"

#include <cmath>

namespace brimlock::BlobDecoder {

namespace {

// 2^63: every double below it (and at least -2^63) converts to int64_t without overflow.
constexpr double kTwoToThe63 = 9223372036854775808.0;
constexpr double kTwoToThe64 = 18446744073709551616.0;

std::optional<std::int64_t> exactInteger(const PropertyListValue& value) noexcept {
    if (const auto integer = value.integer()) return integer;
    const auto real = value.real();
    if (!real || !std::isfinite(*real) || std::trunc(*real) != *real) return std::nullopt;
    if (*real < -kTwoToThe63 || *real >= kTwoToThe63) return std::nullopt;
    return static_cast<std::int64_t>(*real);
}

std::optional<double> exactDouble(const PropertyListValue& value) noexcept {
    if (const auto real = value.real()) return real;
    if (const auto integer = value.integer()) {
        const auto converted = static_cast<double>(*integer);
        // Rounding may reach 2^63, which is no int64_t; below it the round trip decides.
        if (converted >= kTwoToThe63 || static_cast<std::int64_t>(converted) != *integer) return std::nullopt;
        return converted;
    }
    if (const auto unsignedInteger = value.unsignedInteger()) {
        const auto converted = static_cast<double>(*unsignedInteger);
        if (converted >= kTwoToThe64 || static_cast<std::uint64_t>(converted) != *unsignedInteger) return std::nullopt;
        return converted;
    }
    return std::nullopt;
}

}  // namespace

DecodedBlob::DecodedBlob(PropertyListValue objects, std::pmr::vector<std::string_view> rootKeys,
                         std::pmr::vector<PropertyListValue> rootValues)
    : objects_(std::move(objects)), rootKeys_(std::move(rootKeys)), rootValues_(std::move(rootValues)) {}

std::vector<std::string> DecodedBlob::rootKeys() const { return {rootKeys_.begin(), rootKeys_.end()}; }

std::map<std::string, PropertyListValue, std::less<>> DecodedBlob::keyValueMap() const {
    std::map<std::string, PropertyListValue, std::less<>> map;
    for (std::size_t i = 0; i < rootKeys_.size(); ++i) map.insert_or_assign(std::string(rootKeys_[i]), rootValues_[i]);
    return map;
}

const PropertyListValue* DecodedBlob::lookup(std::string_view key) const noexcept {
    // Backwards, so that a repeated key answers its later value.
    for (std::size_t i = rootKeys_.size(); i-- > 0;) {
        if (rootKeys_[i] == key) return &rootValues_[i];
    }
    return nullptr;
}

std::optional<PropertyListValue> DecodedBlob::value(std::string_view forKey) const noexcept {
    const auto* found = lookup(forKey);
    if (!found) return std::nullopt;
    return *found;
}

bool DecodedBlob::hasKey(std::string_view key) const noexcept { return lookup(key) != nullptr; }

std::optional<std::string> DecodedBlob::string(std::string_view forKey) const {
    const auto* found = lookup(forKey);
    if (!found) return std::nullopt;
    const auto text = found->string();
    if (!text) return std::nullopt;
    return std::string(*text);
}

std::optional<std::int64_t> DecodedBlob::integer(std::string_view forKey) const noexcept {
    const auto* found = lookup(forKey);
    return found ? exactInteger(*found) : std::nullopt;
}

std::optional<double> DecodedBlob::doubleValue(std::string_view forKey) const noexcept {
    const auto* found = lookup(forKey);
    return found ? exactDouble(*found) : std::nullopt;
}

std::optional<bool> DecodedBlob::boolValue(std::string_view forKey) const noexcept {
    const auto* found = lookup(forKey);
    if (!found) return std::nullopt;
    if (const auto boolean = found->boolean()) return boolean;
    const auto number = exactInteger(*found);
    if (number && (*number == 0 || *number == 1)) return *number == 1;
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> DecodedBlob::data(std::string_view forKey) const {
    const auto* found = lookup(forKey);
    if (!found) return std::nullopt;
    const auto bytes = found->data();
    if (!bytes) return std::nullopt;
    return std::vector<std::uint8_t>(bytes->begin(), bytes->end());
}

std::optional<PropertyListValue> DecodedBlob::dictionary(std::string_view forKey) const noexcept {
    const auto* found = lookup(forKey);
    if (!found || !found->is(PropertyListKind::dictionary)) return std::nullopt;
    return *found;
}

std::optional<PropertyListValue> DecodedBlob::array(std::string_view forKey) const noexcept {
    const auto* found = lookup(forKey);
    if (!found || !found->is(PropertyListKind::array)) return std::nullopt;
    return *found;
}

}  // namespace brimlock::BlobDecoder
