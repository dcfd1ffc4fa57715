#include "BrimlockCore/Model/MarkerType.h"

#include "Platform/Foundation/RawValueCoding.h"

namespace brimlock {

namespace {

constexpr platform::RawValueTable<MarkerType, 3> kRawValues{
    "MarkerType",
    {{
        {MarkerType::chapter, "chapter"},
        {MarkerType::todo, "todo"},
        {MarkerType::standard, "standard"},
    }},
};

}  // namespace

std::string_view rawValue(MarkerType type) noexcept { return kRawValues.rawValue(type); }

std::optional<MarkerType> markerTypeFromRawValue(std::string_view raw) noexcept { return kRawValues.fromRawValue(raw); }

platform::JSON encode(MarkerType type, const platform::CodingPath&) { return kRawValues.encode(type); }

MarkerType decodeMarkerType(const platform::JSON& value, const platform::CodingPath& path) {
    return kRawValues.decode(value, path);
}

}  // namespace brimlock
