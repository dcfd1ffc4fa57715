#pragma once

#include "QuilloDesignKit/QuilloButtonStyle.h"

#include <QAbstractButton>

namespace quillo {

// A text button, optionally led by a symbol, drawn in QuilloButtonStyle.
class QuilloButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(bool isActive READ isActive WRITE setActive NOTIFY activeChanged)
public:
    explicit QuilloButton(const QString& text, const QString& symbol = QString(), QWidget* parent = nullptr);

    bool isActive() const { return style_.isActive; }
    void setActive(bool active);

    QSize sizeHint() const override;
    // Room for the symbol and an ellipsis: where less than the text fits, the text is truncated.
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void activeChanged(bool active);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QuilloButtonStyle style_;
    QString symbol_;
};

// A round symbol button drawn in QuilloIconButtonStyle; its tooltip text is its accessible name.
class QuilloIconButton : public QAbstractButton {
    Q_OBJECT
public:
    QuilloIconButton(const QString& symbol, double size = kQuilloIconButtonSize, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QuilloIconButtonStyle style_;
    QString symbol_;
};

}  // namespace quillo
