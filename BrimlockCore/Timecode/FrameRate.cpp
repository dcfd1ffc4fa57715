#include "BrimlockCore/Timecode/FrameRate.h"

#include <cmath>
#include <string>

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

platform::JSON encode(FrameRate rate, const platform::CodingPath&) {
    platform::JSON json = platform::JSON::object();
    json[std::string(caseName(rate))] = platform::JSON::object();
    return json;
}

FrameRate decodeFrameRate(const platform::JSON& value, const platform::CodingPath& path) {
    const platform::KeyedDecoder decoder(value, path);
    std::optional<FrameRate> found;
    int caseKeys = 0;
    for (const auto& row : frameRateTable) {
        if (decoder.contains(row.caseName)) {
            ++caseKeys;
            found = row.rate;
        }
    }
    if (caseKeys != 1 || !found)
        throw platform::DecodingError(platform::DecodingError::Kind::typeMismatch, path,
                                      "Invalid number of keys found, expected one.", "FrameRate");
    // Only the shape is checked: the payload-free case carries nothing in its container.
    (void)decoder.nestedDecoder(caseName(*found));
    return *found;
}

}  // namespace brimlock
