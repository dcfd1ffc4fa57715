#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brimlock {

class FCPDatabaseConnection;
class PropertyListValue;

struct RoleInfo {
    std::string uuid;
    std::string name;

    friend bool operator==(const RoleInfo&, const RoleInfo&) = default;
};

// The roles of an event (or of a whole library): display names of role UIDs and the role each
// sub-role belongs to. Loaded from the role-set archive that the event project keeps under
// "roleSetData"; lookups never fail and answer nothing for unknown UIDs. Used by one thread at a time.
class RoleResolver {
public:
    RoleResolver() = default;

    // Adds the roles of one event database, replacing definitions with equal UIDs. Throws
    // FCPDatabaseError only when the project query fails; anything unreadable inside adds nothing.
    void loadRoles(FCPDatabaseConnection& from);
    // loadRoles for every event database directly inside the bundle. Throws
    // std::filesystem::filesystem_error when the bundle cannot be listed.
    void loadAllRoles(const std::filesystem::path& from);
    // Adds the roles of one role-set archive (the bytes an event project keeps under "roleSetData").
    // Bytes that are no property list, or no archive, add nothing.
    void loadRoleSet(std::span<const std::uint8_t> roleSetData);

    // The role's own name, else its parent's (one step up only). An empty name is a name.
    std::optional<std::string> resolve(std::string_view roleUID) const;
    // The parent's UID for a sub-role, the UID itself for another known role.
    std::optional<std::string> topLevelUID(std::string_view forRoleUID) const;

    // Named roles that are nobody's sub-role, sorted by name (code point order of the NFC forms,
    // stable).
    std::vector<RoleInfo> topLevelRoles() const;
    // The named, defined sub-roles of a role, sorted by name like topLevelRoles.
    std::vector<RoleInfo> subRoles(std::string_view ofTopLevel) const;

    void clear();

private:
    struct RoleDef {
        std::string uuid;
        std::optional<std::string> rawName;  // none for "$null" or a name that is not text
        std::vector<std::string> subRoleUIDs;
    };

    void extractRoles(const PropertyListValue& objects);

    std::unordered_map<std::string, RoleDef> defs_;
    std::unordered_map<std::string, std::string> parentOf_;
};

}  // namespace brimlock
