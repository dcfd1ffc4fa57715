// Prints what the FCPXML parser reads from a file or "fcpxmld" bundle as one JSON object on stdout:
//   fcpxml-sequences FILE
// {"version", "sequences": [...], "primaryTimelineIndex"}; absent values are null.

#include "BrimlockCore/XML/XMLSecurityError.h"
#include "BrimlockCore/Validation/FCPXMLParser.h"
#include "Platform/Foundation/Coding.h"

#include <iostream>

namespace {

namespace fcpxml = brimlock::FCPXMLParser;

platform::JSON orNull(const std::optional<std::string>& value) {
    return value ? platform::JSON(*value) : platform::JSON();
}

platform::JSON rationalJSON(const fcpxml::Rational& value) {
    return {{"numerator", value.numerator}, {"denominator", value.denominator}};
}

platform::JSON rationalJSON(const std::optional<fcpxml::Rational>& value) {
    return value ? rationalJSON(*value) : platform::JSON();
}

platform::JSON clipJSON(const fcpxml::SpineClip& clip) {
    platform::JSON out = platform::JSON::object();
    out["elementType"] = clip.elementType;
    out["name"] = clip.name;
    out["ref"] = orNull(clip.ref);
    out["assetUID"] = orNull(clip.assetUID);
    out["resourceName"] = orNull(clip.resourceName);
    out["offset"] = rationalJSON(clip.offset);
    out["start"] = rationalJSON(clip.start);
    out["duration"] = rationalJSON(clip.duration);
    out["isGap"] = clip.isGap();
    out["isTransition"] = clip.isTransition();
    return out;
}

platform::JSON sequenceJSON(const fcpxml::Sequence& sequence) {
    platform::JSON clips = platform::JSON::array();
    for (const auto& clip : sequence.clips) clips.push_back(clipJSON(clip));
    platform::JSON out = platform::JSON::object();
    out["name"] = sequence.name;
    out["kind"] = std::string(fcpxml::rawValue(sequence.kind));
    out["formatID"] = orNull(sequence.formatID);
    out["frameDuration"] = rationalJSON(sequence.frameDuration);
    out["tcStartSeconds"] = sequence.tcStartSeconds;
    out["isEventTimeline"] = sequence.isEventTimeline;
    out["fps"] = sequence.fps();
    out["clips"] = std::move(clips);
    return out;
}

platform::JSON documentJSON(const fcpxml::Document& document) {
    platform::JSON sequences = platform::JSON::array();
    for (const auto& sequence : document.sequences) sequences.push_back(sequenceJSON(sequence));
    platform::JSON out = platform::JSON::object();
    out["version"] = orNull(document.version);
    out["sequences"] = std::move(sequences);
    const fcpxml::Sequence* primary = document.primaryTimeline();
    out["primaryTimelineIndex"] = primary ? platform::JSON(primary - document.sequences.data()) : platform::JSON();
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') {
        std::cerr << "usage: fcpxml-sequences FILE\n";
        return 2;
    }
    try {
        std::cout << platform::serializeJSON(documentJSON(fcpxml::parse(std::filesystem::path(argv[1])))) << '\n';
    } catch (const fcpxml::ParseError& error) {
        std::cerr << error.what() << '\n';
        return 1;
    } catch (const brimlock::XMLSecurityError& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 0;
}
