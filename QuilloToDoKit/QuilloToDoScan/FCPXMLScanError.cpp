#include "QuilloToDoKit/QuilloToDoScan/FCPXMLScanError.h"

namespace quillo::FCPXMLMarkerScanner {

namespace {

std::string messageFor(ScanError::Kind kind, const std::string& payload) {
    switch (kind) {
    case ScanError::Kind::fileNotFound: return "FCPXML file not found: " + payload;
    case ScanError::Kind::notReadable: return "FCPXML file could not be read: " + payload;
    case ScanError::Kind::xmlError: return "FCPXML could not be parsed: " + payload;
    }
    return payload;
}

}  // namespace

ScanError::ScanError(Kind kind, std::string payload)
    : std::runtime_error(messageFor(kind, payload)), kind_(kind), payload_(std::move(payload)) {}

}  // namespace quillo::FCPXMLMarkerScanner
