#include "QuilloToDo/Views/Forms/GroupedFormSection.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloDesign.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloPainting.h"
#include "QuilloDesignKit/QuilloSectionHeader.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace quillo {

namespace {

// The card behind the rows, with a hairline between each two visible rows.
class SectionCard : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds = QRectF(rect());
        QuilloPainting::fillRoundedRect(painter, bounds, QuilloDesign::CornerRadius::kCard, Color::quilloCardFill());
        QuilloPainting::strokeInsideRoundedRect(painter, bounds, QuilloDesign::CornerRadius::kCard,
                                                Color::quilloDivider());
        const QWidget* previous = nullptr;
        for (const QObject* child : children()) {
            const auto* row = qobject_cast<const QWidget*>(child);
            if (!row || !row->isVisibleTo(this) || row->property("caption").toBool()) continue;
            if (previous) {
                const double y = (previous->geometry().bottom() + row->geometry().top() + 1) / 2.0;
                painter.fillRect(QRectF(12, y, width() - 12, 1), Color::quilloDivider());
            }
            previous = row;
        }
    }
};

}  // namespace

GroupedFormSection::GroupedFormSection(const QString& title, QWidget* parent)
    : QWidget(parent), card_(new SectionCard(this)), rows_(new QVBoxLayout(card_)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    if (!title.isEmpty()) {
        auto* header = new QuilloSectionHeader(title, this);
        header->setContentsMargins(8, 0, 0, 0);
        layout->addWidget(header);
    }
    rows_->setContentsMargins(0, 2, 0, 2);
    rows_->setSpacing(1);
    layout->addWidget(card_);
}

QWidget* GroupedFormSection::addRow(QWidget* content) {
    auto* row = new QWidget(card_);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(12, 6, 12, 6);
    layout->addWidget(content);
    rows_->addWidget(row);
    return row;
}

QWidget* GroupedFormSection::addLabeledRow(const QString& label, QWidget* content) {
    auto* row = new QWidget(card_);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(12, 6, 12, 6);
    layout->setSpacing(12);
    auto* title = new QLabel(label, row);
    title->setBuddy(content);
    layout->addWidget(title);
    layout->addStretch(1);
    layout->addWidget(content, 0, Qt::AlignRight | Qt::AlignVCenter);
    rows_->addWidget(row);
    return row;
}

QLabel* GroupedFormSection::addCaption(const QString& text, bool micro) {
    auto* caption = new QLabel(text, card_);
    caption->setWordWrap(true);
    caption->setProperty("caption", true);
    caption->setContentsMargins(12, 0, 12, 6);
    caption->setTextInteractionFlags(Qt::TextSelectableByMouse);
    caption->setFont(systemFont(micro ? 10 : 11));
    QPalette palette = caption->palette();
    palette.setColor(QPalette::WindowText, Color::quilloTextSecondary());
    caption->setPalette(palette);
    rows_->addWidget(caption);
    return caption;
}

}  // namespace quillo
