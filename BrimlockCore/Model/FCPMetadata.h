#pragma once

#include "BrimlockCore/Model/ActiveRoleClip.h"
#include "BrimlockCore/Model/ClipCategory.h"
#include "BrimlockCore/Model/MarkerInfo.h"
#include "BrimlockCore/Model/StackedLayerInfo.h"
#include "Platform/Foundation/Coding.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace brimlock {

// The metadata of the clip at one timeline position. Every field is mutable; the field order is
// also the order of the encoding keys.
struct FCPMetadata {
    std::string sourceClipName;
    std::optional<std::string> sourceFileName;
    std::optional<std::string> mediaIdentifier;
    std::string sourceTimecode;  // source timecode label at the position
    std::optional<std::int64_t> sourceFrameNumber;
    std::string projectTimecode;  // timeline timecode label at the position
    double frameRate = 0;         // frames per second used for both timecodes
    std::optional<std::string> reelName;
    std::optional<std::string> cameraName;
    std::optional<std::string> scene;
    std::optional<std::string> shot;
    std::optional<std::string> take;
    std::optional<std::string> angle;
    std::optional<std::string> notes;
    std::optional<std::string> videoRole;
    std::optional<std::vector<std::string>> audioRoles;
    std::optional<std::string> clipDuration;  // as a timecode label
    std::optional<ClipCategory> clipType;
    std::optional<double> resolutionWidth;
    std::optional<double> resolutionHeight;
    std::optional<double> positionX;
    std::optional<double> positionY;
    std::optional<double> scaleX;
    std::optional<double> scaleY;
    std::optional<double> rotation;
    std::optional<double> speedRate;  // factor of normal speed, 1.0 = normal
    std::optional<bool> isReversed;
    std::optional<bool> isFreezeFrame;
    std::optional<std::vector<std::string>> appliedEffects;
    std::optional<bool> hasStabilization;
    std::optional<bool> hasRollingShutterFix;
    std::optional<std::vector<MarkerInfo>> markers;
    std::optional<std::vector<std::string>> stackedVideoClips;
    std::optional<std::map<std::string, ActiveRoleClip>> activeRoleClips;  // keyed by role name
    std::optional<std::vector<StackedLayerInfo>> stackedLayers;

    // The record for a position no edit covers: clip name and source timecode "—" (U+2014),
    // project timecode "00:00:00:00", 24 frames per second, every optional absent. Built once,
    // thread-safely, and handed out as a copy.
    static FCPMetadata empty();
};

// Keys are the 35 field names in field order; "sourceClipName", "sourceTimecode", "projectTimecode"
// and "frameRate" are required, every other key is written only when its field is present.
platform::JSON encode(const FCPMetadata& metadata, const platform::CodingPath& path = {});
FCPMetadata decodeFCPMetadata(const platform::JSON& value, const platform::CodingPath& path = {});

}  // namespace brimlock
