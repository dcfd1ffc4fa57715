#include "BrimlockCore/Validation/ValidationReport.h"

namespace brimlock::TimelineValidator {

std::string_view rawValue(UnmatchedClip::Side side) noexcept {
    switch (side) {
    case UnmatchedClip::Side::fcpxml: return "fcpxml";
    case UnmatchedClip::Side::resolver: return "resolver";
    }
    return "fcpxml";
}

std::optional<UnmatchedClip::Side> sideFromRawValue(std::string_view text) noexcept {
    for (const auto side : {UnmatchedClip::Side::fcpxml, UnmatchedClip::Side::resolver}) {
        if (rawValue(side) == text) return side;
    }
    return std::nullopt;
}

std::string ValidationReport::summaryLine() const {
    return std::to_string(exactMatches) + "/" + std::to_string(comparedPairs) + " exact matches \u2014 " +
           std::to_string(mismatches.size()) + " field mismatch" + (mismatches.size() == 1 ? "" : "es") + ", " +
           std::to_string(unmatchedFCPXML.size()) + " in FCPXML only, " + std::to_string(unmatchedResolver.size()) +
           " in resolver only";
}

}  // namespace brimlock::TimelineValidator
