#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brimlock {

// The names of the open named "parameter" elements of an OZ XML document, outermost first. A
// "parameter" without a name is transparent: it adds no name, and its end removes none.
class OZParameterPath {
public:
    // At the start of a "parameter" element, with its "name" attribute.
    void enter(std::optional<std::string_view> name);
    // At the end of a "parameter" element.
    void leave() noexcept;

    // Empty when no named parameter is open.
    std::string_view innermostName() const noexcept;
    // The names joined with "/" ("Transform/Position/X"); empty when none is open.
    std::string_view joined() const noexcept { return joined_; }

private:
    std::string joined_;
    std::vector<std::size_t> nameStarts_;  // offset of each name in joined_
    std::vector<bool> named_;              // one per open "parameter" element
};

}  // namespace brimlock
