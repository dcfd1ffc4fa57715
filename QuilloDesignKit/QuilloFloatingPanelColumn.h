#pragma once

#include "QuilloDesignKit/QuilloTooltipPositioning.h"

#include <QWidget>

class QVBoxLayout;

namespace quillo {

// A column exactly `width` wide at one side of the window that stacks panels 8 points apart, with
// 8 points above, below and on its window side (`leading` or `trailing`).
class QuilloFloatingPanelColumn : public QWidget {
    Q_OBJECT
public:
    QuilloFloatingPanelColumn(double width, QuilloEdge edge, QWidget* parent = nullptr);

    // Appends `panel` (which becomes the column's child); `stretch` shares spare height.
    void addPanel(QWidget* panel, int stretch = 1);
    QuilloEdge edge() const { return edge_; }

private:
    QuilloEdge edge_;
    QVBoxLayout* stack_;
};

}  // namespace quillo
