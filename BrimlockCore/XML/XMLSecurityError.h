#pragma once

#include <stdexcept>
#include <string>

namespace brimlock {

// A refusal of the XML entity guard. what() is one line naming the document and why it is refused.
class XMLSecurityError : public std::runtime_error {
public:
    enum class Kind { entityDeclarationsRejected };

    XMLSecurityError(Kind kind, std::string documentName);

    Kind kind() const noexcept { return kind_; }
    // The label the caller gave the document; it only appears in the message.
    const std::string& documentName() const noexcept { return documentName_; }

private:
    Kind kind_;
    std::string documentName_;
};

}  // namespace brimlock
