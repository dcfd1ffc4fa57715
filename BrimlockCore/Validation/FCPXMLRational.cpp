#include "BrimlockCore/Validation/FCPXMLRational.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <charconv>

namespace brimlock::FCPXMLParser {

namespace {

bool isSpaceOrTab(UChar32 c) noexcept { return c == '\t' || (c >= 0 && u_charType(c) == U_SPACE_SEPARATOR); }

// Trims whole scalars; an ill-formed byte sequence is not a space and stops the trim.
std::string_view trimmedSpacesAndTabs(std::string_view text) noexcept {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    // Attribute values are far below 2 GiB; longer text has no time value anyway.
    if (text.size() > static_cast<std::size_t>(INT32_MAX)) return text;
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t first = 0;
    while (first < length) {
        std::int32_t next = first;
        UChar32 c;
        U8_NEXT(bytes, next, length, c);
        if (!isSpaceOrTab(c)) break;
        first = next;
    }
    std::int32_t last = length;
    while (last > first) {
        std::int32_t previous = last;
        UChar32 c;
        U8_PREV(bytes, first, previous, c);
        if (!isSpaceOrTab(c)) break;
        last = previous;
    }
    return text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first));
}

// Optional "+" or "-", then one or more digits, nothing else; nothing on overflow.
std::optional<std::int64_t> readInteger(std::string_view piece) noexcept {
    if (!piece.empty() && piece.front() == '+') {
        piece.remove_prefix(1);
        if (piece.empty() || piece.front() == '-') return std::nullopt;
    }
    std::int64_t value = 0;
    const char* end = piece.data() + piece.size();
    const auto [stop, error] = std::from_chars(piece.data(), end, value, 10);
    if (piece.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

}  // namespace

double Rational::seconds() const noexcept {
    if (denominator == 0) return 0.0;
    return static_cast<double>(numerator) / static_cast<double>(denominator);
}

std::optional<Rational> parseRational(std::optional<std::string_view> text) noexcept {
    if (!text) return std::nullopt;
    std::string_view value = trimmedSpacesAndTabs(*text);
    if (value.ends_with('s')) value.remove_suffix(1);
    if (value.empty()) return std::nullopt;

    const std::size_t slash = value.find('/');
    if (slash == std::string_view::npos) {
        const auto whole = readInteger(value);
        if (!whole) return std::nullopt;
        return Rational{*whole, 1};
    }
    const auto numerator = readInteger(value.substr(0, slash));
    const auto denominator = readInteger(value.substr(slash + 1));
    if (!numerator || !denominator || *denominator == 0) return std::nullopt;
    return Rational{*numerator, *denominator};
}

}  // namespace brimlock::FCPXMLParser
