#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// Reads the settings of a retiming effect from its OZ XML channel data.
namespace brimlock::RetimeParser {

// How frames are made at non-integer source positions. Raw values are the stored integers.
enum class FrameSamplingMethod : int { floor = 0, nearest = 1, frameBlending = 2, opticalFlow = 6 };

constexpr int rawValue(FrameSamplingMethod method) noexcept { return static_cast<int>(method); }
// Nothing for any integer other than 0, 1, 2 and 6.
std::optional<FrameSamplingMethod> frameSamplingMethodFromRawValue(std::int64_t rawValue) noexcept;

// One point of the retime curve. Times are in seconds.
struct TimeMapKeypoint {
    double timelineSeconds = 0;        // position on the clip's timeline
    double sourceSeconds = 0;          // source time at that position
    double inputTangentValue = -1.0;   // -1.0 when the document gives none
    double outputTangentValue = -1.0;  // -1.0 when the document gives none
};

// Every value is finite when it comes from parse(). Comparisons below are exact unless stated.
struct RetimeValues {
    double speed = 100.0;  // percent; 100 is normal speed
    bool isReversed = false;
    std::vector<TimeMapKeypoint> timeMapKeypoints;  // document order
    FrameSamplingMethod frameSampling = FrameSamplingMethod::floor;

    // Speed not exactly 100, reversed, or a speed ramp.
    bool isRetimed() const noexcept;
    // More than two keypoints.
    bool isSpeedRamp() const noexcept;
    // At least two keypoints whose first and last source times differ by less than 0.001 s.
    bool isFreezeFrame() const noexcept;
    // Percent, only with exactly two keypoints: source distance over timeline distance times 100, and 0
    // (not nothing) when the second keypoint is not later on the timeline than the first.
    std::optional<double> effectiveSpeed() const noexcept;
};

// Nothing when the data declares XML entities or is not UTF-8. A malformed document is not a failure:
// the values read before the error are returned, the rest keep their defaults.
std::optional<RetimeValues> parse(std::span<const std::uint8_t> channelData);

}  // namespace brimlock::RetimeParser
