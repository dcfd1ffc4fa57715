#pragma once

#include "Platform/Foundation/Coding.h"

#include <cstdint>
#include <optional>
#include <string>

namespace brimlock {

// A request for the metadata at one timeline position. Only coded; nothing consumes it.
class BrimlockQuery {
public:
    BrimlockQuery(std::int64_t timelinePosition, double projectRate, std::optional<std::string> projectName);

    std::int64_t timelinePosition() const noexcept { return timelinePosition_; }
    // Frames per second of the project.
    double projectRate() const noexcept { return projectRate_; }
    const std::optional<std::string>& projectName() const noexcept { return projectName_; }

private:
    std::int64_t timelinePosition_;
    double projectRate_;
    std::optional<std::string> projectName_;
};

// Keys "timelinePosition", "projectRate", "projectName"; the first two required.
platform::JSON encode(const BrimlockQuery& query, const platform::CodingPath& path = {});
BrimlockQuery decodeBrimlockQuery(const platform::JSON& value, const platform::CodingPath& path = {});

}  // namespace brimlock
