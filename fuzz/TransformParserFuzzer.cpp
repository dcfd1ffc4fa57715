// Feeds arbitrary bytes to the transform parser, as channel data and as text, and to the entity guard.
// Both forms must agree; a document the textual guard refuses must give nothing; one that cannot
// declare an entity (no "ENTITY" and no zero byte, so no UTF-16 either) must not be refused; every
// value read must be finite.
#include "BrimlockCore/Effects/TransformParser.h"
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

    const auto fromData = brimlock::TransformParser::parse(bytes);
    const auto fromText = brimlock::TransformParser::parse(text);
    require(fromData.has_value() == fromText.has_value());
    if (refusedByText || !platform::isValidUTF8(text)) {
        require(!fromData.has_value());
        return 0;
    }
    const bool cannotDeclare = fuzz::cannotDeclareEntity(text);
    require(fromData.has_value() || !cannotDeclare);
    if (!fromData) return 0;

    const auto& a = *fromData;
    const auto& b = *fromText;
    for (const double value :
         {a.positionX, a.positionY, a.positionZ, a.scaleX, a.scaleY, a.rotation, a.anchorX, a.anchorY})
        require(std::isfinite(value));
    require(a.positionX == b.positionX && a.positionY == b.positionY && a.positionZ == b.positionZ &&
            a.scaleX == b.scaleX && a.scaleY == b.scaleY && a.rotation == b.rotation && a.anchorX == b.anchorX &&
            a.anchorY == b.anchorY);
    const std::string percentage = a.scalePercentage();
    require(!percentage.empty() && percentage.back() == '%');
    (void)a.isModified();
    return 0;
}
