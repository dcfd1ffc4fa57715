#include "QuilloToDoKit/QuilloToDoScan/LibraryStructure.h"

#include "BrimlockCore/Database/DamagedStore.h"
#include "BrimlockCore/Database/LibraryScanner.h"

namespace quillo::LibraryStructureScanner {

std::vector<SidebarLibrary> structure(const std::vector<ScannedLibrarySource>& sources) {
    std::vector<SidebarLibrary> libraries;
    libraries.reserve(sources.size());
    for (const auto& source : sources) {
        brimlock::FCPLibrary library;
        // A library that cannot be listed gets no entry at all.
        if (!brimlock::whenStoreReadable([&] { library = brimlock::LibraryScanner::scan(source.url); })) continue;
        SidebarLibrary sidebarLibrary{source.bookmarkID, source.name, {}};
        sidebarLibrary.events.reserve(library.events.size());
        for (const auto& event : library.events) {
            SidebarEvent sidebarEvent{source.name, event.name, {}};
            sidebarEvent.timelines.reserve(event.timelines.size());
            for (const auto& timeline : event.timelines) sidebarEvent.timelines.push_back({timeline.id, timeline.name});
            sidebarLibrary.events.push_back(std::move(sidebarEvent));
        }
        libraries.push_back(std::move(sidebarLibrary));
    }
    return libraries;
}

}  // namespace quillo::LibraryStructureScanner
