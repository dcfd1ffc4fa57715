#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace brimlock::FCPXMLParser {

// Why an FCPXML file or document could not be read. what() is the kind's prefix ("FCPXML file not found: ") and the path or parser message.
class ParseError : public std::runtime_error {
public:
    enum class Kind { fileNotFound, notReadable, tooLarge, xmlError };

    static ParseError fileNotFound(std::string path);
    static ParseError notReadable(std::string path);
    static ParseError tooLarge(std::string path, std::int64_t byteCount);
    // `message` is the XML parser's description followed by " (line N)".
    static ParseError xmlError(std::string message);

    Kind kind() const noexcept { return kind_; }
    // The path the message names; empty for xmlError.
    const std::string& path() const noexcept { return path_; }
    // The size that tripped the guard (tooLarge); 0 for the other kinds.
    std::int64_t byteCount() const noexcept { return byteCount_; }
    // The XML parser's message (xmlError); empty for the other kinds.
    const std::string& xmlMessage() const noexcept { return xmlMessage_; }

private:
    ParseError(Kind kind, const std::string& message, std::string path, std::int64_t byteCount, std::string xmlMessage);

    Kind kind_;
    std::string path_;
    std::int64_t byteCount_;
    std::string xmlMessage_;
};

}  // namespace brimlock::FCPXMLParser
