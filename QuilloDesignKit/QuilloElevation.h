#pragma once

#include "QuilloDesignKit/QuilloDesign.h"

class QWidget;

namespace quillo {

// Gives `widget` the shadow of `level` (a drop-shadow effect owned by the widget; it replaces any
// graphics effect the widget had).
void quilloElevation(QWidget* widget, QuilloDesign::Elevation level);

}  // namespace quillo
