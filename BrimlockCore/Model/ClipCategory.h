#pragma once

#include "Platform/Foundation/Coding.h"

#include <optional>
#include <string_view>

namespace brimlock {

// The kind of an edit. Raw text equals the case name.
enum class ClipCategory { simple, compound, multicam, sync, gap, generator, title };

std::string_view rawValue(ClipCategory category) noexcept;
// Exact and case-sensitive: "Title" gives nothing.
std::optional<ClipCategory> clipCategoryFromRawValue(std::string_view text) noexcept;

// Single-value form: the raw text. Text that names no case is dataCorrupted.
platform::JSON encode(ClipCategory category, const platform::CodingPath& path = {});
ClipCategory decodeClipCategory(const platform::JSON& value, const platform::CodingPath& path = {});

}  // namespace brimlock
