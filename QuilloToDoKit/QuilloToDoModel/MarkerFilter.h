#pragma once

#include "QuilloToDoKit/QuilloToDoModel/MarkerKind.h"
#include "QuilloToDoKit/QuilloToDoModel/MarkerSearchTexts.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoStatus.h"

#include "Platform/Foundation/Coding.h"
#include "Platform/Foundation/UnicodeText.h"

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace quillo {

// Which to-do items the user sees: kinds, roles, statuses and a search text. An empty set or an empty
// search text sets no condition, so a filter with all four empty passes every item. Not hashable.
class MarkerFilter {
public:
    MarkerFilter(std::set<MarkerKind> kinds, const std::set<std::string>& roleUIDs, std::set<TodoStatus> statuses,
                 std::string searchText);

    const std::set<MarkerKind>& kinds() const noexcept { return kinds_; }
    void setKinds(std::set<MarkerKind> kinds) { kinds_ = std::move(kinds); }

    // Compared with an item's own `roleUID`, never its `topLevelRoleUID`; letter case counts. A
    // non-empty set also rejects items without a role. Held in canonical form (NFC), so that lookup
    // stays a set lookup under canonical equivalence: equivalent spellings become one element.
    const std::set<std::string>& roleUIDs() const noexcept { return roleUIDs_; }
    void setRoleUIDs(const std::set<std::string>& roleUIDs);

    const std::set<TodoStatus>& statuses() const noexcept { return statuses_; }
    void setStatuses(std::set<TodoStatus> statuses) { statuses_ = std::move(statuses); }

    // Not trimmed: a text of only spaces must be found like any other.
    const std::string& searchText() const noexcept { return searchText_; }
    void setSearchText(std::string searchText);

    // True when the item has one of `kinds`, its `roleUID` is one of `roleUIDs`, it has one of
    // `statuses`, and one of `text`, `rawText`, `assigneeName`, `libraryName`, `eventName`,
    // `timelineName` contains `searchText` ignoring letter case under the current locale (diacritics
    // count; canonically equivalent spellings are the same). Cheap: no allocation per item for ASCII
    // texts.
    bool matches(const TodoItem& item) const;
    // matches() for every item of `items`, by position, with the text search run once over `texts`,
    // the searched texts of the same items folded beforehand, instead of once per item: the same
    // answers for a fraction of the work. Texts folded under other case rules than the search text
    // (the locale changed), or of another number of items, are not used.
    std::vector<bool> matchesEach(const std::vector<TodoItem>& items, const MarkerSearchTexts& texts) const;

    // The sets as sets, the search texts under canonical equivalence.
    friend bool operator==(const MarkerFilter& a, const MarkerFilter& b);

private:
    // The kind, role and status conditions: everything but the search.
    bool passesSets(const TodoItem& item) const;

    std::set<MarkerKind> kinds_;
    std::set<std::string> roleUIDs_;
    std::set<TodoStatus> statuses_;
    std::string searchText_;
    platform::CaseInsensitiveSearch search_;  // searchText_, prepared once for every item
};

// An object with the arrays "kinds", "roleUIDs", "statuses" (raw values) and the string "searchText".
platform::JSON encode(const MarkerFilter& filter, const platform::CodingPath& path = {});
// All four members are required; a repeated array element is read once; other members are ignored.
// Throws platform::DecodingError naming the failing member's path.
MarkerFilter decodeMarkerFilter(const platform::JSON& value, const platform::CodingPath& path = {});

}  // namespace quillo
