#include "BrimlockCore/Model/FrameRateCoding.h"

#include <string>

namespace brimlock {

platform::JSON encode(FrameRate rate, const platform::CodingPath&) {
    platform::JSON json = platform::JSON::object();
    json[std::string(caseName(rate))] = platform::JSON::object();
    return json;
}

FrameRate decodeFrameRate(const platform::JSON& value, const platform::CodingPath& path) {
    const platform::KeyedDecoder decoder(value, path);
    std::optional<FrameRate> found;
    int caseKeys = 0;
    for (const auto& row : kFrameRateTable) {
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
