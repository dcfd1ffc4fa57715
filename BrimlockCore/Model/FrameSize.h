#pragma once

namespace brimlock {

// A video frame size in pixels.
struct FrameSize {
    double width = 0;
    double height = 0;
};

}  // namespace brimlock
