#pragma once

#include "Platform/Foundation/Coding.h"

#include <array>
#include <optional>
#include <string_view>

namespace quillo {

// The kind of marker a to-do was made from; coded as its raw text.
enum class MarkerKind { standard, todo, chapter };

// Every case in case order, for controls that offer one choice per kind.
inline constexpr auto kAllMarkerKinds =
    std::to_array<MarkerKind>({MarkerKind::standard, MarkerKind::todo, MarkerKind::chapter});

std::string_view rawValue(MarkerKind kind) noexcept;
// Exact, case-sensitive match of a raw value; nothing for any other text.
std::optional<MarkerKind> markerKindFromRawValue(std::string_view raw) noexcept;
// The label shown to the user ("To-Do" for `todo`).
std::string_view displayName(MarkerKind kind) noexcept;

// A JSON string holding the raw value; never fails.
platform::JSON encode(MarkerKind kind, const platform::CodingPath& path = {});
// Fails with typeMismatch for a non-string and dataCorrupted for a text that names no case.
MarkerKind decodeMarkerKind(const platform::JSON& value, const platform::CodingPath& path = {});

}  // namespace quillo
