#pragma once

#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"
#include "QuilloToDoKit/QuilloToDoScan/ScannedLibrarySource.h"

#include <cstdint>
#include <mutex>
#include <string_view>
#include <vector>

namespace quillo {

// Turns every marker on every timeline of the watched libraries into a to-do item. Keeps nothing
// between scans: each call reads the bundles afresh, one resolver per timeline. Calls run one at a
// time, like an actor's.
class TodoScanner {
public:
    // Up to `maximumThreads` timelines are read at once (0 counts as 1), each thread on connections of
    // its own; the items come in the same order whatever the count.
    explicit TodoScanner(unsigned maximumThreads = defaultThreads());

    // Every core but one, which stays free for the thread that waits on the scan (a window's main
    // thread); 1 on a machine of one or two cores.
    static unsigned defaultThreads() noexcept;

    // Library after library in the given order; never fails: a library, event or timeline that cannot
    // be read adds nothing.
    std::vector<TodoItem> scan(const std::vector<ScannedLibrarySource>& libraries);

    // The stable id of a marker: the first 16 bytes of SHA-256 over the UTF-8 of
    // "<library name>|<timeline id>|<marker key>", plus "|<k>" for the k-th (k >= 2) occurrence of one
    // marker in one timeline, which a compound clip used twice produces.
    static platform::UUID itemID(std::string_view libraryName, std::string_view timelineID, std::int64_t markerPK,
                                 int occurrence = 1);

private:
    unsigned maximumThreads_;
    std::mutex scanning_;
};

}  // namespace quillo
