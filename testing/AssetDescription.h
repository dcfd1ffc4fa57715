#pragma once

#include "testing/Time.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quillo::testing {

// One "FFAsset" of an event: the media a clip's asset reference names by "mediaIdentifier".
struct AssetDescription {
    std::string name{};                                     // "displayName"
    std::optional<std::string> mediaIdentifier{};           // generated when absent
    Time start = 0.0;                                       // "mediaRange" start
    Time duration = 3600.0;                                 // "mediaRange" duration
    std::optional<std::string> frameDuration = "100/2400";  // "timecodeFrameDuration"; absent: left out
    bool dropFrame = false;                                 // "timecodeDisplayDropFrame" as 1 or 0
    std::string videoFormat = "1080p24";                    // "videoFormatName"
    bool hasVideo = true;
    bool hasAudio = true;
    double audioSampleRate = 48000.0;
};

struct AssetRef {
    std::int64_t pk;
    std::string name;
    std::string mediaIdentifier;
};

}  // namespace quillo::testing
