#include "BrimlockCore/Model/MarkerInfo.h"

#include "BrimlockCore/Model/KeyedCoding.h"

namespace brimlock {

platform::JSON encode(const MarkerInfo& marker, const platform::CodingPath& path) {
    platform::JSON json = platform::JSON::object();
    json["text"] = marker.text;
    json["type"] = encode(marker.type, coding::childPath(path, "type"));
    coding::putIfPresent(json, "chapterNote", marker.chapterNote);
    return json;
}

MarkerInfo decodeMarkerInfo(const platform::JSON& value, const platform::CodingPath& path) {
    const platform::KeyedDecoder decoder(value, path);
    std::string text = decoder.decodeString("text");
    decoder.decodeString("type");  // reports a missing, null or non-text value
    const MarkerType type = decodeMarkerType(*coding::presentMember(value, "type"), decoder.pathFor("type"));
    return MarkerInfo{std::move(text), type, decoder.decodeStringIfPresent("chapterNote")};
}

}  // namespace brimlock
