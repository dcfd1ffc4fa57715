#include "BrimlockCore/Timecode/FrameRate.h"

#include <cmath>

namespace brimlock {

std::optional<FrameRate> frameRateFrom(std::int64_t sampleDuration, std::int32_t timescale) noexcept {
    // A zero duration gives an infinite rate and a zero timescale a zero (or NaN) rate: both match
    // no band, so no integer conversion or division by zero happens here.
    const double rate = 1.0 / (static_cast<double>(sampleDuration) / static_cast<double>(timescale));
    const double r = std::round(rate * 100.0) / 100.0;
    if (r >= 23.97 && r <= 23.98) return FrameRate::fps23_976;
    if (r == 24.0) return FrameRate::fps24;
    if (r == 25.0) return FrameRate::fps25;
    if (r >= 29.96 && r <= 29.98) return FrameRate::fps29_97ndf;
    if (r == 30.0) return FrameRate::fps30;
    if (r >= 47.94 && r <= 47.96) return FrameRate::fps47_952;
    if (r == 48.0) return FrameRate::fps48;
    if (r == 50.0) return FrameRate::fps50;
    if (r >= 59.93 && r <= 59.95) return FrameRate::fps59_94ndf;
    if (r == 60.0) return FrameRate::fps60;
    return std::nullopt;
}

}  // namespace brimlock
