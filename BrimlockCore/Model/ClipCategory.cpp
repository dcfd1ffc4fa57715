#include "BrimlockCore/Model/ClipCategory.h"

#include "Platform/Foundation/RawValueCoding.h"

namespace brimlock {

namespace {

constexpr platform::RawValueTable<ClipCategory, 7> kRawValues{
    "ClipCategory",
    {{
        {ClipCategory::simple, "simple"},
        {ClipCategory::compound, "compound"},
        {ClipCategory::multicam, "multicam"},
        {ClipCategory::sync, "sync"},
        {ClipCategory::gap, "gap"},
        {ClipCategory::generator, "generator"},
        {ClipCategory::title, "title"},
    }},
};

}  // namespace

std::string_view rawValue(ClipCategory category) noexcept { return kRawValues.rawValue(category); }

std::optional<ClipCategory> clipCategoryFromRawValue(std::string_view raw) noexcept {
    return kRawValues.fromRawValue(raw);
}

platform::JSON encode(ClipCategory category, const platform::CodingPath&) { return kRawValues.encode(category); }

ClipCategory decodeClipCategory(const platform::JSON& value, const platform::CodingPath& path) {
    return kRawValues.decode(value, path);
}

}  // namespace brimlock
