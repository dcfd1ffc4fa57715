#pragma once

#include <QColor>
#include <QWidget>

class QAbstractButton;

namespace quillo {

// The window's own close, minimise and zoom buttons: three 12-point circles 8 apart, grey until
// the pointer is over the row, then each in its colour with its symbol. They act on the window the
// row sits in at the moment of the click; a row not placed in a window does nothing.
class QuilloTrafficLights : public QWidget {
    Q_OBJECT
public:
    explicit QuilloTrafficLights(QWidget* parent = nullptr);

    bool isHovering() const { return isHovering_; }
    void setHovering(bool hovering);
    QAbstractButton* closeButton() const { return close_; }
    QAbstractButton* minimizeButton() const { return minimize_; }
    QAbstractButton* zoomButton() const { return zoom_; }

    static const QColor& red();
    static const QColor& yellow();
    static const QColor& green();
    static const QColor& idle();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QWidget* targetWindow() const;

    bool isHovering_ = false;
    QAbstractButton* close_;
    QAbstractButton* minimize_;
    QAbstractButton* zoom_;
};

}  // namespace quillo
