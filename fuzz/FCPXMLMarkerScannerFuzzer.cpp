// Feeds arbitrary bytes to the FCPXML marker scanner. Only an XML error may come out; every position
// and rate must be finite, and the kind flags must agree with each other.
#include "QuilloToDoKit/QuilloToDoScan/FCPXMLMarkerScanner.h"
#include "fuzz/FuzzSupport.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using quillo::FCPXMLMarkerScanner::ScanError;
    std::vector<quillo::FCPXMLMarkerScanner::ScannedMarker> markers;
    try {
        markers = quillo::FCPXMLMarkerScanner::scan(std::span<const std::uint8_t>(data, size), "fuzz input");
    } catch (const ScanError& error) {
        require(error.kind() == ScanError::Kind::xmlError);
        return 0;
    }
    for (const auto& marker : markers) {
        require(std::isfinite(marker.positionSeconds));
        require(std::isfinite(marker.framesPerSecond) && marker.framesPerSecond != 0);
        require(!marker.isTodo || (marker.completed.has_value() && !marker.isChapter));
        require(marker.isChapter || !marker.chapterNote.has_value());
    }
    return 0;
}
