#include "BrimlockCore/Model/EditEntry.h"

#include <utility>

namespace brimlock {

EditEntry::DisplaySegment::DisplaySegment(double start, double end, std::vector<std::string> stackedVideoClips,
                                          std::map<std::string, ActiveRoleClip> activeRoleClips,
                                          std::vector<StackedLayerInfo> stackedLayers)
    : start_(start),
      end_(end),
      stackedVideoClips_(std::move(stackedVideoClips)),
      activeRoleClips_(std::move(activeRoleClips)),
      stackedLayers_(std::move(stackedLayers)) {}

EditEntry::EditEntry(std::int64_t collectionPK, std::string clipName, ClipCategory clipType, double timelineIn,
                     double timelineOut, double sourceIn, std::int64_t sourceStartTC,
                     std::optional<std::string> assetName, std::optional<std::string> mediaIdentifier,
                     std::optional<std::string> reelName, std::optional<std::string> scene,
                     std::optional<std::string> shot, std::optional<std::string> angle,
                     std::optional<std::string> notes, std::optional<FrameSize> resolution,
                     std::optional<FrameRate> frameRate, bool isSyncClip, bool isCompoundClip,
                     std::optional<std::string> videoAngle, std::optional<std::vector<std::string>> audioAngles,
                     std::optional<double> speedRate, bool isReversed, std::optional<std::int64_t> subTimelinePK,
                     std::optional<double> transformX, std::optional<double> transformY,
                     std::optional<double> transformScaleX, std::optional<double> transformScaleY,
                     std::optional<double> transformRotation, std::vector<MarkerInfo> markerList,
                     std::vector<DisplaySegment> entryDisplaySegments)
    : collectionPK_(collectionPK),
      clipName_(std::move(clipName)),
      clipType_(clipType),
      timelineIn_(timelineIn),
      timelineOut_(timelineOut),
      sourceIn_(sourceIn),
      sourceStartTC_(sourceStartTC),
      assetName_(std::move(assetName)),
      mediaIdentifier_(std::move(mediaIdentifier)),
      reelName_(std::move(reelName)),
      scene_(std::move(scene)),
      shot_(std::move(shot)),
      angle_(std::move(angle)),
      notes_(std::move(notes)),
      resolution_(resolution),
      frameRate_(frameRate),
      isSyncClip_(isSyncClip),
      isCompoundClip_(isCompoundClip),
      videoAngle_(std::move(videoAngle)),
      audioAngles_(std::move(audioAngles)),
      speedRate_(speedRate),
      isReversed_(isReversed),
      subTimelinePK_(subTimelinePK),
      positionX_(transformX),
      positionY_(transformY),
      scaleX_(transformScaleX),
      scaleY_(transformScaleY),
      rotation_(transformRotation),
      markers_(std::move(markerList)),
      displaySegments_(std::move(entryDisplaySegments)) {}

}  // namespace brimlock
