#pragma once

#include "testing/ArchiveValue.h"
#include "testing/PlistValue.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace quillo::testing {

// An event's role set, archived on its own and stored as data under "roleSetData" in the event
// project's blob. Each role is an archived "FFRole" object with "uuid", "name" (left out for a role
// without a name) and "subRoles", an array of the sub-roles' own objects or of bare UID texts; the
// root "FFRoleSet" object lists the top-level roles under "roles". A role object appears once in the
// archive however many roles list it.
class RoleSetBuilder {
public:
    class Role {
    public:
        const std::string& uid() const;
        // A sub-role with an object of its own; answers the sub-role, so nesting reads top down.
        Role subRole(std::string uid, std::optional<std::string> name) const;
        // Lists an existing role (or any other) as a sub-role of this one as well.
        Role subRole(const Role& existing) const;
        // Names a UID in "subRoles" as bare text, with no object for it; answers this role.
        Role subRoleUID(std::string uid) const;

    private:
        friend class RoleSetBuilder;
        Role(RoleSetBuilder* set, std::size_t index) : set_(set), index_(index) {}

        RoleSetBuilder* set_;
        std::size_t index_;
    };

    // A top-level role. A name of std::nullopt leaves "name" out; "$null" is written as that text.
    Role role(std::string uid, std::optional<std::string> name);
    // Video, Titles, Dialogue, Music and Effects with UIDs "video", ..., each with one sub-role
    // "<uid>.<uid>-1" named like "Dialogue-1".
    void addStandardRoles();
    // Any further object, listed among the top-level roles: for role sets readers must survive.
    void addObject(ArchiveValue object);

    void setFormat(PlistFormat format) noexcept { format_ = format; }
    bool empty() const noexcept { return roles_.empty() && extraObjects_.empty(); }

    ArchiveValue archiveRoot() const;
    Bytes archive() const;

private:
    struct RoleNode {
        std::string uid;
        std::optional<std::string> name;
        std::vector<std::variant<std::size_t, std::string>> subRoles;  // a node index or a bare UID
        bool isSubRole = false;
    };

    ArchiveValue roleObject(std::size_t index, std::vector<std::optional<ArchiveValue>>& built) const;

    std::deque<RoleNode> roles_;
    std::vector<ArchiveValue> extraObjects_;
    PlistFormat format_ = PlistFormat::binary;
};

}  // namespace quillo::testing
