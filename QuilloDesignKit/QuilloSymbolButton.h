#pragma once

#include "QuilloDesignKit/QuilloTooltipPositioning.h"

#include <QAbstractButton>
#include <QColor>
#include <QFont>

#include <optional>

namespace quillo {

class QuilloTooltip;

// A plain (bezel-less) button showing one symbol at a point size, weight and colour, with the
// kit's tooltip; the tooltip text is its accessible name.
class QuilloSymbolButton : public QAbstractButton {
    Q_OBJECT
public:
    QuilloSymbolButton(const QString& symbol, double pointSize, QFont::Weight weight, const QColor& color,
                       const QString& tooltip, QuilloEdge tooltipEdge = QuilloEdge::bottom, QWidget* parent = nullptr);

    QString symbol() const { return symbol_; }
    void setSymbol(const QString& symbol);
    QColor color() const { return color_; }
    void setColor(const QColor& color);

    // The button's tooltip, whose text the owner may change.
    QuilloTooltip* tooltip() const { return tooltip_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    // A checkable symbol button shows its owner's state: a click does not flip it.
    void nextCheckState() override {}

private:
    QString symbol_;
    double pointSize_;
    QFont::Weight weight_;
    QColor color_;
    QuilloTooltip* tooltip_;
};

}  // namespace quillo
