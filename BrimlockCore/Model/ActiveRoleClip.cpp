#include "BrimlockCore/Model/ActiveRoleClip.h"

#include <utility>

namespace brimlock {

ActiveRoleClip::ActiveRoleClip(std::string roleName, std::string mediaFilename)
    : roleName_(std::move(roleName)), mediaFilename_(std::move(mediaFilename)) {}

platform::JSON encode(const ActiveRoleClip& clip, const platform::CodingPath&) {
    platform::JSON json = platform::JSON::object();
    json["roleName"] = clip.roleName();
    json["mediaFilename"] = clip.mediaFilename();
    return json;
}

ActiveRoleClip decodeActiveRoleClip(const platform::JSON& value, const platform::CodingPath& path) {
    const platform::KeyedDecoder decoder(value, path);
    std::string roleName = decoder.decodeString("roleName");
    return ActiveRoleClip(std::move(roleName), decoder.decodeString("mediaFilename"));
}

}  // namespace brimlock
