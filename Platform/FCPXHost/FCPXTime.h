#pragma once

#include <cmath>
#include <cstdint>
#include <optional>

namespace platform {

// A point in time as the host takes it: `value` / `timescale` seconds, `timescale` ticks per second
// (600 divides evenly into every common frame rate).
struct FCPXTime {
    std::int64_t value = 0;
    std::int32_t timescale = 1;

    // `seconds` at `timescale`, rounded to the nearest tick (halves away from zero). Nothing when
    // `seconds` is not finite, `timescale` is not positive, or the tick count does not fit `value`.
    static std::optional<FCPXTime> fromSeconds(double seconds, std::int32_t timescale) noexcept {
        if (!std::isfinite(seconds) || timescale <= 0) return std::nullopt;
        const double ticks = std::round(seconds * timescale);
        // 2^63 is exactly representable; every double below it converts without overflow.
        constexpr double kLimit = 9223372036854775808.0;
        if (!(ticks >= -kLimit && ticks < kLimit)) return std::nullopt;
        return FCPXTime{static_cast<std::int64_t>(ticks), timescale};
    }

    friend bool operator==(const FCPXTime&, const FCPXTime&) = default;
};

}  // namespace platform
