#include "BrimlockCore/Validation/FCPXMLRational.h"

#include "Platform/Foundation/IntegerText.h"
#include "Platform/Foundation/UnicodeText.h"

namespace brimlock::FCPXMLParser {

double Rational::seconds() const noexcept {
    if (denominator == 0) return 0.0;
    return static_cast<double>(numerator) / static_cast<double>(denominator);
}

std::optional<Rational> parseRational(std::optional<std::string_view> text) noexcept {
    if (!text) return std::nullopt;
    std::string_view value = platform::trimmedSpaceSeparatorsAndTabs(*text);
    if (value.ends_with('s')) value.remove_suffix(1);
    if (value.empty()) return std::nullopt;

    const std::size_t slash = value.find('/');
    if (slash == std::string_view::npos) {
        const auto whole = platform::parseDecimalInteger<std::int64_t>(value);
        if (!whole) return std::nullopt;
        return Rational{*whole, 1};
    }
    const auto numerator = platform::parseDecimalInteger<std::int64_t>(value.substr(0, slash));
    const auto denominator = platform::parseDecimalInteger<std::int64_t>(value.substr(slash + 1));
    if (!numerator || !denominator || *denominator == 0) return std::nullopt;
    return Rational{*numerator, *denominator};
}

}  // namespace brimlock::FCPXMLParser
