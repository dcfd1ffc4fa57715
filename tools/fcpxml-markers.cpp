// Prints the markers of an FCPXML file or "fcpxmld" bundle as one JSON array on stdout:
//   fcpxml-markers FILE
// Each marker is an object named by the record's fields; absent values are left out.

#include "Platform/Foundation/Coding.h"
#include "QuilloToDoKit/QuilloToDoScan/FCPXMLMarkerScanner.h"

#include <iostream>

namespace {

platform::JSON markerJSON(const quillo::FCPXMLMarkerScanner::ScannedMarker& marker) {
    platform::JSON out = platform::JSON::object();
    out["text"] = marker.text;
    out["isChapter"] = marker.isChapter;
    out["isTodo"] = marker.isTodo;
    if (marker.completed) out["completed"] = *marker.completed;
    if (marker.chapterNote) out["chapterNote"] = *marker.chapterNote;
    if (marker.roleAttribute) out["roleAttribute"] = *marker.roleAttribute;
    if (marker.containingClipName) out["containingClipName"] = *marker.containingClipName;
    out["sequenceName"] = marker.sequenceName;
    out["positionSeconds"] = marker.positionSeconds;
    out["framesPerSecond"] = marker.framesPerSecond;
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') {
        std::cerr << "usage: fcpxml-markers FILE\n";
        return 2;
    }
    try {
        platform::JSON out = platform::JSON::array();
        for (const auto& marker : quillo::FCPXMLMarkerScanner::scan(std::filesystem::path(argv[1])))
            out.push_back(markerJSON(marker));
        std::cout << platform::serializeJSON(out) << '\n';
    } catch (const quillo::FCPXMLMarkerScanner::ScanError& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 0;
}
