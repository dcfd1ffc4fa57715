// Arbitrary bytes as a role-set archive, then every lookup over what was loaded.
#include "BrimlockCore/Database/RoleResolver.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    brimlock::RoleResolver resolver;
    resolver.loadRoleSet(std::span<const std::uint8_t>(data, size));
    for (const auto& role : resolver.topLevelRoles()) {
        (void)resolver.resolve(role.uuid);
        (void)resolver.topLevelUID(role.uuid);
        for (const auto& sub : resolver.subRoles(role.uuid)) {
            (void)resolver.resolve(sub.uuid);
            (void)resolver.topLevelUID(sub.uuid);
        }
    }
    return 0;
}
