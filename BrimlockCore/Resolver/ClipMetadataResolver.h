#pragma once

#include "BrimlockCore/Model/EditEntry.h"
#include "BrimlockCore/Model/FCPMetadata.h"
#include "BrimlockCore/Model/FrameSize.h"
#include "BrimlockCore/Timecode/FrameRate.h"

#include <cstdint>
#include <optional>

namespace brimlock {

class FCPDatabaseConnection;

// What is on a resolved timeline at one position, and the timeline's frame size. Library-internal:
// TimelineResolver's resolve and timelineResolution answer through these. Pure except for
// timelineResolution, which reads `db`.
//
// Frame arithmetic: nearest(x) rounds halves away from zero. Every product and sum is checked: a
// value that is not finite or leaves the signed 64-bit range (only a damaged timeline gets there)
// makes that value unknown instead of wrapping.
namespace ClipMetadataResolver {

// The timeline frame at `seconds`: seconds x fps + 0.5, truncated toward zero (0.49 frames is frame
// 0, 0.5 frames frame 1). Nothing when the value is not finite or leaves the signed 64-bit range.
std::optional<std::int64_t> frameAt(double seconds, FrameRate rate) noexcept;

// The record for timeline frame `timelineFrame` of a timeline at `rate`, which lies in `from`.
// Source frames count at the edit's own rate when it has one, else at `rate`:
//   base = sourceStartTC + nearest(sourceIn x fpsS); offset = t - timelineIn, t = frame / fps(rate)
//   reversed: base + nearest(fpsS x speed x (duration - offset)), speed 1 when absent
//   retimed (speed present and not 1): base + nearest(offset x speed x fpsS)
//   otherwise: base + nearest(offset x fpsS), held at 0 when negative.
// The connected material comes from the first display segment with start <= t < end, else the
// last one. Where the source frame is unknown, sourceFrameNumber is absent and sourceTimecode is
// "—" as in FCPMetadata::empty(); an unknown duration leaves clipDuration absent.
FCPMetadata buildMetadata(const EditEntry& from, std::int64_t timelineFrame, FrameRate rate);

// The frame size stored on the timeline: the first child of its "primaryObject", whose
// "videoProps" dictionary holds the rectangle text "PB" ("{{x, y}, {w, h}}"). Nothing when a step
// is missing, a query fails or the blob does not decode.
std::optional<FrameSize> timelineResolution(FCPDatabaseConnection& db, std::int64_t forTimeline);

}  // namespace ClipMetadataResolver
}  // namespace brimlock
