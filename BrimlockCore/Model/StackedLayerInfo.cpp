#include "BrimlockCore/Model/StackedLayerInfo.h"

#include "BrimlockCore/Model/KeyedCoding.h"

#include <utility>

namespace brimlock {

StackedLayerInfo::StackedLayerInfo(std::int64_t videoLaneNumber, std::optional<std::string> reelName,
                                   std::optional<std::string> sceneShot, std::optional<std::string> sourceFileName,
                                   std::optional<std::string> sourceTimecode, std::optional<std::int64_t> sourceFrameNumber,
                                   std::optional<double> layerTimelineStart, std::optional<double> correctedSourceStart,
                                   std::optional<std::int64_t> sourceFpsNum, std::optional<std::int64_t> sourceFpsDen,
                                   std::optional<std::string> sourceRateString)
    : videoLaneNumber_(videoLaneNumber),
      reelName_(std::move(reelName)),
      sceneShot_(std::move(sceneShot)),
      sourceFileName_(std::move(sourceFileName)),
      sourceTimecode_(std::move(sourceTimecode)),
      sourceFrameNumber_(sourceFrameNumber),
      layerTimelineStart_(layerTimelineStart),
      correctedSourceStart_(correctedSourceStart),
      sourceFpsNum_(sourceFpsNum),
      sourceFpsDen_(sourceFpsDen),
      sourceRateString_(std::move(sourceRateString)) {}

platform::JSON encode(const StackedLayerInfo& layer, const platform::CodingPath& path) {
    platform::JSON json = platform::JSON::object();
    json["videoLaneNumber"] = layer.videoLaneNumber();
    coding::putIfPresent(json, "reelName", layer.reelName());
    coding::putIfPresent(json, "sceneShot", layer.sceneShot());
    coding::putIfPresent(json, "sourceFileName", layer.sourceFileName());
    coding::putIfPresent(json, "sourceTimecode", layer.sourceTimecode());
    coding::putIfPresent(json, "sourceFrameNumber", layer.sourceFrameNumber());
    coding::putIfPresent(json, "layerTimelineStart", layer.layerTimelineStart(), path);
    coding::putIfPresent(json, "correctedSourceStart", layer.correctedSourceStart(), path);
    coding::putIfPresent(json, "sourceFpsNum", layer.sourceFpsNum());
    coding::putIfPresent(json, "sourceFpsDen", layer.sourceFpsDen());
    coding::putIfPresent(json, "sourceRateString", layer.sourceRateString());
    return json;
}

StackedLayerInfo decodeStackedLayerInfo(const platform::JSON& value, const platform::CodingPath& path) {
    const platform::KeyedDecoder decoder(value, path);
    // Named locals keep the reads in key order (argument evaluation order is unspecified).
    const std::int64_t videoLaneNumber = decoder.decodeInt64("videoLaneNumber");
    auto reelName = decoder.decodeStringIfPresent("reelName");
    auto sceneShot = decoder.decodeStringIfPresent("sceneShot");
    auto sourceFileName = decoder.decodeStringIfPresent("sourceFileName");
    auto sourceTimecode = decoder.decodeStringIfPresent("sourceTimecode");
    const auto sourceFrameNumber = decoder.decodeInt64IfPresent("sourceFrameNumber");
    const auto layerTimelineStart = decoder.decodeDoubleIfPresent("layerTimelineStart");
    const auto correctedSourceStart = decoder.decodeDoubleIfPresent("correctedSourceStart");
    const auto sourceFpsNum = decoder.decodeInt64IfPresent("sourceFpsNum");
    const auto sourceFpsDen = decoder.decodeInt64IfPresent("sourceFpsDen");
    auto sourceRateString = decoder.decodeStringIfPresent("sourceRateString");
    return StackedLayerInfo(videoLaneNumber, std::move(reelName), std::move(sceneShot), std::move(sourceFileName),
                            std::move(sourceTimecode), sourceFrameNumber, layerTimelineStart, correctedSourceStart,
                            sourceFpsNum, sourceFpsDen, std::move(sourceRateString));
}

}  // namespace brimlock
