#pragma once

#include <optional>

namespace quillo {

// The width arithmetic of a sidebar resized by dragging, in points.
class QuilloSidebarResize {
public:
    // The larger of `proposed` and `minimum`, unless that reaches `maximum`: then `maximum`
    // (so the maximum wins when the minimum exceeds it).
    static double clampedWidth(double proposed, double minimum, double maximum);

    // One change of a drag that has moved `translation` points sideways since it began. The first
    // change of a drag remembers `currentWidth` as its start. Returns the new width.
    double change(double translation, double currentWidth, double minimum, double maximum);
    // The drag is over; the next one starts from whatever width the sidebar then has.
    void end() { dragStartWidth_.reset(); }

    std::optional<double> dragStartWidth() const { return dragStartWidth_; }

private:
    std::optional<double> dragStartWidth_;
};

}  // namespace quillo
