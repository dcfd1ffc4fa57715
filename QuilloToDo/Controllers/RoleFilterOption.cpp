#include "QuilloToDo/Controllers/RoleFilterOption.h"

#include "Platform/Foundation/UnicodeText.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace quillo {

std::vector<RoleFilterOption> roleFilterOptions(const std::vector<TodoItem>& items) {
    struct Keyed {
        RoleFilterOption option;
        std::string sortKey;  // canonical form of the name: UTF-8 byte order is code-point order
    };
    std::vector<Keyed> options;
    std::unordered_set<std::string> seen;  // canonical forms of the role UIDs taken so far
    for (const auto& item : items) {
        const auto& uid = item.topLevelRoleUID;
        if (!uid || !seen.insert(platform::canonicalForm(*uid)).second) continue;
        std::string name = item.roleName.value_or(*uid);
        std::string sortKey = platform::canonicalForm(name);
        options.push_back({{*uid, std::move(name)}, std::move(sortKey)});
    }
    std::stable_sort(options.begin(), options.end(),
                     [](const Keyed& a, const Keyed& b) { return a.sortKey < b.sortKey; });
    std::vector<RoleFilterOption> sorted;
    sorted.reserve(options.size());
    for (auto& keyed : options) sorted.push_back(std::move(keyed.option));
    return sorted;
}

}  // namespace quillo
