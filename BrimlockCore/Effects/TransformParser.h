#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Reads the position, scale, rotation and anchor of a transform effect from its OZ XML.
namespace brimlock::TransformParser {

// Every value is finite when it comes from parse(). Units are those of the document.
struct TransformValues {
    double positionX = 0;
    double positionY = 0;
    double positionZ = 0;
    double scaleX = 1.0;
    double scaleY = 1.0;
    double rotation = 0;
    double anchorX = 0;
    double anchorY = 0;

    // Any field other than its default, by exact comparison.
    bool isModified() const noexcept;
    // The mean of the two scales as a whole percentage, halves rounded away from zero: "75%" for scales
    // 1.0 and 0.5. Written in full decimal digits however large; "inf%" or "nan%" when the percentage is
    // not finite.
    std::string scalePercentage() const;
};

// Nothing when the data declares XML entities or is not UTF-8. A malformed document is not a failure:
// the values read before the error are returned, the rest keep their defaults.
std::optional<TransformValues> parse(std::span<const std::uint8_t> channelData);
// The same for text; nothing when it is not valid UTF-8.
std::optional<TransformValues> parse(std::string_view xmlString);

}  // namespace brimlock::TransformParser
