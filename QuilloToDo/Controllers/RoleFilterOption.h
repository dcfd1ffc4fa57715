#pragma once

#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include <string>
#include <vector>

namespace quillo {

// A top-level role offered as a filter choice.
struct RoleFilterOption {
    std::string id;    // a TodoItem::topLevelRoleUID
    std::string name;  // the role name of the first item carrying `id`, else `id` itself

    friend bool operator==(const RoleFilterOption&, const RoleFilterOption&) = default;
};

// One option per distinct top-level role of `items`, sorted by name in code-point order of the
// canonical (NFC) form: case-sensitive and locale-free, so "Zoe" comes before "adam". The sort is
// stable; equal names stay in the order their roles first appear.
std::vector<RoleFilterOption> roleFilterOptions(const std::vector<TodoItem>& items);

}  // namespace quillo
