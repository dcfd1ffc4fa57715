#pragma once

#include "Platform/Foundation/Coding.h"

#include <string>

namespace brimlock {

// The clip active for one role within a display segment.
class ActiveRoleClip {
public:
    ActiveRoleClip(std::string roleName, std::string mediaFilename);

    const std::string& roleName() const noexcept { return roleName_; }
    const std::string& mediaFilename() const noexcept { return mediaFilename_; }

private:
    std::string roleName_;
    std::string mediaFilename_;
};

// Keys "roleName", "mediaFilename", both required.
platform::JSON encode(const ActiveRoleClip& clip, const platform::CodingPath& path = {});
ActiveRoleClip decodeActiveRoleClip(const platform::JSON& value, const platform::CodingPath& path = {});

}  // namespace brimlock
