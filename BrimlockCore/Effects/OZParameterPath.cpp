#include "BrimlockCore/Effects/OZParameterPath.h"

namespace brimlock {

void OZParameterPath::enter(std::optional<std::string_view> name) {
    named_.push_back(name.has_value());
    if (!name) return;
    if (!nameStarts_.empty()) joined_ += '/';
    nameStarts_.push_back(joined_.size());
    joined_ += *name;
}

void OZParameterPath::leave() noexcept {
    if (named_.empty()) return;
    const bool wasNamed = named_.back();
    named_.pop_back();
    if (!wasNamed) return;
    const std::size_t start = nameStarts_.back();
    nameStarts_.pop_back();
    joined_.resize(start == 0 ? 0 : start - 1);  // drops the name and the "/" before it
}

std::string_view OZParameterPath::innermostName() const noexcept {
    if (nameStarts_.empty()) return {};
    return std::string_view(joined_).substr(nameStarts_.back());
}

}  // namespace brimlock
