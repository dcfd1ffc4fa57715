#pragma once

#include <QColor>
#include <QFont>
#include <QIconEngine>
#include <QString>

namespace quillo {

// Draws a symbol afresh at each requested size, so icons stay sharp at any pixel ratio.
class QuilloSymbolIconEngine : public QIconEngine {
public:
    QuilloSymbolIconEngine(QString name, QColor color, QFont::Weight weight);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override;
    QIconEngine* clone() const override;
    QString key() const override;

private:
    QString name_;
    QColor color_;
    QFont::Weight weight_;
};

}  // namespace quillo
