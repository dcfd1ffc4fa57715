#pragma once

namespace quillo::testing {

// How a marker is written: standard (neither flag), to-do ("isTodo" true) or chapter ("isChapter"
// true).
enum class MarkerType { standard, todo, chapter };

}  // namespace quillo::testing
