#include "BrimlockCore/Validation/TimelineValidator.h"

#include "BrimlockCore/Timecode/TimecodeCalculator.h"
#include "Platform/Foundation/UnicodeText.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace brimlock::TimelineValidator {

namespace {

using Frames = std::int64_t;

constexpr Frames kMaxFrames = std::numeric_limits<Frames>::max();
constexpr Frames kMinFrames = std::numeric_limits<Frames>::min();

// The common form of a clip from either side.
struct ClipRecord {
    std::string name;
    std::string elementType;
    Frames recordIn = 0;
    Frames recordOut = 0;
    std::optional<Frames> sourceIn;
    bool isSimpleAssetClip = false;
};

Frames framesAt(double fps, double seconds) noexcept {
    const double value = std::round(fps * seconds);
    if (std::isnan(value)) return 0;
    // -2^63 and 2^63 are exact doubles; the range is [-2^63, 2^63).
    if (value >= 9223372036854775808.0) return kMaxFrames;
    if (value < -9223372036854775808.0) return kMinFrames;
    return static_cast<Frames>(value);
}

Frames saturatingAdd(Frames a, Frames b) noexcept {
    Frames sum = 0;
    if (!__builtin_add_overflow(a, b, &sum)) return sum;
    return b > 0 ? kMaxFrames : kMinFrames;
}

Frames saturatingSubtract(Frames a, Frames b) noexcept {
    Frames difference = 0;
    if (!__builtin_sub_overflow(a, b, &difference)) return difference;
    return b < 0 ? kMaxFrames : kMinFrames;
}

// |a - b| exactly: the unsigned difference of two 64-bit values always fits.
std::uint64_t distance(Frames a, Frames b) noexcept {
    const auto ua = static_cast<std::uint64_t>(a);
    const auto ub = static_cast<std::uint64_t>(b);
    return a >= b ? ua - ub : ub - ua;
}

// A negative limit admits nothing.
bool within(Frames a, Frames b, Frames limit) noexcept {
    return limit >= 0 && distance(a, b) <= static_cast<std::uint64_t>(limit);
}

bool namesMatch(std::string_view a, std::string_view b) {
    const std::string_view trimmedA = platform::trimmedWhitespace(a);
    const std::string_view trimmedB = platform::trimmedWhitespace(b);
    if (trimmedA.empty() || trimmedB.empty()) return trimmedA.empty() && trimmedB.empty();
    return platform::localizedCaseInsensitiveCompare(trimmedA, trimmedB) == std::weak_ordering::equivalent;
}

std::vector<ClipRecord> fcpxmlRecords(const FCPXMLParser::Sequence& sequence, double fps) {
    std::vector<ClipRecord> records;
    for (const FCPXMLParser::SpineClip& clip : sequence.clips) {
        if (clip.isGap() || clip.isTransition()) continue;
        const double base = clip.offset.seconds() - sequence.tcStartSeconds;
        ClipRecord record;
        record.recordIn = framesAt(fps, base);
        record.recordOut = framesAt(fps, base + clip.duration.seconds());
        if (!(record.recordIn < record.recordOut)) continue;
        if (clip.start) record.sourceIn = framesAt(fps, clip.start->seconds());
        record.isSimpleAssetClip = clip.elementType == "asset-clip";
        record.name = clip.name;
        record.elementType = clip.elementType;
        records.push_back(std::move(record));
    }
    return records;
}

std::vector<ClipRecord> resolverRecords(const std::vector<EditEntry>& entries, double fps) {
    std::vector<ClipRecord> records;
    records.reserve(entries.size());
    for (const EditEntry& entry : entries) {
        records.push_back(ClipRecord{entry.clipName, std::string(rawValue(entry.clipType)),
                                     framesAt(fps, entry.timelineIn), framesAt(fps, entry.timelineOut),
                                     framesAt(fps, entry.sourceIn), entry.clipType == ClipCategory::simple});
    }
    return records;
}

void sortByRecordIn(std::vector<ClipRecord>& records) {
    std::stable_sort(records.begin(), records.end(),
                     [](const ClipRecord& a, const ClipRecord& b) { return a.recordIn < b.recordIn; });
}

std::optional<FieldMismatch> frameMismatch(const std::string& clipName, const char* field, Frames expected,
                                           Frames actual, Frames tolerance) {
    if (within(actual, expected, tolerance)) return std::nullopt;
    return FieldMismatch{clipName, field, std::to_string(expected), std::to_string(actual),
                         saturatingSubtract(actual, expected)};
}

std::vector<FieldMismatch> comparePair(const ClipRecord& f, const ClipRecord& r, Frames tolerance) {
    std::vector<FieldMismatch> mismatches;
    const auto add = [&](std::optional<FieldMismatch> mismatch) {
        if (mismatch) mismatches.push_back(std::move(*mismatch));
    };
    add(frameMismatch(f.name, "recordIn", f.recordIn, r.recordIn, tolerance));
    add(frameMismatch(f.name, "recordOut", f.recordOut, r.recordOut, tolerance));
    if (!namesMatch(f.name, r.name)) mismatches.push_back(FieldMismatch{f.name, "name", f.name, r.name, std::nullopt});
    if (f.isSimpleAssetClip && r.isSimpleAssetClip && f.sourceIn && r.sourceIn)
        add(frameMismatch(f.name, "sourceIn", *f.sourceIn, *r.sourceIn, tolerance));
    return mismatches;
}

// The timecode rate of a project; bounds inclusive, never a drop-frame rate.
FrameRate nominalRate(double fps) noexcept {
    const double r = std::round(fps * 100) / 100;
    const auto between = [r](double low, double high) { return r >= low && r <= high; };
    if (between(23.97, 23.99)) return FrameRate::fps23_976;
    if (r == 24) return FrameRate::fps24;
    if (r == 25) return FrameRate::fps25;
    if (between(29.9, 29.98)) return FrameRate::fps29_97ndf;
    if (r == 30) return FrameRate::fps30;
    if (between(47.9, 47.96)) return FrameRate::fps47_952;
    if (r == 48) return FrameRate::fps48;
    if (r == 50) return FrameRate::fps50;
    if (between(59.9, 59.95)) return FrameRate::fps59_94ndf;
    if (r == 60) return FrameRate::fps60;
    return FrameRate::fps24;
}

}  // namespace

ValidationReport validate(const FCPXMLParser::Sequence& sequence, const std::vector<EditEntry>& resolverEntries,
                          std::int64_t toleranceFrames, std::int64_t pairingWindowFrames) {
    ValidationReport report;
    report.sequenceName = sequence.name;
    report.sequenceKind = std::string(FCPXMLParser::rawValue(sequence.kind));
    report.fps = sequence.fps();
    report.frameRateResolved = sequence.frameDuration.has_value();
    report.tcStartSeconds = sequence.tcStartSeconds;

    std::vector<ClipRecord> fcpxml = fcpxmlRecords(sequence, report.fps);
    std::vector<ClipRecord> resolver = resolverRecords(resolverEntries, report.fps);
    sortByRecordIn(fcpxml);
    sortByRecordIn(resolver);
    report.fcpxmlClipCount = fcpxml.size();
    report.resolverEntryCount = resolverEntries.size();

    const Frames tcStartFrames = framesAt(report.fps, sequence.tcStartSeconds);
    const FrameRate sequenceRate = nominalRate(report.fps);
    const auto unmatched = [&](UnmatchedClip::Side side, const ClipRecord& record) {
        const Frames projectFrames = std::max<Frames>(saturatingAdd(record.recordIn, tcStartFrames), 0);
        return UnmatchedClip{side, record.name, record.elementType, record.recordIn,
                             TimecodeCalculator::framesToTimecode(projectFrames, sequenceRate)};
    };

    std::size_t i = 0;
    std::size_t j = 0;
    while (i < fcpxml.size()) {
        if (j == resolver.size()) {
            for (; i < fcpxml.size(); ++i)
                report.unmatchedFCPXML.push_back(unmatched(UnmatchedClip::Side::fcpxml, fcpxml[i]));
            break;
        }
        const ClipRecord& f = fcpxml[i];
        const ClipRecord& r = resolver[j];
        if (within(f.recordIn, r.recordIn, pairingWindowFrames)) {
            std::vector<FieldMismatch> mismatches = comparePair(f, r, toleranceFrames);
            ++report.comparedPairs;
            if (mismatches.empty()) ++report.exactMatches;
            report.mismatches.insert(report.mismatches.end(), std::make_move_iterator(mismatches.begin()),
                                     std::make_move_iterator(mismatches.end()));
            ++i;
            ++j;
        } else if (f.recordIn >= r.recordIn) {
            report.unmatchedResolver.push_back(unmatched(UnmatchedClip::Side::resolver, r));
            ++j;
        } else {
            report.unmatchedFCPXML.push_back(unmatched(UnmatchedClip::Side::fcpxml, f));
            ++i;
        }
    }
    for (; j < resolver.size(); ++j)
        report.unmatchedResolver.push_back(unmatched(UnmatchedClip::Side::resolver, resolver[j]));
    return report;
}

}  // namespace brimlock::TimelineValidator
