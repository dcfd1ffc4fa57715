#pragma once

#include "Platform/Foundation/Coding.h"

#include <cstdint>
#include <optional>
#include <string>

namespace brimlock {

// One video layer stacked above an edit. Times in seconds.
struct StackedLayerInfo {
    std::int64_t videoLaneNumber = 0;
    std::optional<std::string> reelName;
    std::optional<std::string> sceneShot;
    std::optional<std::string> sourceFileName;
    std::optional<std::string> sourceTimecode;
    std::optional<std::int64_t> sourceFrameNumber;
    std::optional<double> layerTimelineStart;
    // Start inside the source as computed for connected items.
    std::optional<double> correctedSourceStart;
    std::optional<std::int64_t> sourceFpsNum;
    std::optional<std::int64_t> sourceFpsDen;
    // As timecodeRateString(FrameRate).
    std::optional<std::string> sourceRateString;
};

// Keys are the field names in field order; only "videoLaneNumber" is required.
platform::JSON encode(const StackedLayerInfo& layer, const platform::CodingPath& path = {});
StackedLayerInfo decodeStackedLayerInfo(const platform::JSON& value, const platform::CodingPath& path = {});

}  // namespace brimlock
