#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The one way the library reader drives expat (OZ XML, FCPXML, XML property lists). Every document that
// declares an entity is refused, textually (XMLSecurity) and again by expat itself wherever the
// declaration is: past the textual guard's first 64 KiB, after a comment, in UTF-16, after an unresolved
// parameter-entity reference. External entities and external DTD subsets are never read. Namespace
// processing is off: names arrive as written.
namespace brimlock::ExpatParser {

// The attributes of one element start. Valid only during the startElement call that receives them.
class Attributes {
public:
    // `pairs` is expat's null-terminated array of name, value, name, value, ...
    explicit Attributes(const char* const* pairs) noexcept : pairs_(pairs) {}

    // The value of the attribute with exactly this name (expat refuses duplicate names).
    std::optional<std::string_view> value(std::string_view name) const noexcept;

private:
    const char* const* pairs_;
};

// Receives the events of one parse, in document order. Text is UTF-8 whatever the document's encoding.
// Character data may arrive in several pieces for one run of text. A callback that throws stops the
// parse; parse() rethrows the exception once expat has returned (nothing unwinds through expat).
class Handler {
public:
    virtual ~Handler() = default;
    virtual void startElement(std::string_view name, const Attributes& attributes);
    virtual void endElement(std::string_view name);
    virtual void characterData(std::string_view text);
};

struct Result {
    bool wellFormed = true;
    // Expat's description of the first error (for example "mismatched tag"); empty when well-formed.
    std::string errorDescription;
    // The 1-based line at which expat stopped; 0 when well-formed.
    std::uint64_t errorLine = 0;
};

// Parses one whole document. A malformed document is not an exception: the handler has seen every event
// before the error, and the result describes it.
// Throws XMLSecurityError(entityDeclarationsRejected, documentName) when the document declares an entity;
// `documentName` only labels the document in that message. Rethrows what a handler threw.
Result parse(std::span<const std::uint8_t> document, const std::string& documentName, Handler& handler);

}  // namespace brimlock::ExpatParser
