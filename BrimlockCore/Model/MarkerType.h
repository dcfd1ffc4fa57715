#pragma once

#include "Platform/Foundation/Coding.h"

#include <array>
#include <optional>
#include <string_view>

namespace brimlock {

// A marker's type as the library stores it.
enum class MarkerType { chapter, todo, standard };

inline constexpr auto kAllMarkerTypes =
    std::to_array<MarkerType>({MarkerType::chapter, MarkerType::todo, MarkerType::standard});

// "chapter", "todo", "standard".
std::string_view rawValue(MarkerType type) noexcept;
// Exact and case-sensitive.
std::optional<MarkerType> markerTypeFromRawValue(std::string_view text) noexcept;

// Single-value form: the raw text. Text that names no case is dataCorrupted.
platform::JSON encode(MarkerType type, const platform::CodingPath& path = {});
MarkerType decodeMarkerType(const platform::JSON& value, const platform::CodingPath& path = {});

}  // namespace brimlock
