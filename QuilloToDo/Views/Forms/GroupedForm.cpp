#include "QuilloToDo/Views/Forms/GroupedForm.h"

#include <QTimer>
#include <QVBoxLayout>

namespace quillo {

GroupedForm::GroupedForm(QWidget* parent) : QScrollArea(parent) {
    auto* content = new QWidget;
    sections_ = new QVBoxLayout(content);
    sections_->setContentsMargins(20, 16, 20, 16);
    sections_->setSpacing(14);
    sections_->addStretch(1);
    setWidget(content);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);  // its controls take the focus; the form scrolls to them
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
}

GroupedFormSection* GroupedForm::addSection(const QString& title) {
    auto* section = new GroupedFormSection(title, widget());
    sections_->insertWidget(sections_->count() - 1, section);  // above the closing stretch
    return section;
}

}  // namespace quillo

namespace quillo {

void GroupedForm::revealLater(QWidget* widget) {
    QTimer::singleShot(0, this, [this, target = QPointer<QWidget>(widget)] {
        if (target) ensureWidgetVisible(target, 0, 16);
    });
}

}  // namespace quillo
