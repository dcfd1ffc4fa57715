#pragma once

#include "BrimlockCore/XML/XMLSecurity.h"
#include "BrimlockCore/XML/XMLSecurityError.h"
#include "fuzz/FuzzSupport.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace fuzz {

// Whether the textual entity guard refuses the input; it may refuse for entity declarations only.
inline bool refusedByEntityGuard(std::span<const std::uint8_t> bytes) {
    try {
        brimlock::XMLSecurity::rejectXMLEntityDeclarations(bytes, "fuzz input");
    } catch (const brimlock::XMLSecurityError& error) {
        require(error.kind() == brimlock::XMLSecurityError::Kind::entityDeclarationsRejected);
        return true;
    }
    return false;
}

// No "ENTITY" and no zero byte (so no UTF-16 either): nothing the guard may refuse.
inline bool cannotDeclareEntity(std::string_view text) {
    return text.find("ENTITY") == std::string_view::npos && text.find('\0') == std::string_view::npos;
}

}  // namespace fuzz
