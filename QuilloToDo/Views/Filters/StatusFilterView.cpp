#include "QuilloToDo/Views/Filters/StatusFilterView.h"

#include "QuilloToDo/Views/Filters/FilterChipRow.h"
#include "QuilloToDo/Views/Filters/FilterToggle.h"

#include "QuilloDesignKit/QuilloChip.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloSectionHeader.h"

#include "Platform/QtBridge/QtText.h"

#include <QVBoxLayout>

namespace quillo {
namespace {

QString statusSymbol(TodoStatus status) {
    switch (status) {
    case TodoStatus::open: return QStringLiteral("circle");
    case TodoStatus::done: return QStringLiteral("checkmark.circle.fill");
    case TodoStatus::unknown: return QStringLiteral("questionmark.circle");
    }
    return {};
}

}  // namespace

StatusFilterView::StatusFilterView(QWidget* parent) : QWidget(parent), chips_(new FilterChipRow(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(new QuilloSectionHeader(QStringLiteral("Status"), this));
    QList<QWidget*> chips;
    for (TodoStatus status : kAllTodoStatuses) {
        QuilloChipOptions options{.icon = statusSymbol(status),
                                  .isSelected = false,
                                  .tint = Color::quilloAccent(),
                                  .style = QuilloChipStyle::standard(),
                                  .size = QuilloChipSize::compact,
                                  .isDisabled = false};
        chips.append(new QuilloChip(platform::toQString(displayName(status)), options, nullptr,
                                    [this, status] { toggle(status); }));
    }
    chips_->setChips(chips);
    layout->addWidget(chips_);
}

void StatusFilterView::setSelectedStatuses(const std::set<TodoStatus>& statuses) {
    selectedStatuses_ = statuses;
    const QList<QWidget*> chips = chips_->chips();
    for (std::size_t i = 0; i < kAllTodoStatuses.size(); ++i) {
        static_cast<QuilloChip*>(chips[static_cast<qsizetype>(i)])->setSelected(statuses.contains(kAllTodoStatuses[i]));
    }
}

void StatusFilterView::toggle(TodoStatus status) {
    const std::set<TodoStatus> statuses = toggled(selectedStatuses_, status);
    setSelectedStatuses(statuses);
    emit selectedStatusesEdited(statuses);
}

}  // namespace quillo
