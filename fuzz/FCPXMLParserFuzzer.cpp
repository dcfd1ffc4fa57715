// Feeds arbitrary bytes to the FCPXML parser, then checks every sequence against the validator twice:
// against no entries and against entries made from its own clips. Only the parser's and the entity guard's
// errors may come out; every number must be finite and the report's counts must add up.
#include "BrimlockCore/XML/XMLSecurityError.h"
#include "BrimlockCore/Validation/FCPXMLParser.h"
#include "BrimlockCore/Validation/TimelineValidator.h"
#include "fuzz/FuzzSupport.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

using fuzz::require;

namespace {

namespace fcpxml = brimlock::FCPXMLParser;

brimlock::EditEntry entryFrom(const fcpxml::SpineClip& clip, double tcStart) {
    const double in = clip.offset.seconds() - tcStart;
    return brimlock::EditEntry{.collectionPK = 1,
                               .clipName = clip.name,
                               .timelineIn = in,
                               .timelineOut = in + clip.duration.seconds(),
                               .sourceIn = clip.start ? clip.start->seconds() : 0.0};
}

void check(const fcpxml::Sequence& sequence, const std::vector<brimlock::EditEntry>& entries) {
    const auto report = brimlock::TimelineValidator::validate(sequence, entries, 1, 2);
    require(report.comparedPairs + report.unmatchedFCPXML.size() == report.fcpxmlClipCount);
    require(report.comparedPairs + report.unmatchedResolver.size() == report.resolverEntryCount);
    require(report.exactMatches <= report.comparedPairs);
    require(report.passed() ==
            (report.mismatches.empty() && report.unmatchedFCPXML.empty() && report.unmatchedResolver.empty()));
    require(!report.summaryLine().empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fcpxml::Document document;
    try {
        document = fcpxml::parse(std::span<const std::uint8_t>(data, size), "fuzz input");
    } catch (const fcpxml::ParseError& error) {
        require(error.kind() == fcpxml::ParseError::Kind::xmlError);
        return 0;
    } catch (const brimlock::XMLSecurityError&) {
        return 0;
    }

    const fcpxml::Sequence* primary = document.primaryTimeline();
    require((primary == nullptr) == document.sequences.empty());
    for (const auto& sequence : document.sequences) {
        require(std::isfinite(sequence.fps()) && sequence.fps() != 0);
        require(std::isfinite(sequence.tcStartSeconds));
        require(document.sequence(sequence.name) != nullptr);
        std::vector<brimlock::EditEntry> entries;
        for (const auto& clip : sequence.clips) {
            require(std::isfinite(clip.offset.seconds()) && std::isfinite(clip.duration.seconds()));
            require(clip.isGap() == (clip.elementType == "gap"));
            entries.push_back(entryFrom(clip, sequence.tcStartSeconds));
        }
        check(sequence, {});
        check(sequence, entries);
    }
    return 0;
}
