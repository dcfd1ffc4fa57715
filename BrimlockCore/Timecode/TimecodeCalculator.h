#pragma once

#include "BrimlockCore/Timecode/FrameRate.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Conversions between frame counts, SMPTE timecode labels and the rational time strings stored in
// event databases. Pure functions: no state, safe from any thread. Nothing here reports an error:
// unreadable input gives nothing, and every count has a label.
//
// Units. Frame counts are signed 64-bit counts of frames at the given rate; seconds are doubles.
// A timecode second holds nominalFPS frames (24 at 23.976, 30 at 29.97, 60 at 59.94).
//
// Labels. "HH:MM:SS:FF", each field at least two digits with leading zeros; hours never wrap at 24
// and print in full (100 hours is "100:00:00:00"). The separator before the frames is ";" at the
// drop-frame rates (SMPTE ST 12-1 numbering, see FrameRate.h), ":" otherwise. A negative count has
// no label of its own and prints as the zero label "00:00:00:00" (or "00:00:00;00").
//
// Limits. Frame arithmetic is overflow-checked. Where a result would leave the 64-bit range, the
// optional-returning operations give nothing, and the label-returning operations saturate: each
// step of the arithmetic clamps to the nearest 64-bit limit, so a count past the top prints as the
// label of INT64_MAX frames and a count past the bottom as the zero label.
namespace brimlock::TimecodeCalculator {

// A stored time range, both values in seconds.
struct TimeRange {
    double start;
    double duration;
};

// The timecode label of a frame count. Drop-frame rates first turn the count into the frame number
// that drop-frame counting shows (skipped numbers added back).
std::string framesToTimecode(std::int64_t frames, FrameRate rate);

// The frame count of a label; the inverse of framesToTimecode for every label it prints.
// ";" reads as ":"; the text splits at ":" with empty pieces dropped; each piece must be a decimal
// signed 64-bit integer (optional "+" or "-", then digits only, no spaces) or it is dropped.
// Exactly four numbers must remain: hours, minutes, seconds, frames, none range-checked (minutes
// above 59 and negative fields are taken as they are). Drop-frame rates subtract the skipped frame
// numbers. Nothing when the count leaves the 64-bit range.
std::optional<std::int64_t> timecodeToFrames(std::string_view timecode, FrameRate rate) noexcept;

// "value/timescale": value a signed 64-bit and timescale a non-zero signed 32-bit decimal integer,
// read as above. Splits at "/" with empty pieces dropped; exactly two pieces. Nothing is trimmed: a
// space or a unit letter makes the text unreadable.
struct CMTimeFraction {
    std::int64_t value;
    std::int32_t timescale;
};
std::optional<CMTimeFraction> parseCMTimeFraction(std::string_view text) noexcept;
// Seconds of a CMTimeFraction text: value / timescale.
std::optional<double> parseCMTimeString(std::string_view text) noexcept;

// "{start,duration}" or "(start,duration)": every brace and parenthesis is removed, then the text
// splits at "," with empty pieces dropped; exactly two pieces, each read by parseCMTimeString.
// Pieces are not trimmed, so a space after the comma makes the range unreadable.
std::optional<TimeRange> parseCMTimeRangeString(std::string_view text);

// Frames of a rational time string at the exact rate (24000/1001 ...): seconds x fps + 0.5,
// truncated toward zero, so non-negative values round halves up. Nothing when the text does not
// read or the result leaves the 64-bit range.
std::optional<std::int64_t> cmTimeStringToFrames(std::string_view text, FrameRate rate) noexcept;

// The source label under a timeline frame: sourceStartTC + clipSourceIn + (timelineFrame -
// clipTimelineIn), all in frames of `rate`; saturating as described under Limits.
std::string sourceTimecodeAtPosition(std::int64_t timelineFrame, std::int64_t clipTimelineIn, std::int64_t clipSourceIn,
                                     std::int64_t sourceStartTC, FrameRate rate);

// The label of a + b; nothing when either label does not read or the sum leaves the 64-bit range.
std::optional<std::string> addTimecodes(std::string_view a, std::string_view b, FrameRate rate);
// The label of max(a - b, 0); nothing when either label does not read or a - b passes the top of
// the 64-bit range (a difference past the bottom is below zero and prints as the zero label).
std::optional<std::string> subtractTimecodes(std::string_view a, std::string_view b, FrameRate rate);

}  // namespace brimlock::TimecodeCalculator
