#pragma once

#include <stdexcept>
#include <string>

namespace brimlock {

// Bytes that are not a well-formed property list, or one past the reader's limits. The message
// says what was wrong (and for XML, on which line).
class PropertyListError : public std::runtime_error {
public:
    explicit PropertyListError(const std::string& message);
};

}  // namespace brimlock
