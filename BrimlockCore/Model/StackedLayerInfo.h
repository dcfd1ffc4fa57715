#pragma once

#include "Platform/Foundation/Coding.h"

#include <cstdint>
#include <optional>
#include <string>

namespace brimlock {

// One video layer stacked above an edit. Times in seconds.
class StackedLayerInfo {
public:
    StackedLayerInfo(std::int64_t videoLaneNumber, std::optional<std::string> reelName,
                     std::optional<std::string> sceneShot, std::optional<std::string> sourceFileName,
                     std::optional<std::string> sourceTimecode, std::optional<std::int64_t> sourceFrameNumber,
                     std::optional<double> layerTimelineStart, std::optional<double> correctedSourceStart,
                     std::optional<std::int64_t> sourceFpsNum, std::optional<std::int64_t> sourceFpsDen,
                     std::optional<std::string> sourceRateString);

    std::int64_t videoLaneNumber() const noexcept { return videoLaneNumber_; }
    const std::optional<std::string>& reelName() const noexcept { return reelName_; }
    const std::optional<std::string>& sceneShot() const noexcept { return sceneShot_; }
    const std::optional<std::string>& sourceFileName() const noexcept { return sourceFileName_; }
    const std::optional<std::string>& sourceTimecode() const noexcept { return sourceTimecode_; }
    std::optional<std::int64_t> sourceFrameNumber() const noexcept { return sourceFrameNumber_; }
    std::optional<double> layerTimelineStart() const noexcept { return layerTimelineStart_; }
    // Start inside the source as computed for connected items.
    std::optional<double> correctedSourceStart() const noexcept { return correctedSourceStart_; }
    std::optional<std::int64_t> sourceFpsNum() const noexcept { return sourceFpsNum_; }
    std::optional<std::int64_t> sourceFpsDen() const noexcept { return sourceFpsDen_; }
    // As timecodeRateString(FrameRate).
    const std::optional<std::string>& sourceRateString() const noexcept { return sourceRateString_; }

private:
    std::int64_t videoLaneNumber_;
    std::optional<std::string> reelName_;
    std::optional<std::string> sceneShot_;
    std::optional<std::string> sourceFileName_;
    std::optional<std::string> sourceTimecode_;
    std::optional<std::int64_t> sourceFrameNumber_;
    std::optional<double> layerTimelineStart_;
    std::optional<double> correctedSourceStart_;
    std::optional<std::int64_t> sourceFpsNum_;
    std::optional<std::int64_t> sourceFpsDen_;
    std::optional<std::string> sourceRateString_;
};

// Keys are the field names in field order; only "videoLaneNumber" is required.
platform::JSON encode(const StackedLayerInfo& layer, const platform::CodingPath& path = {});
StackedLayerInfo decodeStackedLayerInfo(const platform::JSON& value, const platform::CodingPath& path = {});

}  // namespace brimlock
