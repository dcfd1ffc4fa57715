#include "QuilloToDoKit/QuilloToDoModel/MarkerKind.h"

namespace quillo {

std::string_view rawValue(MarkerKind kind) noexcept {
    switch (kind) {
    case MarkerKind::standard: return "standard";
    case MarkerKind::todo: return "todo";
    case MarkerKind::chapter: return "chapter";
    }
    return {};
}

std::optional<MarkerKind> markerKindFromRawValue(std::string_view raw) noexcept {
    for (const MarkerKind kind : allMarkerKinds)
        if (rawValue(kind) == raw) return kind;
    return std::nullopt;
}

std::string_view displayName(MarkerKind kind) noexcept {
    switch (kind) {
    case MarkerKind::standard: return "Standard";
    case MarkerKind::todo: return "To-Do";
    case MarkerKind::chapter: return "Chapter";
    }
    return {};
}

platform::JSON encode(MarkerKind kind, const platform::CodingPath&) { return platform::JSON(rawValue(kind)); }

MarkerKind decodeMarkerKind(const platform::JSON& value, const platform::CodingPath& path) {
    const std::string raw = platform::decodeString(value, path);
    if (const auto kind = markerKindFromRawValue(raw)) return *kind;
    throw platform::DecodingError(platform::DecodingError::Kind::dataCorrupted, path,
                                  "Cannot initialize MarkerKind from invalid String value " + raw);
}

}  // namespace quillo
