#pragma once

#include "BrimlockCore/Model/FCPLibrary.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace brimlock {

class FCPDatabaseConnection;

// Finds the events of a library bundle and the timelines of each event. Reads only; keeps nothing
// between calls.
namespace LibraryScanner {

inline constexpr std::string_view kEventDatabaseFileName = "CurrentVersion.fcpevent";

// Folders that hold media, renders, analysis, shared items or templates: never entered.
inline constexpr auto kFcpInternalMediaFolderNames = std::to_array<std::string_view>({
    "Original Media",
    "Optimized Media",
    "Proxy Media",
    "Transcoded Media",
    "Render Files",
    "Analysis Files",
    "High Quality Media",
    "Shared Items",
    "Motion Templates",
});

// Never fails: a bundle that cannot be listed gives a library without events, an event whose
// database cannot be read is listed without timelines.
FCPLibrary scan(const std::filesystem::path& libraryURL);
// The same library with its events' timelines not read yet, for callers that open each event
// database themselves (timelinesOf, discoverTimelines).
FCPLibrary listEvents(const std::filesystem::path& libraryURL);

// discoverTimelines on a connection of its own; none when the database cannot be opened or its
// project-data root cannot be queried.
std::vector<FCPTimelineInfo> timelinesOf(const std::filesystem::path& databaseURL);

// The real timelines of one event database. Throws FCPDatabaseError when the project-data root cannot
// be queried; any later failure skips only the candidate or the detail it concerns.
std::vector<FCPTimelineInfo> discoverTimelines(FCPDatabaseConnection& db);

// Databases directly below the library folder that hold at least one asset. Throws
// std::filesystem::filesystem_error when the library folder cannot be listed.
std::vector<std::filesystem::path> findMediaFilesDatabases(const std::filesystem::path& libraryURL);

}  // namespace LibraryScanner
}  // namespace brimlock
