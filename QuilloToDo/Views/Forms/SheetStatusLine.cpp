#include "QuilloToDo/Views/Forms/SheetStatusLine.h"

#include "QuilloToDo/Views/Forms/GroupedForm.h"
#include "QuilloToDo/Views/Forms/SheetHeader.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloSymbolView.h"

#include <QHBoxLayout>
#include <QLabel>

namespace quillo {

SheetStatusLine::SheetStatusLine(GroupedForm& form)
    : form_(form),
      section_(form.addSection()),
      symbol_(new QuilloSymbolView(QStringLiteral("exclamationmark.circle.fill"), 14, Color::orange())),
      text_(new QLabel) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    text_->setFont(SheetFonts::callout());
    text_->setWordWrap(true);
    text_->setTextFormat(Qt::PlainText);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    row->addWidget(symbol_, 0, Qt::AlignVCenter);
    row->addWidget(text_, 1, Qt::AlignVCenter);
    section_->addRow(this);
    section_->hide();
}

void SheetStatusLine::setStatus(const QString& text, bool ok) {
    ok_ = ok;
    symbol_->setSymbol(ok ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("exclamationmark.circle.fill"));
    symbol_->setColor(ok ? Color::green() : Color::orange());
    text_->setText(text);
    section_->setVisible(!text.isEmpty());
    if (!text.isEmpty()) form_.revealLater(section_);
}

QString SheetStatusLine::text() const { return text_->text(); }

}  // namespace quillo
