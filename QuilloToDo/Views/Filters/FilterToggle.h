#pragma once

#include <set>

namespace quillo {

// The set with `value` removed when it is in it, inserted otherwise: what a click on a filter chip
// does to the set it edits.
template <typename T>
std::set<T> toggled(std::set<T> set, const T& value) {
    if (set.erase(value) == 0) set.insert(value);
    return set;
}

}  // namespace quillo
