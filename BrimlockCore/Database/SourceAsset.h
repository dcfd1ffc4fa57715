#pragma once

#include "BrimlockCore/Timecode/FrameRate.h"

#include <cstdint>
#include <optional>
#include <string>

namespace brimlock {

// One media asset of a library ("FFAsset"), as the asset store keeps it. Frame counts are at the
// asset's own rate, or at 24 fps when the rate is unknown.
struct SourceAsset {
    std::string fileName{};              // "displayName"; "Unknown" when absent or not text
    std::string mediaIdentifier{};       // "mediaIdentifier": the key clips name the asset by
    std::int64_t sourceStartFrames = 0;  // start of "mediaRange"; 0 without a usable range
    std::int64_t durationFrames = 0;     // length of "mediaRange"; 0 without a usable range
    // From "timecodeFrameDuration"; never a drop-frame case (a frame duration cannot tell).
    std::optional<FrameRate> frameRate{};
    bool isDropFrame = false;  // "timecodeDisplayDropFrame" read as an integer is not 0
    std::optional<std::string> videoFormatName{};
    bool hasVideo = false;
    bool hasAudio = false;
    std::optional<double> audioSampleRate{};  // Hz

    friend bool operator==(const SourceAsset&, const SourceAsset&) = default;
};

}  // namespace brimlock
