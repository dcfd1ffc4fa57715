#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What TimelineValidator finds when it compares an FCPXML sequence with a resolved edit list. Frame
// counts are whole frames at the report's fps.
namespace brimlock::TimelineValidator {

// One field of one paired clip that differs beyond the tolerance.
struct FieldMismatch {
    std::string clipName;  // the FCPXML clip's name
    std::string field;     // "recordIn", "recordOut", "name" or "sourceIn"
    std::string expected;  // the FCPXML value: frames in decimal, or the name
    std::string actual;    // the resolver's value, in the same form
    // Resolver minus FCPXML, saturated at the 64-bit limits; absent for "name".
    std::optional<std::int64_t> deltaFrames;

    friend bool operator==(const FieldMismatch&, const FieldMismatch&) = default;
};

// A clip found on one side only.
struct UnmatchedClip {
    enum class Side { fcpxml, resolver };

    Side side = Side::fcpxml;
    std::string name;
    // The FCPXML element name, or the resolver's clip category ("simple", "gap", ...).
    std::optional<std::string> elementType;
    std::int64_t recordInFrames = 0;  // from the timeline's start
    // The label of recordInFrames plus the start timecode (never below zero), at the project's
    // nominal rate, always non-drop.
    std::string projectTimecode;

    friend bool operator==(const UnmatchedClip&, const UnmatchedClip&) = default;
};

std::string_view rawValue(UnmatchedClip::Side side) noexcept;
// "fcpxml" or "resolver", exactly; any other text gives nothing.
std::optional<UnmatchedClip::Side> sideFromRawValue(std::string_view text) noexcept;

struct ValidationReport {
    std::string sequenceName;
    std::string sequenceKind;  // "project", "media" or "other"
    double fps = 24.0;         // the rate every conversion used
    // The sequence has a frame duration, even one with a zero numerator (which still gives 24 fps).
    bool frameRateResolved = false;
    double tcStartSeconds = 0.0;
    std::size_t fcpxmlClipCount = 0;  // after leaving out gaps, transitions and clips without length
    std::size_t resolverEntryCount = 0;
    std::size_t comparedPairs = 0;
    std::size_t exactMatches = 0;  // pairs without any mismatch
    // In pairing order; within a pair recordIn, recordOut, name, sourceIn.
    std::vector<FieldMismatch> mismatches;
    std::vector<UnmatchedClip> unmatchedFCPXML;    // ascending record-in
    std::vector<UnmatchedClip> unmatchedResolver;  // ascending record-in

    bool passed() const noexcept { return mismatches.empty() && unmatchedFCPXML.empty() && unmatchedResolver.empty(); }
    // "3/4 exact matches — 1 field mismatch, 0 in FCPXML only, 2 in resolver only".
    std::string summaryLine() const;
};

}  // namespace brimlock::TimelineValidator
