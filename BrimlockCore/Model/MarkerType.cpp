#include "BrimlockCore/Model/MarkerType.h"

#include <string>

namespace brimlock {

std::string_view rawValue(MarkerType type) noexcept {
    switch (type) {
    case MarkerType::chapter: return "chapter";
    case MarkerType::todo: return "todo";
    case MarkerType::standard: return "standard";
    }
    return {};
}

std::optional<MarkerType> markerTypeFromRawValue(std::string_view text) noexcept {
    for (const MarkerType type : allMarkerTypes)
        if (rawValue(type) == text) return type;
    return std::nullopt;
}

platform::JSON encode(MarkerType type, const platform::CodingPath&) { return std::string(rawValue(type)); }

MarkerType decodeMarkerType(const platform::JSON& value, const platform::CodingPath& path) {
    const std::string text = platform::decodeString(value, path);
    if (const auto type = markerTypeFromRawValue(text)) return *type;
    throw platform::DecodingError(platform::DecodingError::Kind::dataCorrupted, path,
                                  "Cannot initialize MarkerType from invalid String value " + text);
}

}  // namespace brimlock
