#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace brimlock {

// The twelve timeline rates the library reader knows. Equality is by case: the drop-frame and the
// non-drop 29.97 (and 59.94) cases are different values although their rationals are equal.
enum class FrameRate {
    fps23_976,
    fps24,
    fps25,
    fps29_97df,
    fps29_97ndf,
    fps30,
    fps47_952,
    fps48,
    fps50,
    fps59_94df,
    fps59_94ndf,
    fps60,
};

// The exact rate in frames per second, num / den.
struct FrameRateRational {
    std::int64_t num;
    std::int64_t den;
};

struct FrameRateProperties {
    FrameRate rate;
    std::string_view caseName;  // the coding key and the name tools print
    FrameRateRational rational;
    // Frames per timecode second: the rate rounded up to a whole number.
    std::int64_t nominalFPS;
    // Drop-frame counting after SMPTE ST 12-1: at 29.97 the frame numbers ;00 and ;01 are skipped
    // at the start of every minute except each tenth (00, 10, 20, ...); at 59.94 the numbers ;00 to
    // ;03. Frames themselves are never dropped, only their numbers.
    bool isDropFrame;
    std::string_view timecodeRateString;  // short label; drop-frame labels end in "d"
};

// One row per case, in case order (checked below).
inline constexpr auto kFrameRateTable = std::to_array<FrameRateProperties>({
    {FrameRate::fps23_976, "fps23_976", {24000, 1001}, 24, false, "23.976"},
    {FrameRate::fps24, "fps24", {24, 1}, 24, false, "24"},
    {FrameRate::fps25, "fps25", {25, 1}, 25, false, "25"},
    {FrameRate::fps29_97df, "fps29_97df", {30000, 1001}, 30, true, "29.97d"},
    {FrameRate::fps29_97ndf, "fps29_97ndf", {30000, 1001}, 30, false, "29.97"},
    {FrameRate::fps30, "fps30", {30, 1}, 30, false, "30"},
    {FrameRate::fps47_952, "fps47_952", {48000, 1001}, 48, false, "47.952"},
    {FrameRate::fps48, "fps48", {48, 1}, 48, false, "48"},
    {FrameRate::fps50, "fps50", {50, 1}, 50, false, "50"},
    {FrameRate::fps59_94df, "fps59_94df", {60000, 1001}, 60, true, "59.94d"},
    {FrameRate::fps59_94ndf, "fps59_94ndf", {60000, 1001}, 60, false, "59.94"},
    {FrameRate::fps60, "fps60", {60, 1}, 60, false, "60"},
});

static_assert([] {
    for (std::size_t i = 0; i < kFrameRateTable.size(); ++i)
        if (static_cast<std::size_t>(kFrameRateTable[i].rate) != i) return false;
    return true;
}());
static_assert(kFrameRateTable.size() == static_cast<std::size_t>(FrameRate::fps60) + 1);

constexpr const FrameRateProperties& properties(FrameRate rate) noexcept {
    return kFrameRateTable[static_cast<std::size_t>(rate)];
}

constexpr FrameRateRational rational(FrameRate rate) noexcept { return properties(rate).rational; }
// num / den in double arithmetic, never a rounded constant such as 29.97.
constexpr double fps(FrameRate rate) noexcept {
    return static_cast<double>(rational(rate).num) / static_cast<double>(rational(rate).den);
}
constexpr std::int64_t nominalFPS(FrameRate rate) noexcept { return properties(rate).nominalFPS; }
constexpr bool isDropFrame(FrameRate rate) noexcept { return properties(rate).isDropFrame; }
// The numerator of the rational: the timescale at which a frame is a whole number of units.
constexpr std::int32_t fcpTimescale(FrameRate rate) noexcept { return static_cast<std::int32_t>(rational(rate).num); }
constexpr std::string_view timecodeRateString(FrameRate rate) noexcept { return properties(rate).timecodeRateString; }
constexpr std::string_view caseName(FrameRate rate) noexcept { return properties(rate).caseName; }

// Classifies a media frame duration of `sampleDuration` / `timescale` seconds. The rate is rounded
// to two decimals (half away from zero) and matched against bands with inclusive bounds:
// [23.97, 23.98] -> fps23_976, 24, 25, [29.96, 29.98] -> fps29_97ndf, 30, [47.94, 47.96] -> fps47_952,
// 48, 50, [59.93, 59.95] -> fps59_94ndf, 60. A media duration cannot tell drop-frame counting, so
// the drop-frame cases are never returned. Zero, negative or unmatched durations give nothing.
std::optional<FrameRate> frameRateFrom(std::int64_t sampleDuration, std::int32_t timescale) noexcept;

}  // namespace brimlock
