#include "BrimlockCore/Validation/FCPXMLParseError.h"

namespace brimlock::FCPXMLParser {

ParseError::ParseError(Kind kind, const std::string& message, std::string path, std::int64_t byteCount,
                       std::string xmlMessage)
    : std::runtime_error(message),
      kind_(kind),
      path_(std::move(path)),
      byteCount_(byteCount),
      xmlMessage_(std::move(xmlMessage)) {}

ParseError ParseError::fileNotFound(std::string path) {
    return ParseError(Kind::fileNotFound, "FCPXML file not found: " + path, path, 0, {});
}

ParseError ParseError::notReadable(std::string path) {
    return ParseError(Kind::notReadable, "FCPXML file could not be read: " + path, path, 0, {});
}

ParseError ParseError::tooLarge(std::string path, std::int64_t byteCount) {
    const std::string message =
        "FCPXML file is too large to validate (" + std::to_string(byteCount / 1'048'576) + " MB): " + path +
        ". A real FCPXML export is a few MB at most \u2014 this file may be corrupt or crafted.";
    return ParseError(Kind::tooLarge, message, path, byteCount, {});
}

ParseError ParseError::xmlError(std::string message) {
    return ParseError(Kind::xmlError, "FCPXML could not be parsed: " + message, {}, 0, message);
}

}  // namespace brimlock::FCPXMLParser
