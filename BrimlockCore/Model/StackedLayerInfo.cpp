#include "BrimlockCore/Model/StackedLayerInfo.h"

#include "BrimlockCore/Model/KeyedCoding.h"

namespace brimlock {

platform::JSON encode(const StackedLayerInfo& layer, const platform::CodingPath& path) {
    platform::JSON json = platform::JSON::object();
    json["videoLaneNumber"] = layer.videoLaneNumber;
    coding::putIfPresent(json, "reelName", layer.reelName);
    coding::putIfPresent(json, "sceneShot", layer.sceneShot);
    coding::putIfPresent(json, "sourceFileName", layer.sourceFileName);
    coding::putIfPresent(json, "sourceTimecode", layer.sourceTimecode);
    coding::putIfPresent(json, "sourceFrameNumber", layer.sourceFrameNumber);
    coding::putIfPresent(json, "layerTimelineStart", layer.layerTimelineStart, path);
    coding::putIfPresent(json, "correctedSourceStart", layer.correctedSourceStart, path);
    coding::putIfPresent(json, "sourceFpsNum", layer.sourceFpsNum);
    coding::putIfPresent(json, "sourceFpsDen", layer.sourceFpsDen);
    coding::putIfPresent(json, "sourceRateString", layer.sourceRateString);
    return json;
}

StackedLayerInfo decodeStackedLayerInfo(const platform::JSON& value, const platform::CodingPath& path) {
    const platform::KeyedDecoder decoder(value, path);
    // A braced list reads in key order.
    return StackedLayerInfo{
        .videoLaneNumber = decoder.decodeInt64("videoLaneNumber"),
        .reelName = decoder.decodeStringIfPresent("reelName"),
        .sceneShot = decoder.decodeStringIfPresent("sceneShot"),
        .sourceFileName = decoder.decodeStringIfPresent("sourceFileName"),
        .sourceTimecode = decoder.decodeStringIfPresent("sourceTimecode"),
        .sourceFrameNumber = decoder.decodeInt64IfPresent("sourceFrameNumber"),
        .layerTimelineStart = decoder.decodeDoubleIfPresent("layerTimelineStart"),
        .correctedSourceStart = decoder.decodeDoubleIfPresent("correctedSourceStart"),
        .sourceFpsNum = decoder.decodeInt64IfPresent("sourceFpsNum"),
        .sourceFpsDen = decoder.decodeInt64IfPresent("sourceFpsDen"),
        .sourceRateString = decoder.decodeStringIfPresent("sourceRateString"),
    };
}

}  // namespace brimlock
