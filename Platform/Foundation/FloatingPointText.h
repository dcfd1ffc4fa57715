#pragma once

#include <optional>
#include <string_view>

namespace platform {

// A floating-point number written as the whole text: optional "+" or "-", then a decimal number with an
// optional exponent ("1.5", ".5", "2e3") or a hexadecimal one ("0x1p4"). No surrounding white space.
// Only finite values are taken: "inf", "nan" and magnitudes a double cannot hold give nothing.
std::optional<double> parseFiniteDouble(std::string_view text) noexcept;

}  // namespace platform
