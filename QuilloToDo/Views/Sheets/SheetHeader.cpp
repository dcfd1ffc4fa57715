#include "QuilloToDo/Views/Sheets/SheetHeader.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloSymbolView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace quillo {

namespace SheetFonts {
QFont headline() { return systemFont(13, QFont::Bold); }
QFont callout() { return systemFont(12); }
QFont caption() { return systemFont(11); }
QFont caption2() { return systemFont(10); }
}  // namespace SheetFonts

void setSecondaryText(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, Color::quilloTextSecondary());
    palette.setColor(QPalette::Text, Color::quilloTextSecondary());
    widget->setPalette(palette);
}

QLabel* secondaryLabel(const QString& text) {
    auto* label = new QLabel(text);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    setSecondaryText(label);
    return label;
}

SheetHeader::SheetHeader(const QString& symbol, const QColor& symbolColor, const QString& headline,
                         const QString& caption, QWidget* parent)
    : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(16, 16, 16, 16);
    row->setSpacing(8);
    row->addWidget(new QuilloSymbolView(symbol, SheetFonts::kTitle2Size, symbolColor), 0, Qt::AlignVCenter);
    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    auto* title = new QLabel(headline);
    title->setFont(SheetFonts::headline());
    caption_ = new QLabel(caption);
    caption_->setFont(SheetFonts::caption());
    setSecondaryText(caption_);
    column->addWidget(title);
    column->addWidget(caption_);
    row->addLayout(column);
    row->addStretch(1);
}

}  // namespace quillo
