#include "QuilloDesignKit/QuilloSidebarResize.h"

#include <algorithm>

namespace quillo {

double QuilloSidebarResize::clampedWidth(double proposed, double minimum, double maximum) {
    const double width = std::max(proposed, minimum);
    return width < maximum ? width : maximum;
}

double QuilloSidebarResize::change(double translation, double currentWidth, double minimum, double maximum) {
    if (!dragStartWidth_) dragStartWidth_ = currentWidth;
    return clampedWidth(*dragStartWidth_ + translation, minimum, maximum);
}

}  // namespace quillo
