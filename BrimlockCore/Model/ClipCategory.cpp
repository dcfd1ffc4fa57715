#include "BrimlockCore/Model/ClipCategory.h"

#include <array>
#include <string>

namespace brimlock {

namespace {

constexpr auto clipCategories = std::to_array<ClipCategory>({ClipCategory::simple, ClipCategory::compound,
    ClipCategory::multicam, ClipCategory::sync, ClipCategory::gap, ClipCategory::generator, ClipCategory::title});

}  // namespace

std::string_view rawValue(ClipCategory category) noexcept {
    switch (category) {
    case ClipCategory::simple: return "simple";
    case ClipCategory::compound: return "compound";
    case ClipCategory::multicam: return "multicam";
    case ClipCategory::sync: return "sync";
    case ClipCategory::gap: return "gap";
    case ClipCategory::generator: return "generator";
    case ClipCategory::title: return "title";
    }
    return {};
}

std::optional<ClipCategory> clipCategoryFromRawValue(std::string_view text) noexcept {
    for (const ClipCategory category : clipCategories)
        if (rawValue(category) == text) return category;
    return std::nullopt;
}

platform::JSON encode(ClipCategory category, const platform::CodingPath&) { return std::string(rawValue(category)); }

ClipCategory decodeClipCategory(const platform::JSON& value, const platform::CodingPath& path) {
    const std::string text = platform::decodeString(value, path);
    if (const auto category = clipCategoryFromRawValue(text)) return *category;
    throw platform::DecodingError(platform::DecodingError::Kind::dataCorrupted, path,
                                  "Cannot initialize ClipCategory from invalid String value " + text);
}

}  // namespace brimlock
