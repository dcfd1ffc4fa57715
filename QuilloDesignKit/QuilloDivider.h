#pragma once

#include <QWidget>

namespace quillo {

// A 1-point line in the divider colour, as wide as offered less 12 points on either side.
class QuilloDivider : public QWidget {
    Q_OBJECT
public:
    explicit QuilloDivider(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {24, 1}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quillo
