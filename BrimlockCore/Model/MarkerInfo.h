#pragma once

#include "BrimlockCore/Model/MarkerType.h"
#include "Platform/Foundation/Coding.h"

#include <optional>
#include <string>

namespace brimlock {

// One marker of a clip.
struct MarkerInfo {
    std::string text;
    MarkerType type = MarkerType::standard;
    std::optional<std::string> chapterNote;
};

// Keys "text", "type" (raw text), "chapterNote" (no key when absent); "text" and "type" required.
platform::JSON encode(const MarkerInfo& marker, const platform::CodingPath& path = {});
MarkerInfo decodeMarkerInfo(const platform::JSON& value, const platform::CodingPath& path = {});

}  // namespace brimlock
