#include "BrimlockCore/Model/FCPMetadata.h"

#include "BrimlockCore/Model/KeyedCoding.h"

namespace brimlock {

namespace {

using platform::CodingPath;
using platform::JSON;

JSON encodeRoleClips(const std::map<std::string, ActiveRoleClip>& clips, const CodingPath& path) {
    JSON object = JSON::object();
    for (const auto& [role, clip] : clips) object[role] = encode(clip, coding::childPath(path, role));
    return object;
}

std::map<std::string, ActiveRoleClip> decodeRoleClips(const JSON& value, const CodingPath& path) {
    if (!value.is_object()) platform::throwTypeMismatch(path, "Dictionary<String, Any>", value);
    std::map<std::string, ActiveRoleClip> clips;
    for (const auto& [role, clip] : value.items())
        clips.insert_or_assign(role, decodeActiveRoleClip(clip, coding::childPath(path, role)));
    return clips;
}

}  // namespace

FCPMetadata FCPMetadata::empty() {
    // A function-local static is initialised exactly once, even under concurrent first calls.
    static const FCPMetadata instance = [] {
        FCPMetadata metadata;
        metadata.sourceClipName = "\u2014";
        metadata.sourceTimecode = "\u2014";
        metadata.projectTimecode = "00:00:00:00";
        metadata.frameRate = 24.0;
        return metadata;
    }();
    return instance;
}

JSON encode(const FCPMetadata& m, const CodingPath& path) {
    const auto at = [&](std::string_view key) { return coding::childPath(path, key); };
    JSON json = JSON::object();
    json["sourceClipName"] = m.sourceClipName;
    coding::putIfPresent(json, "sourceFileName", m.sourceFileName);
    coding::putIfPresent(json, "mediaIdentifier", m.mediaIdentifier);
    json["sourceTimecode"] = m.sourceTimecode;
    coding::putIfPresent(json, "sourceFrameNumber", m.sourceFrameNumber);
    json["projectTimecode"] = m.projectTimecode;
    json["frameRate"] = platform::requireFinite(m.frameRate, at("frameRate"));
    coding::putIfPresent(json, "reelName", m.reelName);
    coding::putIfPresent(json, "cameraName", m.cameraName);
    coding::putIfPresent(json, "scene", m.scene);
    coding::putIfPresent(json, "shot", m.shot);
    coding::putIfPresent(json, "take", m.take);
    coding::putIfPresent(json, "angle", m.angle);
    coding::putIfPresent(json, "notes", m.notes);
    coding::putIfPresent(json, "videoRole", m.videoRole);
    if (m.audioRoles) json["audioRoles"] = coding::encodeStrings(*m.audioRoles);
    coding::putIfPresent(json, "clipDuration", m.clipDuration);
    if (m.clipType) json["clipType"] = encode(*m.clipType, at("clipType"));
    coding::putIfPresent(json, "resolutionWidth", m.resolutionWidth, path);
    coding::putIfPresent(json, "resolutionHeight", m.resolutionHeight, path);
    coding::putIfPresent(json, "positionX", m.positionX, path);
    coding::putIfPresent(json, "positionY", m.positionY, path);
    coding::putIfPresent(json, "scaleX", m.scaleX, path);
    coding::putIfPresent(json, "scaleY", m.scaleY, path);
    coding::putIfPresent(json, "rotation", m.rotation, path);
    coding::putIfPresent(json, "speedRate", m.speedRate, path);
    coding::putIfPresent(json, "isReversed", m.isReversed);
    coding::putIfPresent(json, "isFreezeFrame", m.isFreezeFrame);
    if (m.appliedEffects) json["appliedEffects"] = coding::encodeStrings(*m.appliedEffects);
    coding::putIfPresent(json, "hasStabilization", m.hasStabilization);
    coding::putIfPresent(json, "hasRollingShutterFix", m.hasRollingShutterFix);
    if (m.markers)
        json["markers"] = coding::encodeEach(
            *m.markers, at("markers"), [](const MarkerInfo& marker, const CodingPath& p) { return encode(marker, p); });
    if (m.stackedVideoClips) json["stackedVideoClips"] = coding::encodeStrings(*m.stackedVideoClips);
    if (m.activeRoleClips) json["activeRoleClips"] = encodeRoleClips(*m.activeRoleClips, at("activeRoleClips"));
    if (m.stackedLayers)
        json["stackedLayers"] =
            coding::encodeEach(*m.stackedLayers, at("stackedLayers"),
                               [](const StackedLayerInfo& layer, const CodingPath& p) { return encode(layer, p); });
    return json;
}

FCPMetadata decodeFCPMetadata(const JSON& value, const CodingPath& path) {
    const platform::KeyedDecoder decoder(value, path);
    const auto strings = [&](std::string_view key) -> std::optional<std::vector<std::string>> {
        if (const auto array = decoder.decodeArrayIfPresent(key))
            return coding::decodeStrings(*array, decoder.pathFor(key));
        return std::nullopt;
    };

    FCPMetadata m;
    m.sourceClipName = decoder.decodeString("sourceClipName");
    m.sourceFileName = decoder.decodeStringIfPresent("sourceFileName");
    m.mediaIdentifier = decoder.decodeStringIfPresent("mediaIdentifier");
    m.sourceTimecode = decoder.decodeString("sourceTimecode");
    m.sourceFrameNumber = decoder.decodeInt64IfPresent("sourceFrameNumber");
    m.projectTimecode = decoder.decodeString("projectTimecode");
    m.frameRate = decoder.decodeDouble("frameRate");
    m.reelName = decoder.decodeStringIfPresent("reelName");
    m.cameraName = decoder.decodeStringIfPresent("cameraName");
    m.scene = decoder.decodeStringIfPresent("scene");
    m.shot = decoder.decodeStringIfPresent("shot");
    m.take = decoder.decodeStringIfPresent("take");
    m.angle = decoder.decodeStringIfPresent("angle");
    m.notes = decoder.decodeStringIfPresent("notes");
    m.videoRole = decoder.decodeStringIfPresent("videoRole");
    m.audioRoles = strings("audioRoles");
    m.clipDuration = decoder.decodeStringIfPresent("clipDuration");
    if (const JSON* clipType = coding::presentMember(value, "clipType"))
        m.clipType = decodeClipCategory(*clipType, decoder.pathFor("clipType"));
    m.resolutionWidth = decoder.decodeDoubleIfPresent("resolutionWidth");
    m.resolutionHeight = decoder.decodeDoubleIfPresent("resolutionHeight");
    m.positionX = decoder.decodeDoubleIfPresent("positionX");
    m.positionY = decoder.decodeDoubleIfPresent("positionY");
    m.scaleX = decoder.decodeDoubleIfPresent("scaleX");
    m.scaleY = decoder.decodeDoubleIfPresent("scaleY");
    m.rotation = decoder.decodeDoubleIfPresent("rotation");
    m.speedRate = decoder.decodeDoubleIfPresent("speedRate");
    m.isReversed = decoder.decodeBoolIfPresent("isReversed");
    m.isFreezeFrame = decoder.decodeBoolIfPresent("isFreezeFrame");
    m.appliedEffects = strings("appliedEffects");
    m.hasStabilization = decoder.decodeBoolIfPresent("hasStabilization");
    m.hasRollingShutterFix = decoder.decodeBoolIfPresent("hasRollingShutterFix");
    if (const auto markers = decoder.decodeArrayIfPresent("markers"))
        m.markers =
            coding::decodeEach(*markers, decoder.pathFor("markers"),
                               [](const JSON& element, const CodingPath& p) { return decodeMarkerInfo(element, p); });
    m.stackedVideoClips = strings("stackedVideoClips");
    if (const JSON* clips = coding::presentMember(value, "activeRoleClips"))
        m.activeRoleClips = decodeRoleClips(*clips, decoder.pathFor("activeRoleClips"));
    if (const auto layers = decoder.decodeArrayIfPresent("stackedLayers"))
        m.stackedLayers = coding::decodeEach(
            *layers, decoder.pathFor("stackedLayers"),
            [](const JSON& element, const CodingPath& p) { return decodeStackedLayerInfo(element, p); });
    return m;
}

}  // namespace brimlock
