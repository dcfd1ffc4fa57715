#pragma once

#include "QuilloToDo/Controllers/RoleFilterOption.h"

#include <QWidget>

#include <set>
#include <string>
#include <vector>

class QLabel;

namespace quillo {

class FilterChipRow;

// "Role": one chip per offered role in the given order, selected while the role's id is in the edited
// set; with no roles, a line saying that none were found yet.
class RolePickerView : public QWidget {
    Q_OBJECT

public:
    explicit RolePickerView(QWidget* parent = nullptr);

    const std::vector<RoleFilterOption>& roles() const noexcept { return roles_; }
    void setRoles(const std::vector<RoleFilterOption>& roles);
    const std::set<std::string>& selectedRoleUIDs() const noexcept { return selectedRoleUIDs_; }
    // Shows the bound set; emits nothing.
    void setSelectedRoleUIDs(const std::set<std::string>& roleUIDs);
    // Removes the id from the bound set when it is in it, else inserts it, and reports the set.
    void toggle(const std::string& roleUID);

    FilterChipRow* chipRow() const noexcept { return chips_; }
    QLabel* noRolesLabel() const noexcept { return noRoles_; }

signals:
    void selectedRoleUIDsEdited(const std::set<std::string>& roleUIDs);

private:
    void showSelection();

    std::vector<RoleFilterOption> roles_;
    std::set<std::string> selectedRoleUIDs_;
    FilterChipRow* chips_;
    QLabel* noRoles_;
};

}  // namespace quillo
