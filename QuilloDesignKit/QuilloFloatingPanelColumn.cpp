#include "QuilloDesignKit/QuilloFloatingPanelColumn.h"

#include <QVBoxLayout>

#include <cmath>

namespace quillo {

QuilloFloatingPanelColumn::QuilloFloatingPanelColumn(double width, QuilloEdge edge, QWidget* parent)
    : QWidget(parent), edge_(edge), stack_(new QVBoxLayout(this)) {
    setFixedWidth(int(std::lround(width)));
    const int leading = edge == QuilloEdge::leading ? 8 : 0;
    const int trailing = edge == QuilloEdge::trailing ? 8 : 0;
    stack_->setContentsMargins(leading, 8, trailing, 8);
    stack_->setSpacing(8);
}

void QuilloFloatingPanelColumn::addPanel(QWidget* panel, int stretch) { stack_->addWidget(panel, stretch); }

}  // namespace quillo
