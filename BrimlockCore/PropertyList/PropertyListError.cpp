#include "BrimlockCore/PropertyList/PropertyListError.h"

namespace brimlock {

PropertyListError::PropertyListError(const std::string& message) : std::runtime_error(message) {}

}  // namespace brimlock
