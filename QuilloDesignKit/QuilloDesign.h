#pragma once

// Metric constants of the design kit, in points (device-independent pixels one to one).
namespace quillo::QuilloDesign {

namespace Spacing {
inline constexpr double tight = 4;
inline constexpr double standard = 8;
inline constexpr double comfortable = 12;
inline constexpr double generous = 16;
}  // namespace Spacing

namespace CornerRadius {
inline constexpr double button = 8;
inline constexpr double thumbnail = 8;
inline constexpr double card = 10;
inline constexpr double panel = 14;
}  // namespace CornerRadius

namespace IconSize {
inline constexpr double small = 12;
inline constexpr double standard = 14;
inline constexpr double medium = 16;
inline constexpr double large = 20;
}  // namespace IconSize

namespace DotSize {
inline constexpr double standard = 8;
inline constexpr double dense = 6;
}  // namespace DotSize

namespace Layout {
inline constexpr double leftSidebar = 360;
inline constexpr double rightSidebar = 330;
}  // namespace Layout

// Shadow levels of quilloElevation.
enum class Elevation { card, panel, floating };

// One black shadow with no horizontal offset.
struct Shadow {
    double opacity;
    double radius;
    double yOffset;
};

constexpr Shadow shadow(Elevation level) {
    switch (level) {
    case Elevation::card: return {0.2, 4, 1};
    case Elevation::panel: return {0.3, 10, 3};
    case Elevation::floating: return {0.4, 20, 8};
    }
    return {0, 0, 0};
}

}  // namespace quillo::QuilloDesign
