#pragma once

#include <functional>
#include <type_traits>
#include <vector>

namespace quillo::testing {

// One value per element, in order, so that a test compares a whole list at once: `project` is a
// member pointer (applied to elements or to pointers to them) or any callable.
template <class Range, class Projection>
auto projected(const Range& range, Projection project) {
    using Value = std::remove_cvref_t<std::invoke_result_t<Projection&, decltype(*std::begin(range))>>;
    std::vector<Value> values;
    for (const auto& element : range) values.push_back(std::invoke(project, element));
    return values;
}

}  // namespace quillo::testing
