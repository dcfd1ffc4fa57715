#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

namespace quillo {

// A system symbol shown at a point size in one colour, centred in the widget; it can be turned
// about its centre (the sidebar's chevron turns a quarter while expanded).
class QuilloSymbolView : public QWidget {
    Q_OBJECT
public:
    QuilloSymbolView(QString symbol, double pointSize, QColor color, QFont::Weight weight = QFont::Normal,
                     QWidget* parent = nullptr);

    QString symbol() const { return symbol_; }
    void setSymbol(const QString& symbol);
    QColor color() const { return color_; }
    void setColor(const QColor& color);
    double rotation() const { return rotation_; }
    void setRotation(double degrees);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString symbol_;
    double pointSize_;
    QColor color_;
    QFont::Weight weight_;
    double rotation_ = 0;
};

}  // namespace quillo
