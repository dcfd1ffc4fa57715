#include "QuilloToDo/Views/Content/FooterView.h"

#include "QuilloToDo/Views/Shared/ViewTexts.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloFont.h"

#include <QHBoxLayout>
#include <QLabel>

namespace quillo {

FooterView::FooterView(QWidget* parent) : QWidget(parent), label_(new QLabel(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(14, 8, 14, 8);
    label_->setFont(quilloFont(12, QuilloFontWeight::medium));
    QPalette palette = label_->palette();
    palette.setColor(QPalette::WindowText, Color::quilloTextSecondary());
    label_->setPalette(palette);
    layout->addWidget(label_);
    layout->addStretch(1);
    setItemCount(0);
}

void FooterView::setItemCount(qint64 count) {
    if (count == itemCount_) return;
    itemCount_ = count;
    label_->setText(markerCountText(count));
}

QString FooterView::text() const { return label_->text(); }

}  // namespace quillo
