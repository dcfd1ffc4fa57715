#pragma once

#include <charconv>
#include <concepts>
#include <optional>
#include <string_view>
#include <system_error>

namespace platform {

// A decimal integer written as the whole text: optional "+" or "-", then one or more digits (leading
// zeros too). No white space; nothing for a value the type cannot hold.
template <std::integral Integer>
std::optional<Integer> parseDecimalInteger(std::string_view text) noexcept {
    if (text.starts_with('+')) {
        text.remove_prefix(1);
        if (text.starts_with('-')) return std::nullopt;  // from_chars would take it as the sign
    }
    Integer value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, 10);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

}  // namespace platform
