#pragma once

#include "Platform/Foundation/Coding.h"

#include <optional>
#include <string_view>

namespace quillo {

// Where a to-do's assignee came from: the top-level role of the marker's clip (`role`), an at-sign
// and a name at the start of the marker text (`prefix`), or nowhere (`none`). Coded as its raw text.
enum class AssigneeSource { role, prefix, none };

std::string_view rawValue(AssigneeSource source) noexcept;
// Exact, case-sensitive match of a raw value; nothing for any other text.
std::optional<AssigneeSource> assigneeSourceFromRawValue(std::string_view raw) noexcept;

// A JSON string holding the raw value; never fails.
platform::JSON encode(AssigneeSource source, const platform::CodingPath& path = {});
// Fails with typeMismatch for a non-string and dataCorrupted for a text that names no case.
AssigneeSource decodeAssigneeSource(const platform::JSON& value, const platform::CodingPath& path = {});

}  // namespace quillo
