#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>

namespace quillo {

class QuilloTooltip;

// A borderless button that shows only a system symbol in one colour (the sidebar's remove button
// and check boxes).
class SymbolButton : public QAbstractButton {
    Q_OBJECT
public:
    SymbolButton(const QString& symbol, double pointSize, const QColor& color, QFont::Weight weight = QFont::Normal,
                 QWidget* parent = nullptr);

    QString symbol() const { return symbol_; }
    void setSymbol(const QString& symbol);
    void setColor(const QColor& color);
    // The hover tooltip below the button; its text is also the accessible name.
    QString help() const;
    void setHelp(const QString& text);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString symbol_;
    double pointSize_;
    QColor color_;
    QFont::Weight weight_;
    QuilloTooltip* tooltip_ = nullptr;
};

}  // namespace quillo
