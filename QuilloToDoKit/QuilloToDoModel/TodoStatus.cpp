#include "QuilloToDoKit/QuilloToDoModel/TodoStatus.h"

namespace quillo {

std::string_view rawValue(TodoStatus status) noexcept {
    switch (status) {
    case TodoStatus::open: return "open";
    case TodoStatus::done: return "done";
    case TodoStatus::unknown: return "unknown";
    }
    return {};
}

std::optional<TodoStatus> todoStatusFromRawValue(std::string_view raw) noexcept {
    for (const TodoStatus status : allTodoStatuses)
        if (rawValue(status) == raw) return status;
    return std::nullopt;
}

std::string_view displayName(TodoStatus status) noexcept {
    switch (status) {
    case TodoStatus::open: return "Open";
    case TodoStatus::done: return "Done";
    case TodoStatus::unknown: return "N/A";
    }
    return {};
}

platform::JSON encode(TodoStatus status, const platform::CodingPath&) { return platform::JSON(rawValue(status)); }

TodoStatus decodeTodoStatus(const platform::JSON& value, const platform::CodingPath& path) {
    const std::string raw = platform::decodeString(value, path);
    if (const auto status = todoStatusFromRawValue(raw)) return *status;
    throw platform::DecodingError(platform::DecodingError::Kind::dataCorrupted, path,
                                  "Cannot initialize TodoStatus from invalid String value " + raw);
}

}  // namespace quillo
