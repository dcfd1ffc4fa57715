#pragma once

#include "BrimlockCore/Validation/FCPXMLRational.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>

namespace brimlock::FCPXMLParser {

// What a whole FCPXML document declares, gathered in a pass of its own before the document is read,
// so that a lookup does not depend on whether the declaration comes before or after its use (a media
// resource's sequence may name a format or an asset that the resources list later). Where an id is
// declared twice, the later declaration wins.
struct Resources {
    // format id -> its readable "frameDuration".
    std::map<std::string, Rational, std::less<>> formatFrameDurations;
    // asset id -> its "uid" (absent when the asset has none).
    std::map<std::string, std::optional<std::string>, std::less<>> assetUIDs;
    std::map<std::string, std::string, std::less<>> assetNames;  // asset id -> "name"
    std::map<std::string, std::string, std::less<>> mediaNames;  // media id -> "name"
    // The "ref" of every ref-clip directly inside an event: the media ids of the event's timelines.
    std::set<std::string, std::less<>> eventTimelineMediaRefs;

    // Reads `document` once. Malformed XML is not an error here: what precedes the error is kept, and
    // the reading pass reports the error. Throws XMLSecurityError(entityDeclarationsRejected,
    // documentName) when the document declares an entity.
    static Resources collect(std::span<const std::uint8_t> document, const std::string& documentName);
};

}  // namespace brimlock::FCPXMLParser
