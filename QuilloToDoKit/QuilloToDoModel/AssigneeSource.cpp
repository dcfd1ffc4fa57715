#include "QuilloToDoKit/QuilloToDoModel/AssigneeSource.h"

#include <initializer_list>

namespace quillo {

std::string_view rawValue(AssigneeSource source) noexcept {
    switch (source) {
    case AssigneeSource::role: return "role";
    case AssigneeSource::prefix: return "prefix";
    case AssigneeSource::none: return "none";
    }
    return {};
}

std::optional<AssigneeSource> assigneeSourceFromRawValue(std::string_view raw) noexcept {
    for (const AssigneeSource source : {AssigneeSource::role, AssigneeSource::prefix, AssigneeSource::none})
        if (rawValue(source) == raw) return source;
    return std::nullopt;
}

platform::JSON encode(AssigneeSource source, const platform::CodingPath&) { return platform::JSON(rawValue(source)); }

AssigneeSource decodeAssigneeSource(const platform::JSON& value, const platform::CodingPath& path) {
    const std::string raw = platform::decodeString(value, path);
    if (const auto source = assigneeSourceFromRawValue(raw)) return *source;
    throw platform::DecodingError(platform::DecodingError::Kind::dataCorrupted, path,
                                  "Cannot initialize AssigneeSource from invalid String value " + raw);
}

}  // namespace quillo
