#pragma once

#include "testing/Time.h"

#include <optional>
#include <string>
#include <vector>

namespace quillo::testing {

// The settings of a retiming effect, written as the OZ XML its "channelData" holds: parameters
// "Speed" (percent), "Reverse" (0 or 1), "Frame Sampling" (0 floor, 1 nearest, 2 frame blending,
// 6 optical flow) and a "Time Map" curve whose keypoints carry their time as "value timescale 1 0".
struct RetimeEffect {
    struct Keypoint {
        Time timelineTime;
        double sourceSeconds;
        std::optional<double> inputTangent{};
        std::optional<double> outputTangent{};
    };

    double speedPercent = 100.0;
    bool reversed = false;
    int frameSampling = 0;
    std::vector<Keypoint> timeMap{};

    std::string channelData() const;
};

}  // namespace quillo::testing
