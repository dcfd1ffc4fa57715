#include "QuilloToDo/Views/Sheets/SheetFooter.h"

#include "QuilloToDo/Views/Shared/FocusChain.h"
#include "QuilloDesignKit/QuilloColor.h"

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
    // Bordered prominent: filled with the accent colour. Styled, it loses the platform's focus frame
    // and draws its own ring.
    const QColor accent = Color::quilloAccent();
    primary_->setStyleSheet(
        QStringLiteral(
            "QPushButton { color: white; background: %1; border: 1px solid %1; border-radius: 6px;"
            " padding: 4px 14px; min-height: 18px; }"
            "QPushButton:pressed { background: %2; border-color: %2; }"
            "QPushButton:disabled { color: rgba(255, 255, 255, 100); background: rgba(%3, 90); border-color: rgba(%3, 90); }"
            "QPushButton:focus { border: 2px solid %4; }")
            .arg(accent.name(), accent.darker(130).name(),
                 QStringLiteral("%1, %2, %3").arg(accent.red()).arg(accent.green()).arg(accent.blue()),
                 accent.lighter(170).name()));
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

// Leading buttons come after the others: Tab goes through the sheet as it reads.
void SheetFooter::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    orderFocusChain(window());
}

}  // namespace quillo
