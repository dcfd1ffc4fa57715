#pragma once

#include <QWidget>

class QVariantAnimation;

namespace quillo {

// A small spinning arc: the progress indicator of work of unknown length (a refresh). It turns only
// while shown.
class BusyIndicator : public QWidget {
    Q_OBJECT

public:
    explicit BusyIndicator(double size, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    double size_;
    double angle_ = 0;
    QVariantAnimation* turn_;
};

}  // namespace quillo
