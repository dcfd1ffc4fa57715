#pragma once

// Metric constants of the design kit, in points (device-independent pixels one to one).
namespace quillo::QuilloDesign {

namespace Spacing {
inline constexpr double kTight = 4;
inline constexpr double kStandard = 8;
inline constexpr double kComfortable = 12;
inline constexpr double kGenerous = 16;
}  // namespace Spacing

namespace CornerRadius {
inline constexpr double kButton = 8;
inline constexpr double kThumbnail = 8;
inline constexpr double kCard = 10;
inline constexpr double kPanel = 14;
}  // namespace CornerRadius

namespace IconSize {
inline constexpr double kSmall = 12;
inline constexpr double kStandard = 14;
inline constexpr double kMedium = 16;
inline constexpr double kLarge = 20;
}  // namespace IconSize

namespace DotSize {
inline constexpr double kStandard = 8;
inline constexpr double kDense = 6;
}  // namespace DotSize

namespace Layout {
inline constexpr double kLeftSidebar = 360;
inline constexpr double kRightSidebar = 330;
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
