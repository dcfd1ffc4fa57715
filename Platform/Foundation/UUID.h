#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// A 128-bit universally unique identifier. Its text form is the 36-character 8-4-4-4-12 hexadecimal
// form: printed in upper case, parsed in either case.
class UUID {
public:
    using Bytes = std::array<std::uint8_t, 16>;

    constexpr UUID() noexcept = default;  // the nil UUID, all zero
    constexpr explicit UUID(const Bytes& bytes) noexcept : bytes_(bytes) {}

    // A random (version 4, RFC 4122 variant) UUID from the system's entropy source.
    static UUID random();
    // Nothing unless the text is exactly 36 characters of hexadecimal groups 8-4-4-4-12.
    static std::optional<UUID> parse(std::string_view text) noexcept;

    std::string uuidString() const;
    constexpr const Bytes& bytes() const noexcept { return bytes_; }

    friend constexpr auto operator<=>(const UUID&, const UUID&) noexcept = default;

private:
    Bytes bytes_{};
};

}  // namespace platform

template <>
struct std::hash<platform::UUID> {
    std::size_t operator()(const platform::UUID& uuid) const noexcept;
};
