#pragma once

#include <QColor>
#include <QMarginsF>
#include <QRectF>

class QPainter;

namespace quillo {

// How a chip is drawn: `colored` carries its own colour; the others draw with the chip's tint.
class QuilloChipStyle {
public:
    enum class Kind { colored, standard, plain, tabBare };

    static QuilloChipStyle colored(const QColor& color) { return {Kind::colored, color}; }
    static QuilloChipStyle standard() { return {Kind::standard, {}}; }
    static QuilloChipStyle plain() { return {Kind::plain, {}}; }
    static QuilloChipStyle tabBare() { return {Kind::tabBare, {}}; }

    Kind kind() const { return kind_; }
    // The colour a `colored` style carries; invalid for the others.
    QColor color() const { return color_; }

    friend bool operator==(const QuilloChipStyle&, const QuilloChipStyle&) = default;

private:
    QuilloChipStyle(Kind kind, QColor color) : kind_(kind), color_(color) {}
    Kind kind_;
    QColor color_;
};

enum class QuilloChipSize { compact, comfortable };

// A chip's background and outline, usable behind any content: a rounded rectangle (radius 8)
// filled and outlined (1 point, inside) by style and selection, around the content's padding.
struct QuilloChipChrome {
    bool isSelected = false;
    QColor tint{};
    QuilloChipStyle style = QuilloChipStyle::standard();
    QuilloChipSize size = QuilloChipSize::comfortable;

    static constexpr double kCornerRadius = 8;

    QColor fillColor() const;
    QColor strokeColor() const;
    // 10 x 6 comfortable, 8 x 4 compact.
    QMarginsF padding() const;
    void paint(QPainter& painter, const QRectF& rect) const;
};

// The colour of a chip's symbol and label.
QColor chipForeground(bool isSelected, const QColor& tint, const QuilloChipStyle& style, bool isDisabled);

}  // namespace quillo
