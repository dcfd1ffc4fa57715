#pragma once

#include <stdexcept>
#include <string>

namespace quillo::FCPXMLMarkerScanner {

// Why an FCPXML file could not be scanned. what() is the kind's prefix ("FCPXML file not found: ") and the detail.
class ScanError : public std::runtime_error {
public:
    enum class Kind { fileNotFound, notReadable, xmlError };

    // `payload`: the path for fileNotFound and notReadable, the parser's message for xmlError.
    ScanError(Kind kind, std::string payload);

    Kind kind() const noexcept { return kind_; }
    const std::string& payload() const noexcept { return payload_; }

private:
    Kind kind_;
    std::string payload_;
};

}  // namespace quillo::FCPXMLMarkerScanner
