#pragma once

#include "QuilloDesignKit/QuilloTooltipPositioning.h"

#include <QWidget>

class QVariantAnimation;
class QVBoxLayout;

namespace quillo {

// A column exactly `width` wide at one side of the window that stacks panels 8 points apart, with
// 8 points above, below and on its window side (`leading` or `trailing`). Revealing and hiding it
// inside an animation moves it in from, or out to, its window side.
class QuilloFloatingPanelColumn : public QWidget {
    Q_OBJECT
public:
    QuilloFloatingPanelColumn(double width, QuilloEdge edge, QWidget* parent = nullptr);

    // Appends `panel` (which becomes the column's child); `stretch` shares spare height.
    void addPanel(QWidget* panel, int stretch = 1);
    QuilloEdge edge() const { return edge_; }

    // Animates only in a window on screen; otherwise the column is shown or hidden at once.
    void setRevealed(bool revealed, bool animated);
    bool isRevealed() const { return revealed_; }

    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeSheet();

    QuilloEdge edge_;
    int fullWidth_;
    // The panels at their full width: a narrower column clips them on its window side.
    QWidget* sheet_;
    QVBoxLayout* stack_;
    QVariantAnimation* reveal_;
    bool revealed_ = true;
};

}  // namespace quillo
