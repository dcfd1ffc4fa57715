#pragma once

#include "QuilloToDoKit/QuilloToDoModel/AssigneeSource.h"

#include <optional>
#include <string>
#include <string_view>

namespace brimlock {
class RoleResolver;
}

namespace quillo {

// Who a marker is for: the clip's top-level role when that is not a standard role, else the name
// after an at-sign at the start of the marker text. The role wins over the prefix; the prefix is
// still cut from the text shown.
namespace AssigneeResolver {

struct Assignment {
    std::optional<std::string> assignee;
    AssigneeSource source = AssigneeSource::none;
    std::string display;  // the marker text with any "@name" prefix removed
};

// The lower-case names of the standard roles (English and German): never assignees.
bool isBuiltInRoleName(std::string_view lowerCaseName);

Assignment derive(std::string_view rawText, const std::optional<std::string>& roleUID,
                  const brimlock::RoleResolver& roleResolver);

// The same rules with the role taken from an FCPXML role attribute ("Anna.Anna-1": role "Anna").
Assignment deriveFromFCPXMLRoleAttribute(std::string_view rawText, const std::optional<std::string>& roleAttribute);

}  // namespace AssigneeResolver
}  // namespace quillo
