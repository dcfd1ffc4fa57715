#include "BrimlockCore/Resolver/ClipMetadataResolver.h"

#include "BrimlockCore/PropertyList/BlobDecoder.h"
#include "BrimlockCore/Database/FCPDatabaseConnection.h"
#include "BrimlockCore/Database/StoreVocabulary.h"
#include "BrimlockCore/Resolver/SpineClipDetails.h"
#include "BrimlockCore/Timecode/TimecodeCalculator.h"

#include <cmath>

namespace brimlock::ClipMetadataResolver {

namespace {

// 2^63: the first double above the int64_t range; -2^63 is its lowest value.
constexpr double kInt64Bound = 9223372036854775808.0;

std::optional<std::int64_t> truncated(double x) noexcept {
    if (!std::isfinite(x) || x < -kInt64Bound || x >= kInt64Bound) return std::nullopt;
    return static_cast<std::int64_t>(x);
}

std::optional<std::int64_t> nearest(double x) noexcept { return truncated(std::round(x)); }

std::optional<std::int64_t> sum(std::optional<std::int64_t> a, std::optional<std::int64_t> b) noexcept {
    std::int64_t result = 0;
    if (!a || !b || __builtin_add_overflow(*a, *b, &result)) return std::nullopt;
    return result;
}

struct SourceFrame {
    std::optional<std::int64_t> frame;
    bool reversed;
};

SourceFrame sourceFrame(const EditEntry& entry, double t, double fpsS) {
    const auto base = sum(entry.sourceStartTC, nearest(entry.sourceIn * fpsS));
    const double offset = t - entry.timelineIn;
    if (entry.isReversed) {
        const double speed = entry.speedRate.value_or(1.0);
        const double remaining = (entry.timelineOut - entry.timelineIn) - offset;
        // Counting runs backwards from the end of the used range.
        return {sum(base, nearest(fpsS * speed * remaining)), true};
    }
    if (const auto speed = entry.speedRate; speed && *speed != 1.0)
        return {sum(base, nearest(offset * *speed * fpsS)), false};
    auto frame = sum(base, nearest(offset * fpsS));
    if (frame && *frame < 0) frame = 0;
    return {frame, false};
}

const EditEntry::DisplaySegment* segmentAt(const EditEntry& entry, double t) noexcept {
    const auto& segments = entry.displaySegments;
    if (segments.empty()) return nullptr;
    for (const auto& segment : segments)
        if (segment.start <= t && t < segment.end) return &segment;
    // Rounding can leave a time between two segments' bounds.
    return &segments.back();
}

template <typename T>
std::optional<T> unlessEmpty(const T& list) {
    if (list.empty()) return std::nullopt;
    return list;
}

}  // namespace

std::optional<std::int64_t> frameAt(double seconds, FrameRate rate) noexcept {
    return truncated(seconds * fps(rate) + 0.5);
}

FCPMetadata buildMetadata(const EditEntry& from, std::int64_t timelineFrame, FrameRate rate) {
    const FrameRate sourceRate = from.frameRate.value_or(rate);
    const double fpsT = fps(rate);
    const double fpsS = fps(sourceRate);
    const double t = static_cast<double>(timelineFrame) / fpsT;
    const auto source = sourceFrame(from, t, fpsS);
    const auto durationFrames = truncated((from.timelineOut - from.timelineIn) * fpsT);

    FCPMetadata m;
    m.sourceClipName = from.clipName;
    m.sourceFileName = from.assetName;
    m.mediaIdentifier = from.mediaIdentifier;
    m.sourceTimecode = source.frame ? TimecodeCalculator::framesToTimecode(*source.frame, sourceRate)
                                    : FCPMetadata::empty().sourceTimecode;
    m.sourceFrameNumber = source.frame;
    m.projectTimecode = TimecodeCalculator::framesToTimecode(timelineFrame, rate);
    m.frameRate = fpsS;
    m.reelName = from.reelName;
    m.scene = from.scene;
    m.shot = from.shot;
    m.angle = from.angle;
    m.notes = from.notes;
    if (durationFrames) m.clipDuration = TimecodeCalculator::framesToTimecode(*durationFrames, rate);
    m.clipType = from.clipType;
    if (const auto& size = from.resolution) {
        m.resolutionWidth = size->width;
        m.resolutionHeight = size->height;
    }
    m.positionX = from.positionX;
    m.positionY = from.positionY;
    m.scaleX = from.scaleX;
    m.scaleY = from.scaleY;
    m.rotation = from.rotation;
    m.speedRate = from.speedRate;
    m.isReversed = source.reversed;
    m.isFreezeFrame = false;
    m.markers = unlessEmpty(from.markers);
    if (const auto* segment = segmentAt(from, t)) {
        m.stackedVideoClips = unlessEmpty(segment->stackedVideoClips);
        m.activeRoleClips = unlessEmpty(segment->activeRoleClips);
        m.stackedLayers = unlessEmpty(segment->stackedLayers);
    }
    return m;
}

std::optional<FrameSize> timelineResolution(FCPDatabaseConnection& db, std::int64_t forTimeline) {
    const auto primary = db.childPK(forTimeline, store::kPrimaryObject);
    if (!primary) return std::nullopt;
    const auto children = db.childPKs(*primary);
    if (!children || children->empty()) return std::nullopt;
    const auto blob = db.fetchDecodedBlob(children->front());
    return blob ? SpineClipDetails::videoResolution(*blob) : std::nullopt;
}

}  // namespace brimlock::ClipMetadataResolver
