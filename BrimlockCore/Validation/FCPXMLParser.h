#pragma once

#include "BrimlockCore/Validation/FCPXMLDocument.h"
#include "BrimlockCore/Validation/FCPXMLParseError.h"
#include "BrimlockCore/Validation/FCPXMLRational.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

// Reads an FCPXML document into its sequences and the clips on each one's primary storyline, so that a
// timeline resolved from an event database can be checked against what Final Cut Pro exports. Keeps no
// state: calls may run on any threads at once.
namespace brimlock::FCPXMLParser {

// The largest file parse(contentsOf) reads: 200 MiB.
inline constexpr std::uint64_t kMaximumFileBytes = 209'715'200;

// A file, or an "fcpxmld" bundle (any directory) read through its "Info.fcpxml". Throws ParseError:
// fileNotFound (naming the given path) when nothing exists there; tooLarge past kMaximumFileBytes and
// notReadable when the file cannot be read (both naming the resolved file); xmlError as parse(data).
// Throws XMLSecurityError when the document declares an entity.
Document parse(const std::filesystem::path& contentsOf);

// A document in memory. `name` labels the document in the XMLSecurityError thrown when it declares an
// entity. Throws ParseError::xmlError with expat's description and " (line N)" for malformed XML; no
// partial document is returned.
Document parse(std::span<const std::uint8_t> data, const std::string& name);

}  // namespace brimlock::FCPXMLParser
