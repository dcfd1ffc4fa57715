#pragma once

#include "BrimlockCore/Model/ActiveRoleClip.h"
#include "BrimlockCore/Model/ClipCategory.h"
#include "BrimlockCore/Model/FrameSize.h"
#include "BrimlockCore/Model/MarkerInfo.h"
#include "BrimlockCore/Model/StackedLayerInfo.h"
#include "BrimlockCore/Timecode/FrameRate.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace brimlock {

// One edit of a resolved timeline. Times are seconds. The edit covers the half-open range
// [timelineIn, timelineOut) of the timeline. A value built by name; the timeline resolver fills
// displaySegments once all entries exist. No checks, no derived fields.
struct EditEntry {
    // A sub-range [start, end) of the edit on the timeline, with the connected material over it.
    struct DisplaySegment {
        double start = 0;
        double end = 0;
        // Names of the video clips stacked above the edit in this range.
        std::vector<std::string> stackedVideoClips;
        // Keyed by role name.
        std::map<std::string, ActiveRoleClip> activeRoleClips;
        std::vector<StackedLayerInfo> stackedLayers;
    };

    // Key of the clip's ZCOLLECTION row in the event database.
    std::int64_t collectionPK = 0;
    std::string clipName;
    ClipCategory clipType = ClipCategory::simple;
    double timelineIn = 0;
    double timelineOut = 0;
    // Start of the clip's clipped range inside its source.
    double sourceIn = 0;
    // Start timecode of the source media, as a frame count.
    std::int64_t sourceStartTC = 0;
    std::optional<std::string> assetName;
    std::optional<std::string> mediaIdentifier;
    std::optional<std::string> reelName;
    std::optional<std::string> scene;
    std::optional<std::string> shot;
    std::optional<std::string> angle;
    std::optional<std::string> notes;
    std::optional<FrameSize> resolution;
    // Rate of the source.
    std::optional<FrameRate> frameRate;
    bool isSyncClip = false;
    bool isCompoundClip = false;
    // Active angles of a multicam clip.
    std::optional<std::string> videoAngle;
    std::optional<std::vector<std::string>> audioAngles;
    // Factor of normal speed (1.0 normal, 0.5 half speed); absent when the clip is not retimed.
    std::optional<double> speedRate;
    bool isReversed = false;
    // Key of the nested sequence of a compound clip.
    std::optional<std::int64_t> subTimelinePK;
    std::optional<double> positionX;
    std::optional<double> positionY;
    std::optional<double> scaleX;
    std::optional<double> scaleY;
    std::optional<double> rotation;
    std::vector<MarkerInfo> markers;
    std::vector<DisplaySegment> displaySegments;
};

}  // namespace brimlock
