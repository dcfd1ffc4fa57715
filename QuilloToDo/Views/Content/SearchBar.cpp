#include "QuilloToDo/Views/Content/SearchBar.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloPainting.h"
#include "QuilloDesignKit/QuilloSymbol.h"
#include "QuilloDesignKit/QuilloSymbolView.h"
#include "QuilloDesignKit/QuilloTooltip.h"
#include "QuilloDesignKit/QuilloTooltipPill.h"  // QuilloTooltip holds a QPointer to it

#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QToolButton>

namespace quillo {
namespace {

constexpr int kSpacing = 8;
constexpr int kPaddingHorizontal = 12;
constexpr int kPaddingVertical = 8;
constexpr double kCornerRadius = 10;
constexpr double kFontSize = 15;

}  // namespace

SearchBar::SearchBar(QWidget* parent) : QWidget(parent), field_(new QLineEdit(this)), clear_(new QToolButton(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setSpacing(kSpacing);
    layout->setContentsMargins(kPaddingHorizontal, kPaddingVertical, kPaddingHorizontal, kPaddingVertical);

    auto* glass = new QuilloSymbolView(QStringLiteral("magnifyingglass"), kFontSize, Color::quilloTextSecondary(),
                                       QFont::Normal, this);
    layout->addWidget(glass, 0, Qt::AlignVCenter);

    field_->setPlaceholderText(QStringLiteral("Search markers..."));
    field_->setAccessibleName(QStringLiteral("Search markers"));
    field_->setFont(quilloFont(kFontSize, QuilloFontWeight::regular));
    field_->setFrame(false);
    field_->setAttribute(Qt::WA_MacShowFocusRect, false);
    QPalette palette = field_->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, Qt::white);
    palette.setColor(QPalette::PlaceholderText, Color::quilloTextTertiary());
    field_->setPalette(palette);
    field_->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; padding: 0; }"));
    field_->installEventFilter(this);  // the bar draws the field's focus ring
    layout->addWidget(field_, 1);

    // The clear button never takes the focus: clearing leaves the cursor in the field.
    clear_->setIcon(QuilloSymbol::icon(QStringLiteral("xmark.circle.fill"), Color::quilloTextTertiary()));
    clear_->setIconSize(QSize(int(kFontSize), int(kFontSize)));
    clear_->setAutoRaise(true);
    clear_->setFocusPolicy(Qt::NoFocus);
    clear_->setCursor(Qt::ArrowCursor);
    quilloTooltip(clear_, QStringLiteral("Clear search"));
    clear_->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; padding: 0; }"));
    clear_->setVisible(false);
    layout->addWidget(clear_, 0, Qt::AlignVCenter);

    connect(field_, &QLineEdit::textChanged, this, [this](const QString& text) {
        clear_->setVisible(!text.isEmpty());
        emit textChanged(text);
    });
    connect(clear_, &QToolButton::clicked, field_, &QLineEdit::clear);
}

QString SearchBar::text() const { return field_->text(); }

void SearchBar::setText(const QString& text) {
    // QLineEdit::setText moves the cursor to the end; leave a field that already shows it alone.
    if (field_->text() != text) field_->setText(text);
}

bool SearchBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) update();
    return QWidget::eventFilter(watched, event);
}

void SearchBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QuilloPainting::fillRoundedRect(painter, rect(), kCornerRadius, Color::quilloChipFill());
    if (field_->hasFocus()) QuilloPainting::strokeFocusRing(painter, rect(), kCornerRadius);
}

}  // namespace quillo
