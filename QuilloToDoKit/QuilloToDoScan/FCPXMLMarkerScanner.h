#pragma once

#include "QuilloToDoKit/QuilloToDoScan/FCPXMLScanError.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Markers straight from an FCPXML export instead of from a library's event databases: one streaming
// pass over the document with stacks of the open sequences and clips. Keeps no state between calls.
namespace quillo::FCPXMLMarkerScanner {

// One marker or chapter-marker element inside a sequence.
struct ScannedMarker {
    std::string text;  // "value"; empty when absent
    bool isChapter = false;
    // Carries "completed" and is not a chapter marker.
    bool isTodo = false;
    // Present when the element carries "completed": true only for exactly "1" ("0" and "true" are not).
    std::optional<bool> completed;
    std::optional<std::string> chapterNote;         // chapter markers' "note"
    std::optional<std::string> roleAttribute;       // "role" of the innermost open clip
    std::optional<std::string> containingClipName;  // "name" of the innermost open clip
    std::string sequenceName;                       // the enclosing project's name, or "Untitled"
    // The innermost clip's offset plus the marker's start minus the clip's start: a time in the element
    // that contains the clip (the timeline for a clip on the primary storyline). Finite.
    double positionSeconds = 0;
    double framesPerSecond = 24.0;  // of the sequence's format; 24.0 without one

    friend bool operator==(const ScannedMarker&, const ScannedMarker&) = default;
};

// A file, or an "fcpxmld" bundle (any directory) read through its "Info.fcpxml". The markers in
// document order. Throws ScanError: fileNotFound (the given path), notReadable (the resolved file),
// xmlError as scan(data).
std::vector<ScannedMarker> scan(const std::filesystem::path& contentsOf);

// A document in memory; `name` labels it in the message that refuses entity declarations. Throws
// ScanError::xmlError for malformed XML (expat's description and " (line N)") and for a document that
// declares an entity; no partial list is returned.
std::vector<ScannedMarker> scan(std::span<const std::uint8_t> data, const std::string& name);

}  // namespace quillo::FCPXMLMarkerScanner
