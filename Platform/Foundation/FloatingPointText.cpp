#include "Platform/Foundation/FloatingPointText.h"

#include <charconv>
#include <cmath>

namespace platform {

std::optional<double> parseFiniteDouble(std::string_view text) noexcept {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    auto format = std::chars_format::general;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        format = std::chars_format::hex;
        text.remove_prefix(2);
    }
    // from_chars takes a "-" of its own; a second sign is not a number.
    if (text.empty() || text.front() == '+' || text.front() == '-') return std::nullopt;

    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, format);
    if (error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

}  // namespace platform
