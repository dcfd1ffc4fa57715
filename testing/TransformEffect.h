#pragma once

#include <string>

namespace quillo::testing {

// The settings of a transform effect, written as the OZ XML its "channelData" holds: a "Transform"
// parameter with "Position" (X, Y, Z), "Rotation" (X, Y, Z; only Z is set here), "Scale"
// ("Scale X", "Scale Y", ratios) and "Anchor" (X, Y). Each curve carries its default and its value.
struct TransformEffect {
    double positionX = 0;
    double positionY = 0;
    double positionZ = 0;
    double scaleX = 1.0;
    double scaleY = 1.0;
    double rotation = 0;
    double anchorX = 0;
    double anchorY = 0;

    std::string channelData() const;
};

}  // namespace quillo::testing
