#pragma once

#include <string_view>

// The names an event database uses, written once: a misspelt name matches nothing and fails
// silently, so the readers take them from here. All are NUL-terminated literals.
namespace brimlock::store {

// Object classes (a collection's ZTYPE).
inline constexpr std::string_view kSet = "NSSet";
inline constexpr std::string_view kAsset = "FFAsset";
inline constexpr std::string_view kAssetRef = "FFAssetRef";
inline constexpr std::string_view kClipRef = "FFClipRef";
inline constexpr std::string_view kAnchoredSequence = "FFAnchoredSequence";
inline constexpr std::string_view kAnchoredClip = "FFAnchoredClip";
inline constexpr std::string_view kAnchoredCollection = "FFAnchoredCollection";
inline constexpr std::string_view kAnchoredAngle = "FFAnchoredAngle";
inline constexpr std::string_view kAnchoredMediaComponent = "FFAnchoredMediaComponent";
inline constexpr std::string_view kAnchoredStack = "FFAnchoredStack";
inline constexpr std::string_view kAnchoredGapGeneratorComponent = "FFAnchoredGapGeneratorComponent";
inline constexpr std::string_view kAnchoredGeneratorComponent = "FFAnchoredGeneratorComponent";
inline constexpr std::string_view kAnchoredTimeMarker = "FFAnchoredTimeMarker";
inline constexpr std::string_view kMediaEventProject = "FFMediaEventProject";
inline constexpr std::string_view kMediaEventProjectData = "FFMediaEventProjectData";
inline constexpr std::string_view kRetimingVideoEffect = "FFRetimingVideoEffect";
inline constexpr std::string_view kHeXForm3DEffect = "FFHeXForm3DEffect";
inline constexpr std::string_view kMutableAudioClipComponentsLayoutItem = "FFMutableAudioClipComponentsLayoutItem";

// Relations from a collection to its child groups (the child's ZNAME).
inline constexpr std::string_view kPrimaryObject = "primaryObject";
inline constexpr std::string_view kContainedItems = "containedItems";
inline constexpr std::string_view kAnchoredItems = "anchoredItems";
inline constexpr std::string_view kActiveVariant = "activeVariant";
inline constexpr std::string_view kMedia = "media";
inline constexpr std::string_view kPersistedAnchoredObject = "persistedAnchoredObject";
inline constexpr std::string_view kAudioComponentsLayoutMap = "audioComponentsLayoutMap";

// Keys of a collection's archived attributes.
inline constexpr std::string_view kDisplayName = "displayName";
inline constexpr std::string_view kMediaIdentifier = "mediaIdentifier";
inline constexpr std::string_view kClippedRange = "clippedRange";
inline constexpr std::string_view kRoleUID = "roleUID";
inline constexpr std::string_view kVideoAngle = "videoAngle";
inline constexpr std::string_view kMetadata = "metadata";

// Keys of the "metadata" dictionary.
inline constexpr std::string_view kReel = "reel";
inline constexpr std::string_view kScene = "scene";
inline constexpr std::string_view kShot = "shot";
inline constexpr std::string_view kAngle = "angle";
inline constexpr std::string_view kNotes = "notes";

// The names of the placeholders a storyline holds: they take time but are no edits.
inline constexpr std::string_view kGapName = "Gap";
inline constexpr std::string_view kNewStackName = "New Stack";

}  // namespace brimlock::store
