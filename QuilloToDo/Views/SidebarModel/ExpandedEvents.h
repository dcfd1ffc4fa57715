#pragma once

#include <set>
#include <string>
#include <string_view>

// The sidebar's expanded events as stored under "QuilloToDo.ExpandedEvents": the event ids sorted by
// code point, joined with U+0001, nothing before the first or after the last; the empty set is the
// empty text. Reading splits at every U+0001 and drops empty pieces, so stray separators are
// harmless. Ids of events that no longer exist are kept by every rewrite.
namespace quillo::ExpandedEvents {

// Ids in canonical (NFC) form: equivalent spellings are one id, and byte order is code-point order.
using IDSet = std::set<std::string>;

IDSet decode(std::string_view stored);
std::string encode(const IDSet& ids);
// The stored value with `id` added when it was absent and removed when it was present.
std::string toggled(std::string_view stored, std::string_view id);

}  // namespace quillo::ExpandedEvents
