#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace brimlock::FCPXMLParser {

// An FCPXML time value in seconds, numerator / denominator, as written: never reduced, so 1/2 and
// 2/4 are different values.
struct Rational {
    std::int64_t numerator = 0;
    std::int64_t denominator = 1;

    // numerator / denominator in double arithmetic; 0.0 when the denominator is 0. Always finite.
    double seconds() const noexcept;

    friend bool operator==(const Rational&, const Rational&) = default;
};

// Reads an FCPXML time text: "1001/30000s", "3600s", "12". Spaces and tabs (Unicode space separators
// and U+0009, not line breaks) are trimmed at both ends, then one trailing "s" is dropped. Numerator
// and denominator are decimal signed 64-bit integers (optional "+" or "-", then digits only), split at
// the first "/"; without "/" the denominator is 1. Nothing for absent, empty or unreadable text and for
// a denominator of 0 ("1.5s", "12 s", "/5s", "5/0s" give nothing).
std::optional<Rational> parseRational(std::optional<std::string_view> text) noexcept;

}  // namespace brimlock::FCPXMLParser
