#include "testing/RoleSetBuilder.h"

#include "testing/KeyedArchiveWriter.h"

#include <array>
#include <stdexcept>

namespace quillo::testing {

const std::string& RoleSetBuilder::Role::uid() const { return set_->roles_.at(index_).uid; }

RoleSetBuilder::Role RoleSetBuilder::Role::subRole(std::string uid, std::optional<std::string> name) const {
    set_->roles_.push_back(RoleNode{std::move(uid), std::move(name), {}, true});
    const std::size_t child = set_->roles_.size() - 1;
    set_->roles_.at(index_).subRoles.emplace_back(child);
    return Role(set_, child);
}

RoleSetBuilder::Role RoleSetBuilder::Role::subRole(const Role& existing) const {
    if (existing.set_ != set_) throw std::invalid_argument("the sub-role belongs to another role set");
    set_->roles_.at(existing.index_).isSubRole = true;
    set_->roles_.at(index_).subRoles.emplace_back(existing.index_);
    return existing;
}

RoleSetBuilder::Role RoleSetBuilder::Role::subRoleUID(std::string uid) const {
    set_->roles_.at(index_).subRoles.emplace_back(std::move(uid));
    return *this;
}

RoleSetBuilder::Role RoleSetBuilder::role(std::string uid, std::optional<std::string> name) {
    roles_.push_back(RoleNode{std::move(uid), std::move(name), {}, false});
    return Role(this, roles_.size() - 1);
}

void RoleSetBuilder::addStandardRoles() {
    static constexpr std::array<std::pair<const char*, const char*>, 5> kStandard{{
        {"video", "Video"},
        {"titles", "Titles"},
        {"dialogue", "Dialogue"},
        {"music", "Music"},
        {"effects", "Effects"},
    }};
    for (const auto& [uid, name] : kStandard) {
        role(uid, name).subRole(std::string(uid) + "." + uid + "-1", std::string(name) + "-1");
    }
}

void RoleSetBuilder::addObject(ArchiveValue object) { extraObjects_.push_back(std::move(object)); }

ArchiveValue RoleSetBuilder::roleObject(std::size_t index, std::vector<std::optional<ArchiveValue>>& built) const {
    if (built.at(index)) {
        if (built.at(index)->kind() == ArchiveValue::Kind::null)
            throw std::logic_error("role set with a sub-role cycle");
        return *built.at(index);
    }
    // Marks the role as under way: meeting it again below means the sub-roles form a cycle.
    built.at(index) = ArchiveValue::null();
    const RoleNode& node = roles_.at(index);
    ArchiveValue::Entries fields{{"uuid", node.uid}};
    if (node.name) fields.emplace_back("name", *node.name);
    if (!node.subRoles.empty() || !node.isSubRole) {
        std::vector<ArchiveValue> subRoles;
        for (const auto& entry : node.subRoles) {
            if (const auto* child = std::get_if<std::size_t>(&entry)) {
                subRoles.push_back(roleObject(*child, built));
            } else {
                subRoles.emplace_back(std::get<std::string>(entry));
            }
        }
        fields.emplace_back("subRoles", ArchiveValue::array(std::move(subRoles)));
    }
    fields.emplace_back("visible", true);
    built.at(index) = ArchiveValue::object("FFRole", std::move(fields));
    return *built.at(index);
}

ArchiveValue RoleSetBuilder::archiveRoot() const {
    std::vector<std::optional<ArchiveValue>> built(roles_.size());
    std::vector<ArchiveValue> topLevel;
    for (std::size_t i = 0; i < roles_.size(); ++i) {
        if (!roles_[i].isSubRole) topLevel.push_back(roleObject(i, built));
    }
    for (const auto& object : extraObjects_) topLevel.push_back(object);
    return ArchiveValue::object("FFRoleSet", {{"roles", ArchiveValue::array(std::move(topLevel))}});
}

Bytes RoleSetBuilder::archive() const { return KeyedArchiveWriter::archive(archiveRoot(), format_); }

}  // namespace quillo::testing
