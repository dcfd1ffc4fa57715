#include "QuilloToDoKit/QuilloToDoModel/MarkerKind.h"

#include "Platform/Foundation/RawValueCoding.h"

namespace quillo {

namespace {

constexpr platform::RawValueTable<MarkerKind, 3> kRawValues{
    "MarkerKind",
    {{
        {MarkerKind::standard, "standard"},
        {MarkerKind::todo, "todo"},
        {MarkerKind::chapter, "chapter"},
    }},
};

}  // namespace

std::string_view rawValue(MarkerKind kind) noexcept { return kRawValues.rawValue(kind); }

std::optional<MarkerKind> markerKindFromRawValue(std::string_view raw) noexcept { return kRawValues.fromRawValue(raw); }

std::string_view displayName(MarkerKind kind) noexcept {
    switch (kind) {
    case MarkerKind::standard: return "Standard";
    case MarkerKind::todo: return "To-Do";
    case MarkerKind::chapter: return "Chapter";
    }
    return {};
}

platform::JSON encode(MarkerKind kind, const platform::CodingPath&) { return kRawValues.encode(kind); }

MarkerKind decodeMarkerKind(const platform::JSON& value, const platform::CodingPath& path) {
    return kRawValues.decode(value, path);
}

}  // namespace quillo
