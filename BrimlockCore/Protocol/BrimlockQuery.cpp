#include "BrimlockCore/Protocol/BrimlockQuery.h"

#include "BrimlockCore/Model/KeyedCoding.h"

#include <utility>

namespace brimlock {

BrimlockQuery::BrimlockQuery(std::int64_t timelinePosition, double projectRate, std::optional<std::string> projectName)
    : timelinePosition_(timelinePosition), projectRate_(projectRate), projectName_(std::move(projectName)) {}

platform::JSON encode(const BrimlockQuery& query, const platform::CodingPath& path) {
    platform::JSON json = platform::JSON::object();
    json["timelinePosition"] = query.timelinePosition();
    json["projectRate"] = platform::requireFinite(query.projectRate(), coding::childPath(path, "projectRate"));
    coding::putIfPresent(json, "projectName", query.projectName());
    return json;
}

BrimlockQuery decodeBrimlockQuery(const platform::JSON& value, const platform::CodingPath& path) {
    const platform::KeyedDecoder decoder(value, path);
    const std::int64_t timelinePosition = decoder.decodeInt64("timelinePosition");
    const double projectRate = decoder.decodeDouble("projectRate");
    return BrimlockQuery(timelinePosition, projectRate, decoder.decodeStringIfPresent("projectName"));
}

}  // namespace brimlock
