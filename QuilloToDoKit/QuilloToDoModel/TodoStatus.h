#pragma once

#include "Platform/Foundation/Coding.h"

#include <array>
#include <optional>
#include <string_view>

namespace quillo {

// Completion state of a to-do: `open` and `done` follow a to-do marker's completion flag; `unknown`
// is every other kind of marker and a to-do without a flag. Coded as its raw text.
enum class TodoStatus { open, done, unknown };

// Every case in case order, for controls that offer one choice per status.
inline constexpr auto kAllTodoStatuses =
    std::to_array<TodoStatus>({TodoStatus::open, TodoStatus::done, TodoStatus::unknown});

std::string_view rawValue(TodoStatus status) noexcept;
// Exact, case-sensitive match of a raw value; nothing for any other text.
std::optional<TodoStatus> todoStatusFromRawValue(std::string_view raw) noexcept;
// The label shown to the user ("N/A" for `unknown`).
std::string_view displayName(TodoStatus status) noexcept;

// A JSON string holding the raw value; never fails.
platform::JSON encode(TodoStatus status, const platform::CodingPath& path = {});
// Fails with typeMismatch for a non-string and dataCorrupted for a text that names no case.
TodoStatus decodeTodoStatus(const platform::JSON& value, const platform::CodingPath& path = {});

}  // namespace quillo
