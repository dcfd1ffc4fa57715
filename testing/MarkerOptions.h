#pragma once

#include "testing/Time.h"

#include <optional>
#include <string>

namespace quillo::testing {

struct MarkerOptions {
    std::optional<bool> completed{};            // written under `completionKey` when present
    std::string completionKey = "isCompleted";  // or "completed", "todoCompleted", "checked", ...
    std::optional<std::string> chapterNote{};   // "metadata" {"notes": ...}, for any marker type
    Time duration = Time(100, 2400);            // one frame at 24 fps
};

}  // namespace quillo::testing
