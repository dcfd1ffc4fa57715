#include "QuilloToDoKit/QuilloToDoModel/AssigneeSource.h"

#include "Platform/Foundation/RawValueCoding.h"

namespace quillo {

namespace {

constexpr platform::RawValueTable<AssigneeSource, 3> kRawValues{
    "AssigneeSource",
    {{
        {AssigneeSource::role, "role"},
        {AssigneeSource::prefix, "prefix"},
        {AssigneeSource::none, "none"},
    }},
};

}  // namespace

std::string_view rawValue(AssigneeSource source) noexcept { return kRawValues.rawValue(source); }

std::optional<AssigneeSource> assigneeSourceFromRawValue(std::string_view raw) noexcept {
    return kRawValues.fromRawValue(raw);
}

platform::JSON encode(AssigneeSource source, const platform::CodingPath&) { return kRawValues.encode(source); }

AssigneeSource decodeAssigneeSource(const platform::JSON& value, const platform::CodingPath& path) {
    return kRawValues.decode(value, path);
}

}  // namespace quillo
