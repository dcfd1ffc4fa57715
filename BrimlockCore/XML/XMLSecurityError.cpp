#include "BrimlockCore/XML/XMLSecurityError.h"

namespace brimlock {

namespace {

std::string messageFor(XMLSecurityError::Kind kind, const std::string& documentName) {
    switch (kind) {
    case XMLSecurityError::Kind::entityDeclarationsRejected:
        return "'" + documentName +
               "' declares XML entities (<!ENTITY \u2026>), which Final Cut Pro never emits. Refusing to parse: this "
               "can be an XXE (local file disclosure) or billion-laughs (denial-of-service) payload, or a corrupt blob.";
    }
    return documentName;
}

}  // namespace

XMLSecurityError::XMLSecurityError(Kind kind, std::string documentName)
    : std::runtime_error(messageFor(kind, documentName)), kind_(kind), documentName_(std::move(documentName)) {}

}  // namespace brimlock
