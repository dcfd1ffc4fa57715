#include "QuilloToDo/Views/Sheets/SheetStatusLine.h"

#include "QuilloToDo/Views/Forms/GroupedForm.h"
#include "QuilloToDo/Views/Sheets/SheetHeader.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloSymbolView.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QLabel>

namespace quillo {

namespace {

// Read as an alert named by its text: a screen reader announces the result when it appears and
// whenever it changes (Qt's bridge has no announcements of its own).
QAccessibleInterface* statusLineFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("quillo::SheetStatusLine")) return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::AlertMessage);
}

}  // namespace

SheetStatusLine::SheetStatusLine(GroupedForm& form)
    : form_(form),
      section_(form.addSection()),
      symbol_(new QuilloSymbolView(QStringLiteral("exclamationmark.circle.fill"), 14, Color::orange())),
      text_(new QLabel) {
    static const bool installed = [] {
        QAccessible::installFactory(statusLineFactory);
        return true;
    }();
    (void)installed;
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
    setAccessibleName(text);
    section_->setVisible(!text.isEmpty());
    if (!text.isEmpty()) form_.revealLater(section_);
}

QString SheetStatusLine::text() const { return text_->text(); }

}  // namespace quillo
