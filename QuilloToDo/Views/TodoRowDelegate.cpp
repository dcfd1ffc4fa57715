#include "QuilloToDo/Views/TodoRowDelegate.h"

#include "QuilloToDo/Views/TodoListModel.h"
#include "QuilloToDo/Views/TodoRowStyle.h"

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
constexpr double rowInsetVertical = 1;
constexpr double rowInsetHorizontal = 10;
// A header has 8 pt of room above its title.
constexpr double headerTopPadding = 8;
// An item row: 12 pt of padding left and right, 10 pt above and below, 10 pt between its parts.
constexpr double itemPaddingHorizontal = 12;
constexpr double itemPaddingVertical = 10;
constexpr double itemSpacing = 10;
constexpr double cornerRadius = 8;
constexpr double badgeSide = 28;
constexpr double badgeSymbolSize = 14;
constexpr double badgeFillOpacity = 0.2;
constexpr double lineSpacing = 2;
constexpr double minimumSpacer = 8;
constexpr double doneMarkSize = 12;

int ceilToInt(double value) {
    return static_cast<int>(std::ceil(value));
}

}  // namespace

TodoRowDelegate::TodoRowDelegate(QObject* parent)
    : QStyledItemDelegate(parent),
      headerFont_(systemFont(13, QFont::Medium)),
      titleFont_(quilloFont(15, QuilloFontWeight::regular)),
      detailFont_(quilloFont(12, QuilloFontWeight::regular)) {
    const double header = QFontMetricsF(headerFont_).height();
    const double lines = QFontMetricsF(titleFont_).height() + lineSpacing + QFontMetricsF(detailFont_).height();
    headerHeight_ = ceilToInt(headerTopPadding + header + 2 * rowInsetVertical);
    itemHeight_ = ceilToInt(std::max(badgeSide, lines) + 2 * itemPaddingVertical + 2 * rowInsetVertical);
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
    painter->restore();
}

void TodoRowDelegate::paintHeader(QPainter& painter, const QRect& rect, const QString& title) const {
    const QRectF text = QRectF(rect).adjusted(rowInsetHorizontal, rowInsetVertical + headerTopPadding,
                                              -rowInsetHorizontal, -rowInsetVertical);
    painter.setFont(headerFont_);
    painter.setPen(Color::quilloTextSecondary());
    const QString shown = QFontMetricsF(headerFont_).elidedText(title, Qt::ElideRight, text.width());
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

QRectF TodoRowDelegate::doneMarkRect(const QRect& rowRect) const {
    const QRectF content = QRectF(rowRect).adjusted(rowInsetHorizontal + itemPaddingHorizontal,
                                                    rowInsetVertical + itemPaddingVertical,
                                                    -rowInsetHorizontal - itemPaddingHorizontal,
                                                    -rowInsetVertical - itemPaddingVertical);
    return {content.right() - doneMarkSize, content.center().y() - doneMarkSize / 2, doneMarkSize, doneMarkSize};
}

void TodoRowDelegate::paintItem(QPainter& painter, const QStyleOptionViewItem& option, const TodoItem& item,
                                bool selected, bool doneInReminders) const {
    const QRectF card = QRectF(option.rect).adjusted(rowInsetHorizontal, rowInsetVertical, -rowInsetHorizontal,
                                                     -rowInsetVertical);
    if (selected) {
        QuilloPainting::fillRoundedRect(painter, card, cornerRadius, Color::quilloSelection());
    } else if (option.state & QStyle::State_MouseOver) {
        QuilloPainting::fillRoundedRect(painter, card, cornerRadius, Color::quilloHover());
    }

    const QRectF content = card.adjusted(itemPaddingHorizontal, itemPaddingVertical, -itemPaddingHorizontal,
                                         -itemPaddingVertical);
    const QColor badge = TodoRowStyle::badgeColor(item);
    const QRectF badgeRect(content.left(), content.center().y() - badgeSide / 2, badgeSide, badgeSide);
    QuilloPainting::fillRoundedRect(painter, badgeRect, cornerRadius, Color::withOpacity(badge, badgeFillOpacity));
    const QRectF symbolRect(badgeRect.center().x() - badgeSymbolSize / 2, badgeRect.center().y() - badgeSymbolSize / 2,
                            badgeSymbolSize, badgeSymbolSize);
    QuilloSymbol::paint(painter, symbolRect, TodoRowStyle::badgeSymbol(item), badge, QFont::Medium);

    double textRight = content.right() - minimumSpacer;
    if (doneInReminders) {
        const QRectF mark = doneMarkRect(option.rect);
        QuilloSymbol::paint(painter, mark, QString::fromLatin1(TodoRowStyle::doneInRemindersSymbol),
                            Color::quilloTextTertiary(), QFont::Medium);
        textRight = mark.left() - minimumSpacer;
    }

    const QFontMetricsF titleMetrics(titleFont_);
    const QFontMetricsF detailMetrics(detailFont_);
    const double left = badgeRect.right() + itemSpacing;
    const double width = std::max(0.0, textRight - left);
    const double top = content.center().y() - (titleMetrics.height() + lineSpacing + detailMetrics.height()) / 2;

    QFont title = titleFont_;
    title.setStrikeOut(TodoRowStyle::isTitleStruckThrough(item));
    painter.setFont(title);
    painter.setPen(TodoRowStyle::titleColor(item));
    painter.drawText(QRectF(left, top, width, titleMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     titleMetrics.elidedText(platform::toQString(std::string_view(item.text)), Qt::ElideRight, width));

    painter.setFont(detailFont_);
    painter.setPen(Color::quilloTextSecondary());
    painter.drawText(QRectF(left, top + titleMetrics.height() + lineSpacing, width, detailMetrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     detailMetrics.elidedText(platform::toQString(std::string_view(rowDetailLine(item))), Qt::ElideRight, width));
}

}  // namespace quillo
