#pragma once

#include "BrimlockCore/PropertyList/DecodedBlob.h"
#include "BrimlockCore/Timecode/TimecodeCalculator.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Strict reads of a decoded blob's root values for the resolvers: a value of another kind counts as
// absent, and nothing is converted (an integer 1 is no Boolean, a text "1" no integer). Views stay
// valid while the blob lives.
namespace brimlock::BlobFields {

inline std::optional<std::string_view> text(const BlobDecoder::DecodedBlob& blob, std::string_view key) noexcept {
    const auto value = blob.value(key);
    return value ? value->string() : std::nullopt;
}

inline std::optional<std::string> ownedText(const BlobDecoder::DecodedBlob& blob, std::string_view key) {
    const auto found = text(blob, key);
    return found ? std::optional<std::string>(*found) : std::nullopt;
}

inline std::optional<bool> boolean(const BlobDecoder::DecodedBlob& blob, std::string_view key) noexcept {
    const auto value = blob.value(key);
    return value ? value->boolean() : std::nullopt;
}

// An integer that fits int64_t.
inline std::optional<std::int64_t> integer(const BlobDecoder::DecodedBlob& blob, std::string_view key) noexcept {
    const auto value = blob.value(key);
    return value ? value->integer() : std::nullopt;
}

// A text value that parseCMTimeRangeString reads: (start, duration), or for "anchorPair" the two
// anchor points (first, second).
inline std::optional<TimecodeCalculator::TimeRange> timeRange(const BlobDecoder::DecodedBlob& blob,
                                                              std::string_view key) {
    const auto found = text(blob, key);
    return found ? TimecodeCalculator::parseCMTimeRangeString(*found) : std::nullopt;
}

}  // namespace brimlock::BlobFields
