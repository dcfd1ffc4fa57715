#include "QuilloToDoKit/QuilloToDoModel/TodoStatus.h"

#include "Platform/Foundation/RawValueCoding.h"

namespace quillo {

namespace {

constexpr platform::RawValueTable<TodoStatus, 3> kRawValues{
    "TodoStatus",
    {{
        {TodoStatus::open, "open"},
        {TodoStatus::done, "done"},
        {TodoStatus::unknown, "unknown"},
    }},
};

}  // namespace

std::string_view rawValue(TodoStatus status) noexcept { return kRawValues.rawValue(status); }

std::optional<TodoStatus> todoStatusFromRawValue(std::string_view raw) noexcept { return kRawValues.fromRawValue(raw); }

std::string_view displayName(TodoStatus status) noexcept {
    switch (status) {
    case TodoStatus::open: return "Open";
    case TodoStatus::done: return "Done";
    case TodoStatus::unknown: return "N/A";
    }
    return {};
}

platform::JSON encode(TodoStatus status, const platform::CodingPath&) { return kRawValues.encode(status); }

TodoStatus decodeTodoStatus(const platform::JSON& value, const platform::CodingPath& path) {
    return kRawValues.decode(value, path);
}

}  // namespace quillo
