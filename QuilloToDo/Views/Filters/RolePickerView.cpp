#include "QuilloToDo/Views/Filters/RolePickerView.h"

#include "QuilloToDo/Views/Filters/FilterChipRow.h"
#include "QuilloToDo/Views/Filters/FilterToggle.h"

#include "QuilloDesignKit/QuilloChip.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloSectionHeader.h"

#include "Platform/Foundation/UnicodeText.h"
#include "Platform/QtBridge/QtText.h"

#include <QLabel>
#include <QVBoxLayout>

namespace quillo {

RolePickerView::RolePickerView(QWidget* parent)
    : QWidget(parent),
      chips_(new FilterChipRow(this)),
      noRoles_(new QLabel(QStringLiteral("No roles found yet \u2014 scan a library first."), this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(new QuilloSectionHeader(QStringLiteral("Role"), this));
    quilloMicro().applyTo(noRoles_);
    layout->addWidget(noRoles_);
    layout->addWidget(chips_);
    chips_->hide();
}

void RolePickerView::setRoles(const std::vector<RoleFilterOption>& roles) {
    if (roles == roles_) return;
    roles_ = roles;
    QList<QWidget*> chips;
    for (const RoleFilterOption& role : roles_) {
        QuilloChipOptions options{.icon = QStringLiteral("person.fill"),
                                  .isSelected = false,
                                  .tint = Color::quilloAccent(),
                                  .style = QuilloChipStyle::standard(),
                                  .size = QuilloChipSize::compact,
                                  .isDisabled = false};
        const std::string id = role.id;
        chips.append(new QuilloChip(platform::toQString(std::string_view(role.name)), options, nullptr,
                                    [this, id] { toggle(id); }));
    }
    chips_->setChips(chips);
    chips_->setVisible(!roles_.empty());
    noRoles_->setVisible(roles_.empty());
    showSelection();
}

void RolePickerView::setSelectedRoleUIDs(const std::set<std::string>& roleUIDs) {
    selectedRoleUIDs_ = roleUIDs;
    showSelection();
}

void RolePickerView::toggle(const std::string& roleUID) {
    // The filter holds its role ids in canonical form.
    const std::set<std::string> roleUIDs = toggled(selectedRoleUIDs_, platform::canonicalForm(roleUID));
    setSelectedRoleUIDs(roleUIDs);
    emit selectedRoleUIDsEdited(roleUIDs);
}

void RolePickerView::showSelection() {
    const QList<QWidget*> chips = chips_->chips();
    for (std::size_t i = 0; i < roles_.size(); ++i) {
        static_cast<QuilloChip*>(chips[static_cast<qsizetype>(i)])
            ->setSelected(selectedRoleUIDs_.contains(platform::canonicalForm(roles_[i].id)));
    }
}

}  // namespace quillo
