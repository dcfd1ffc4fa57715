#include "QuilloToDo/Views/List/TodoRowDelegate.h"

#include "QuilloToDo/Views/List/TodoListModel.h"
#include "QuilloToDo/Views/List/TodoRowStyle.h"

#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloFont.h"
#include "QuilloDesignKit/QuilloPainting.h"
#include "QuilloDesignKit/QuilloSymbol.h"

#include "Platform/QtBridge/QtText.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace quillo {
namespace {

// Every row sits in the list with insets of 1 pt above and below and 10 pt on either side.
constexpr double kRowInsetVertical = 1;
constexpr double kRowInsetHorizontal = 10;
// A header has 8 pt of room above its title.
constexpr double kHeaderTopPadding = 8;
// An item row: 12 pt of padding left and right, 10 pt above and below, 10 pt between its parts.
constexpr double kItemPaddingHorizontal = 12;
constexpr double kItemPaddingVertical = 10;
constexpr double kItemSpacing = 10;
constexpr double kCornerRadius = 8;
constexpr double kBadgeSide = 28;
constexpr double kBadgeSymbolSize = 14;
constexpr double kBadgeFillOpacity = 0.2;
constexpr double kLineSpacing = 2;
constexpr double kMinimumSpacer = 8;
constexpr double kDoneMarkSize = 12;

int ceilToInt(double value) { return static_cast<int>(std::ceil(value)); }

}  // namespace

TodoRowDelegate::TodoRowDelegate(QObject* parent)
    : QStyledItemDelegate(parent),
      headerFont_(systemFont(13, QFont::Medium)),
      titleFont_(quilloFont(15, QuilloFontWeight::regular)),
      detailFont_(quilloFont(12, QuilloFontWeight::regular)) {
    const double header = QFontMetricsF(headerFont_).height();
    const double lines = QFontMetricsF(titleFont_).height() + kLineSpacing + QFontMetricsF(detailFont_).height();
    headerHeight_ = ceilToInt(kHeaderTopPadding + header + 2 * kRowInsetVertical);
    itemHeight_ = ceilToInt(std::max(kBadgeSide, lines) + 2 * kItemPaddingVertical + 2 * kRowInsetVertical);
}

QSize TodoRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
    // The width is the view's: rows span it.
    return {1, TodoListModel::rowKind(index) == TodoListModel::RowKind::header ? headerHeight_ : itemHeight_};
}

void TodoRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const auto* model = qobject_cast<const TodoListModel*>(index.model());
    if (!model) return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (const TodoItem* item = model->itemAt(index)) {
        paintItem(*painter, option, *item, model->isSelected(*item), model->isDoneInReminders(*item));
    } else {
        paintHeader(*painter, option.rect, index.data(Qt::DisplayRole).toString());
    }
    // The row the keyboard is on, while the list has the focus.
    if (option.state & QStyle::State_HasFocus) {
        QuilloPainting::strokeFocusRing(
            *painter,
            QRectF(option.rect)
                .adjusted(kRowInsetHorizontal, kRowInsetVertical, -kRowInsetHorizontal, -kRowInsetVertical),
            kCornerRadius);
    }
    painter->restore();
}

void TodoRowDelegate::paintHeader(QPainter& painter, const QRect& rect, const QString& title) const {
    const QRectF text = QRectF(rect).adjusted(kRowInsetHorizontal, kRowInsetVertical + kHeaderTopPadding,
                                              -kRowInsetHorizontal, -kRowInsetVertical);
    painter.setFont(headerFont_);
    painter.setPen(Color::quilloTextSecondary());
    const QString shown = QFontMetricsF(headerFont_).elidedText(title, Qt::ElideRight, text.width());
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

QRectF TodoRowDelegate::doneMarkRect(const QRect& rowRect) const {
    const QRectF content = QRectF(rowRect).adjusted(
        kRowInsetHorizontal + kItemPaddingHorizontal, kRowInsetVertical + kItemPaddingVertical,
        -kRowInsetHorizontal - kItemPaddingHorizontal, -kRowInsetVertical - kItemPaddingVertical);
    return {content.right() - kDoneMarkSize, content.center().y() - kDoneMarkSize / 2, kDoneMarkSize, kDoneMarkSize};
}

void TodoRowDelegate::paintItem(QPainter& painter, const QStyleOptionViewItem& option, const TodoItem& item,
                                bool selected, bool doneInReminders) const {
    const QRectF card =
        QRectF(option.rect).adjusted(kRowInsetHorizontal, kRowInsetVertical, -kRowInsetHorizontal, -kRowInsetVertical);
    if (selected) {
        QuilloPainting::fillRoundedRect(painter, card, kCornerRadius, Color::quilloSelection());
    } else if (option.state & QStyle::State_MouseOver) {
        QuilloPainting::fillRoundedRect(painter, card, kCornerRadius, Color::quilloHover());
    }

    const QRectF content =
        card.adjusted(kItemPaddingHorizontal, kItemPaddingVertical, -kItemPaddingHorizontal, -kItemPaddingVertical);
    const QColor badge = TodoRowStyle::badgeColor(item);
    const QRectF badgeRect(content.left(), content.center().y() - kBadgeSide / 2, kBadgeSide, kBadgeSide);
    QuilloPainting::fillRoundedRect(painter, badgeRect, kCornerRadius, Color::withOpacity(badge, kBadgeFillOpacity));
    const QRectF symbolRect(badgeRect.center().x() - kBadgeSymbolSize / 2,
                            badgeRect.center().y() - kBadgeSymbolSize / 2, kBadgeSymbolSize, kBadgeSymbolSize);
    QuilloSymbol::paint(painter, symbolRect, TodoRowStyle::badgeSymbol(item), badge, QFont::Medium);

    double textRight = content.right() - kMinimumSpacer;
    if (doneInReminders) {
        const QRectF mark = doneMarkRect(option.rect);
        QuilloSymbol::paint(painter, mark, QString::fromLatin1(TodoRowStyle::kDoneInRemindersSymbol),
                            Color::quilloTextTertiary(), QFont::Medium);
        textRight = mark.left() - kMinimumSpacer;
    }

    const QFontMetricsF titleMetrics(titleFont_);
    const QFontMetricsF detailMetrics(detailFont_);
    const double left = badgeRect.right() + kItemSpacing;
    const double width = std::max(0.0, textRight - left);
    const double top = content.center().y() - (titleMetrics.height() + kLineSpacing + detailMetrics.height()) / 2;

    QFont title = titleFont_;
    title.setStrikeOut(TodoRowStyle::isTitleStruckThrough(item));
    painter.setFont(title);
    painter.setPen(TodoRowStyle::titleColor(item));
    painter.drawText(QRectF(left, top, width, titleMetrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     titleMetrics.elidedText(platform::toQString(std::string_view(item.text)), Qt::ElideRight, width));

    painter.setFont(detailFont_);
    painter.setPen(Color::quilloTextSecondary());
    painter.drawText(
        QRectF(left, top + titleMetrics.height() + kLineSpacing, width, detailMetrics.height()),
        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        detailMetrics.elidedText(platform::toQString(std::string_view(rowDetailLine(item))), Qt::ElideRight, width));
}

}  // namespace quillo
