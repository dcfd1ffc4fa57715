#include "BrimlockCore/Timecode/TimecodeCalculator.h"

#include "Platform/Foundation/IntegerText.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace brimlock::TimecodeCalculator {

namespace {

using Frames = std::int64_t;
constexpr Frames kMaxFrames = std::numeric_limits<Frames>::max();
constexpr Frames kMinFrames = std::numeric_limits<Frames>::min();

// Frame numbers skipped at the start of each minute not divisible by ten (SMPTE ST 12-1).
constexpr Frames droppedNumbersPerMinute(FrameRate rate) noexcept { return nominalFPS(rate) == 30 ? 2 : 4; }

Frames saturatingAdd(Frames a, Frames b) noexcept {
    Frames sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) return b > 0 ? kMaxFrames : kMinFrames;
    return sum;
}

Frames saturatingSubtract(Frames a, Frames b) noexcept {
    Frames difference = 0;
    if (__builtin_sub_overflow(a, b, &difference)) return b < 0 ? kMaxFrames : kMinFrames;
    return difference;
}

// Real frame count (>= 0) to the frame number drop-frame counting shows: the first minute of every
// ten keeps all its numbers, each of the other nine skips the first `drop`.
Frames adjustForDropFrameDisplay(Frames totalFrames, Frames nominal, Frames drop) noexcept {
    const Frames perMinute = nominal * 60;
    const Frames perTenMinutes = nominal * 600 - 9 * drop;
    const Frames tens = totalFrames / perTenMinutes;
    const Frames remainder = totalFrames - tens * perTenMinutes;
    const Frames extra =
        remainder < perMinute ? 0 : std::min<Frames>((remainder - perMinute) / (perMinute - drop) + 1, 9);
    // tens <= INT64_MAX / 17982, so only the final sum can leave the range.
    return saturatingAdd(totalFrames, drop * (9 * tens + extra));
}

std::string twoDigits(Frames value) {
    std::string text = std::to_string(value);
    if (text.size() < 2) text.insert(0, 1, '0');
    return text;
}

// Calls `visit` with each non-empty piece of `text` between separator characters.
template <class Visit>
void forEachPiece(std::string_view text, std::string_view separators, Visit&& visit) {
    while (!text.empty()) {
        const std::size_t cut = text.find_first_of(separators);
        const std::string_view piece = text.substr(0, cut);
        if (!piece.empty()) visit(piece);
        if (cut == std::string_view::npos) break;
        text.remove_prefix(cut + 1);
    }
}

// A double to a frame count, truncating toward zero; nothing unless finite and in range.
std::optional<Frames> truncatedFrames(double value) noexcept {
    if (!std::isfinite(value)) return std::nullopt;
    const double whole = std::trunc(value);
    // -2^63 and 2^63 are exact doubles; the range is [-2^63, 2^63).
    if (whole < -9223372036854775808.0 || whole >= 9223372036854775808.0) return std::nullopt;
    return static_cast<Frames>(whole);
}

}  // namespace

std::string framesToTimecode(std::int64_t frames, FrameRate rate) {
    const char separator = isDropFrame(rate) ? ';' : ':';
    if (frames < 0) return std::string("00:00:00") + separator + "00";

    const Frames nominal = nominalFPS(rate);
    const Frames n =
        isDropFrame(rate) ? adjustForDropFrameDisplay(frames, nominal, droppedNumbersPerMinute(rate)) : frames;
    const Frames totalSeconds = n / nominal;
    const Frames hours = totalSeconds / 3600;
    const Frames minutes = (totalSeconds / 60) % 60;
    const Frames seconds = totalSeconds % 60;
    const Frames frameField = n - totalSeconds * nominal;
    return twoDigits(hours) + ':' + twoDigits(minutes) + ':' + twoDigits(seconds) + separator + twoDigits(frameField);
}

std::optional<std::int64_t> timecodeToFrames(std::string_view timecode, FrameRate rate) noexcept {
    Frames fields[4] = {};
    int count = 0;
    forEachPiece(timecode, ":;", [&](std::string_view piece) {
        const auto number = platform::parseDecimalInteger<Frames>(piece);
        if (!number) return;
        if (count < 4) fields[count] = *number;
        ++count;
    });
    if (count != 4) return std::nullopt;
    const auto [hours, minutes, seconds, frameField] = fields;

    const Frames nominal = nominalFPS(rate);
    Frames hourFrames = 0, minuteFrames = 0, secondFrames = 0, total = 0;
    if (__builtin_mul_overflow(hours, 3600 * nominal, &hourFrames) ||
        __builtin_mul_overflow(minutes, 60 * nominal, &minuteFrames) ||
        __builtin_mul_overflow(seconds, nominal, &secondFrames) ||
        __builtin_add_overflow(hourFrames, minuteFrames, &total) ||
        __builtin_add_overflow(total, secondFrames, &total) || __builtin_add_overflow(total, frameField, &total))
        return std::nullopt;

    if (isDropFrame(rate)) {
        // Minutes elapsed, less the tenth minutes, each skipped `drop` numbers; / truncates toward zero.
        Frames totalMinutes = 0, skipped = 0;
        if (__builtin_mul_overflow(hours, Frames{60}, &totalMinutes) ||
            __builtin_add_overflow(totalMinutes, minutes, &totalMinutes) ||
            __builtin_mul_overflow(totalMinutes - totalMinutes / 10, droppedNumbersPerMinute(rate), &skipped) ||
            __builtin_sub_overflow(total, skipped, &total))
            return std::nullopt;
    }
    return total;
}

std::optional<CMTimeFraction> parseCMTimeFraction(std::string_view text) noexcept {
    std::string_view pieces[2];
    int count = 0;
    forEachPiece(text, "/", [&](std::string_view piece) {
        if (count < 2) pieces[count] = piece;
        ++count;
    });
    if (count != 2) return std::nullopt;
    const auto value = platform::parseDecimalInteger<std::int64_t>(pieces[0]);
    const auto timescale = platform::parseDecimalInteger<std::int32_t>(pieces[1]);
    if (!value || !timescale || *timescale == 0) return std::nullopt;
    return CMTimeFraction{*value, *timescale};
}

std::optional<double> parseCMTimeString(std::string_view text) noexcept {
    const auto fraction = parseCMTimeFraction(text);
    if (!fraction) return std::nullopt;
    return static_cast<double>(fraction->value) / static_cast<double>(fraction->timescale);
}

std::optional<TimeRange> parseCMTimeRangeString(std::string_view text) {
    std::string bare;
    bare.reserve(text.size());
    for (const char c : text)
        if (c != '{' && c != '}' && c != '(' && c != ')') bare.push_back(c);

    std::string_view pieces[2];
    int count = 0;
    forEachPiece(bare, ",", [&](std::string_view piece) {
        if (count < 2) pieces[count] = piece;
        ++count;
    });
    if (count != 2) return std::nullopt;
    const auto start = parseCMTimeString(pieces[0]);
    const auto duration = parseCMTimeString(pieces[1]);
    if (!start || !duration) return std::nullopt;
    return TimeRange{*start, *duration};
}

std::optional<std::int64_t> cmTimeStringToFrames(std::string_view text, FrameRate rate) noexcept {
    const auto seconds = parseCMTimeString(text);
    if (!seconds) return std::nullopt;
    return truncatedFrames(*seconds * fps(rate) + 0.5);
}

std::string sourceTimecodeAtPosition(std::int64_t timelineFrame, std::int64_t clipTimelineIn, std::int64_t clipSourceIn,
                                     std::int64_t sourceStartTC, FrameRate rate) {
    const Frames offset = saturatingSubtract(timelineFrame, clipTimelineIn);
    return framesToTimecode(saturatingAdd(saturatingAdd(sourceStartTC, clipSourceIn), offset), rate);
}

std::optional<std::string> addTimecodes(std::string_view a, std::string_view b, FrameRate rate) {
    const auto first = timecodeToFrames(a, rate);
    const auto second = timecodeToFrames(b, rate);
    if (!first || !second) return std::nullopt;
    Frames sum = 0;
    if (__builtin_add_overflow(*first, *second, &sum)) return std::nullopt;
    return framesToTimecode(sum, rate);
}

std::optional<std::string> subtractTimecodes(std::string_view a, std::string_view b, FrameRate rate) {
    const auto first = timecodeToFrames(a, rate);
    const auto second = timecodeToFrames(b, rate);
    if (!first || !second) return std::nullopt;
    Frames difference = 0;
    if (__builtin_sub_overflow(*first, *second, &difference)) {
        // Past the bottom the true difference is negative, which clamps to zero exactly.
        if (*second > 0) return framesToTimecode(0, rate);
        return std::nullopt;
    }
    return framesToTimecode(std::max<Frames>(difference, 0), rate);
}

}  // namespace brimlock::TimecodeCalculator
