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
#include <utility>
#include <vector>

namespace brimlock {

// One edit of a resolved timeline. Times are seconds. The edit covers the half-open range
// [timelineIn, timelineOut) of the timeline. Every field is fixed at construction except
// displaySegments, which the timeline resolver fills once all entries exist. No checks, no
// derived fields: the constructor stores what it is given.
class EditEntry {
public:
    // A sub-range [start, end) of the edit on the timeline, with the connected material over it.
    class DisplaySegment {
    public:
        DisplaySegment(double start, double end, std::vector<std::string> stackedVideoClips,
                       std::map<std::string, ActiveRoleClip> activeRoleClips,
                       std::vector<StackedLayerInfo> stackedLayers);

        double start() const noexcept { return start_; }
        double end() const noexcept { return end_; }
        // Names of the video clips stacked above the edit in this range.
        const std::vector<std::string>& stackedVideoClips() const noexcept { return stackedVideoClips_; }
        // Keyed by role name.
        const std::map<std::string, ActiveRoleClip>& activeRoleClips() const noexcept { return activeRoleClips_; }
        const std::vector<StackedLayerInfo>& stackedLayers() const noexcept { return stackedLayers_; }

    private:
        double start_;
        double end_;
        std::vector<std::string> stackedVideoClips_;
        std::map<std::string, ActiveRoleClip> activeRoleClips_;
        std::vector<StackedLayerInfo> stackedLayers_;
    };

    EditEntry(std::int64_t collectionPK, std::string clipName, ClipCategory clipType, double timelineIn,
              double timelineOut, double sourceIn, std::int64_t sourceStartTC, std::optional<std::string> assetName,
              std::optional<std::string> mediaIdentifier, std::optional<std::string> reelName,
              std::optional<std::string> scene, std::optional<std::string> shot, std::optional<std::string> angle,
              std::optional<std::string> notes, std::optional<FrameSize> resolution,
              std::optional<FrameRate> frameRate, bool isSyncClip, bool isCompoundClip,
              std::optional<std::string> videoAngle, std::optional<std::vector<std::string>> audioAngles,
              std::optional<double> speedRate, bool isReversed, std::optional<std::int64_t> subTimelinePK,
              std::optional<double> transformX, std::optional<double> transformY,
              std::optional<double> transformScaleX, std::optional<double> transformScaleY,
              std::optional<double> transformRotation, std::vector<MarkerInfo> markerList,
              std::vector<DisplaySegment> entryDisplaySegments);

    // Key of the clip's ZCOLLECTION row in the event database.
    std::int64_t collectionPK() const noexcept { return collectionPK_; }
    const std::string& clipName() const noexcept { return clipName_; }
    ClipCategory clipType() const noexcept { return clipType_; }
    double timelineIn() const noexcept { return timelineIn_; }
    double timelineOut() const noexcept { return timelineOut_; }
    // Start of the clip's clipped range inside its source.
    double sourceIn() const noexcept { return sourceIn_; }
    // Start timecode of the source media, as a frame count.
    std::int64_t sourceStartTC() const noexcept { return sourceStartTC_; }
    const std::optional<std::string>& assetName() const noexcept { return assetName_; }
    const std::optional<std::string>& mediaIdentifier() const noexcept { return mediaIdentifier_; }
    const std::optional<std::string>& reelName() const noexcept { return reelName_; }
    const std::optional<std::string>& scene() const noexcept { return scene_; }
    const std::optional<std::string>& shot() const noexcept { return shot_; }
    const std::optional<std::string>& angle() const noexcept { return angle_; }
    const std::optional<std::string>& notes() const noexcept { return notes_; }
    const std::optional<FrameSize>& resolution() const noexcept { return resolution_; }
    // Rate of the source.
    std::optional<FrameRate> frameRate() const noexcept { return frameRate_; }
    bool isSyncClip() const noexcept { return isSyncClip_; }
    bool isCompoundClip() const noexcept { return isCompoundClip_; }
    // Active angles of a multicam clip.
    const std::optional<std::string>& videoAngle() const noexcept { return videoAngle_; }
    const std::optional<std::vector<std::string>>& audioAngles() const noexcept { return audioAngles_; }
    // Factor of normal speed (1.0 normal, 0.5 half speed); absent when the clip is not retimed.
    std::optional<double> speedRate() const noexcept { return speedRate_; }
    bool isReversed() const noexcept { return isReversed_; }
    // Key of the nested sequence of a compound clip.
    std::optional<std::int64_t> subTimelinePK() const noexcept { return subTimelinePK_; }
    std::optional<double> positionX() const noexcept { return positionX_; }
    std::optional<double> positionY() const noexcept { return positionY_; }
    std::optional<double> scaleX() const noexcept { return scaleX_; }
    std::optional<double> scaleY() const noexcept { return scaleY_; }
    std::optional<double> rotation() const noexcept { return rotation_; }
    const std::vector<MarkerInfo>& markers() const noexcept { return markers_; }

    const std::vector<DisplaySegment>& displaySegments() const noexcept { return displaySegments_; }
    void setDisplaySegments(std::vector<DisplaySegment> segments) { displaySegments_ = std::move(segments); }

private:
    std::int64_t collectionPK_;
    std::string clipName_;
    ClipCategory clipType_;
    double timelineIn_;
    double timelineOut_;
    double sourceIn_;
    std::int64_t sourceStartTC_;
    std::optional<std::string> assetName_;
    std::optional<std::string> mediaIdentifier_;
    std::optional<std::string> reelName_;
    std::optional<std::string> scene_;
    std::optional<std::string> shot_;
    std::optional<std::string> angle_;
    std::optional<std::string> notes_;
    std::optional<FrameSize> resolution_;
    std::optional<FrameRate> frameRate_;
    bool isSyncClip_;
    bool isCompoundClip_;
    std::optional<std::string> videoAngle_;
    std::optional<std::vector<std::string>> audioAngles_;
    std::optional<double> speedRate_;
    bool isReversed_;
    std::optional<std::int64_t> subTimelinePK_;
    std::optional<double> positionX_;
    std::optional<double> positionY_;
    std::optional<double> scaleX_;
    std::optional<double> scaleY_;
    std::optional<double> rotation_;
    std::vector<MarkerInfo> markers_;
    std::vector<DisplaySegment> displaySegments_;
};

}  // namespace brimlock
