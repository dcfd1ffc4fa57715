#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// The textual half of the XML entity guard. The other half is in ExpatParser, which stops at any entity
// declaration expat meets; every XML input of the library reader goes through ExpatParser, so both halves
// always apply.
namespace brimlock::XMLSecurity {

// How many leading bytes the textual guard looks at, however large the document.
inline constexpr std::size_t kScannedByteCount = 65'536;

// Throws XMLSecurityError(entityDeclarationsRejected, name) when the prolog (the text before the first
// "<" followed by a letter, within the first kScannedByteCount bytes) contains "<!ENTITY", case-sensitive.
// Makes no check when those bytes are not UTF-8, including when they end inside a multi-byte character.
// `name` only labels the document in the message.
void rejectXMLEntityDeclarations(std::span<const std::uint8_t> data, const std::string& name);

}  // namespace brimlock::XMLSecurity
