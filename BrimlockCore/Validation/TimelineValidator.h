#pragma once

#include "BrimlockCore/Model/EditEntry.h"
#include "BrimlockCore/Validation/FCPXMLDocument.h"
#include "BrimlockCore/Validation/ValidationReport.h"

#include <cstdint>
#include <vector>

// Compares one timeline as Final Cut Pro exported it (an FCPXML sequence) with the edit list the timeline
// resolver built for it, clip by clip, in whole frames of the sequence's rate. Pure computation.
namespace brimlock::TimelineValidator {

// Seconds become frames as fps x seconds rounded half away from zero; a value beyond the 64-bit range
// saturates at its limit (a value that is no number counts as 0), and differences saturate likewise.
//
// FCPXML gaps, transitions and clips whose record-out is not after their record-in are left out. Both
// sides are sorted by record-in (stably) and walked together: two clips pair when their record-ins
// are at most pairingWindowFrames apart; otherwise the earlier one is unmatched. A paired field differs
// when its values are more than toleranceFrames apart (exactly toleranceFrames is tolerated). Names
// match when, trimmed of white space and line breaks, both are empty or they are equal under a
// locale-aware case-insensitive comparison. Source-ins are compared only between an "asset-clip" that
// has a start and a `simple` entry. Unmatched clips are labelled in the project's timecode: the
// nominal rate of fps rounded to two decimals (23.97-23.99 gives 23.976, 29.9-29.98 gives 29.97 and so
// on; an unknown rate gives 24), never drop-frame.
ValidationReport validate(const FCPXMLParser::Sequence& sequence, const std::vector<EditEntry>& resolverEntries,
                          std::int64_t toleranceFrames, std::int64_t pairingWindowFrames);

}  // namespace brimlock::TimelineValidator
