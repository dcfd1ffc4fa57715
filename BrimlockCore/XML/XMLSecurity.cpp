#include "BrimlockCore/XML/XMLSecurity.h"

#include "BrimlockCore/XML/XMLSecurityError.h"
#include "Platform/Foundation/UnicodeText.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <string_view>

namespace brimlock::XMLSecurity {

namespace {

// Where the root element's start tag begins: the first "<" followed by a letter (any script), or the
// end of the text. `text` is valid UTF-8 and at most kScannedByteCount bytes long.
std::size_t prologLength(std::string_view text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t i = 0; i < length;) {
        UChar32 c;
        const std::int32_t at = i;
        U8_NEXT(bytes, i, length, c);
        if (c != '<' || i >= length) continue;
        std::int32_t next = i;
        UChar32 following;
        U8_NEXT(bytes, next, length, following);
        if (following >= 0 && u_hasBinaryProperty(following, UCHAR_ALPHABETIC)) return static_cast<std::size_t>(at);
    }
    return text.size();
}

}  // namespace

void rejectXMLEntityDeclarations(std::span<const std::uint8_t> data, const std::string& name) {
    const std::string_view head(reinterpret_cast<const char*>(data.data()), std::min(data.size(), kScannedByteCount));
    if (!platform::isValidUTF8(head)) return;
    if (head.substr(0, prologLength(head)).find("<!ENTITY") != std::string_view::npos)
        throw XMLSecurityError(XMLSecurityError::Kind::entityDeclarationsRejected, name);
}

}  // namespace brimlock::XMLSecurity
