#pragma once

#include "BrimlockCore/Model/MarkerType.h"

#include <cstdint>
#include <optional>
#include <string>

namespace brimlock {

// A marker found on a timeline by TimelineMarkerScanner.
struct ScannedMarker {
    // Z_PK of the marker's own collection row: its identity within the event database. The same
    // marker reached twice in one timeline comes with the same key.
    std::int64_t markerPK = 0;
    std::string text;  // "displayName"; "Marker" when missing or not text
    MarkerType type = MarkerType::standard;
    // To-do markers (any marker carrying "isTodo"): completed or not; absent when no completion key
    // decides, and always absent for markers without "isTodo".
    std::optional<bool> completed;
    std::optional<std::string> chapterNote;  // chapters only
    // Absent for markers on the primary storyline's own items; the connected item's role otherwise.
    std::optional<std::string> roleUID;
    // Seconds from the start of the timeline; may be negative, always finite.
    double timelinePositionSeconds = 0;
    // The edit's clip name, or the name of the connected or laid-in item the marker hangs on.
    std::optional<std::string> containingClipName;

    friend bool operator==(const ScannedMarker&, const ScannedMarker&) = default;
};

}  // namespace brimlock
