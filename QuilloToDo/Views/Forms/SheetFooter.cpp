#include "QuilloToDo/Views/Forms/SheetFooter.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace quillo {

SheetFooter::SheetFooter(QWidget* parent)
    : QWidget(parent),
      row_(new QHBoxLayout(this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"))),
      primary_(new QPushButton) {
    row_->setContentsMargins(16, 16, 16, 16);
    cancel_->setAutoDefault(false);
    primary_->setDefault(true);
    row_->addStretch(1);
    row_->addWidget(cancel_);
    row_->addWidget(primary_);
}

QPushButton* SheetFooter::addLeadingButton(const QString& text) {
    auto* button = new QPushButton(text);
    button->setAutoDefault(false);
    row_->insertWidget(row_->count() - 3, button);  // before the space and the two buttons
    return button;
}

}  // namespace quillo
