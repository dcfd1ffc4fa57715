// Feeds arbitrary bytes to the retime parser and to the entity guard. A document the textual guard
// refuses must give nothing; one that cannot declare an entity (no "ENTITY" and no zero byte, so no
// UTF-16 either) must not be refused; every value read must be finite.
#include "BrimlockCore/Effects/RetimeParser.h"
#include "Platform/Foundation/UnicodeText.h"
#include "fuzz/EntityGuardChecks.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const std::string_view text = fuzz::textOf(data, size);
    const bool refusedByText = fuzz::refusedByEntityGuard(bytes);

    const auto values = brimlock::RetimeParser::parse(bytes);
    if (refusedByText || !platform::isValidUTF8(text)) {
        require(!values.has_value());
        return 0;
    }
    const bool cannotDeclare = fuzz::cannotDeclareEntity(text);
    require(values.has_value() || !cannotDeclare);
    if (!values) return 0;

    require(std::isfinite(values->speed));
    for (const auto& keypoint : values->timeMapKeypoints) {
        require(std::isfinite(keypoint.timelineSeconds) && std::isfinite(keypoint.sourceSeconds));
        require(std::isfinite(keypoint.inputTangentValue) && std::isfinite(keypoint.outputTangentValue));
    }
    require(brimlock::RetimeParser::frameSamplingMethodFromRawValue(
                brimlock::RetimeParser::rawValue(values->frameSampling)) == values->frameSampling);
    require(values->isSpeedRamp() == (values->timeMapKeypoints.size() > 2));
    require(values->effectiveSpeed().has_value() == (values->timeMapKeypoints.size() == 2));
    (void)values->isFreezeFrame();
    (void)values->isRetimed();
    return 0;
}
