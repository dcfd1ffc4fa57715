#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>

namespace quillo {

// A borderless button that shows only a system symbol in one colour (the sidebar's remove button
// and check boxes). Its tooltip text is its accessible name.
class SymbolButton : public QAbstractButton {
    Q_OBJECT
public:
    SymbolButton(const QString& symbol, double pointSize, const QColor& color, QFont::Weight weight = QFont::Normal,
                 QWidget* parent = nullptr);

    QString symbol() const { return symbol_; }
    void setSymbol(const QString& symbol);
    void setColor(const QColor& color);
    // Sets the tooltip and the accessible name together.
    void setHelp(const QString& text);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString symbol_;
    double pointSize_;
    QColor color_;
    QFont::Weight weight_;
};

}  // namespace quillo
