// Prints what the scanners make of library bundles, as JSON on stdout.
//   quillotodo-scan BUNDLE...               the to-dos, as one line: the todoList message
//   quillotodo-scan --structure BUNDLE...   the sidebar structure of the bundles
// Each bundle is a watched library named after the bundle (without extension), with the bookmark ids
// "B1", "B2", ... in argument order.

#include "Platform/Foundation/Coding.h"
#include "QuilloToDoKit/QuilloToDoModel/TodoIPCMessage.h"
#include "QuilloToDoKit/QuilloToDoScan/LibraryStructure.h"
#include "QuilloToDoKit/QuilloToDoScan/TodoScanner.h"

#include <cstring>
#include <iostream>

namespace {

int usage() {
    std::cerr << "usage: quillotodo-scan [--structure] BUNDLE...\n";
    return 2;
}

std::vector<quillo::ScannedLibrarySource> sourcesFrom(int argc, char** argv, int first) {
    std::vector<quillo::ScannedLibrarySource> sources;
    for (int i = first; i < argc; ++i) {
        std::filesystem::path url(argv[i]);
        std::filesystem::path named = url.has_filename() ? url : url.parent_path();
        sources.push_back({url, named.stem().string(), "B" + std::to_string(sources.size() + 1)});
    }
    return sources;
}

platform::JSON structureJSON(const std::vector<quillo::SidebarLibrary>& libraries) {
    platform::JSON out = platform::JSON::array();
    for (const auto& library : libraries) {
        platform::JSON events = platform::JSON::array();
        for (const auto& event : library.events) {
            platform::JSON timelines = platform::JSON::array();
            for (const auto& timeline : event.timelines)
                timelines.push_back({{"id", timeline.id}, {"name", timeline.name}});
            events.push_back({{"libraryName", event.libraryName}, {"name", event.name}, {"timelines", timelines}});
        }
        out.push_back({{"bookmarkID", library.bookmarkID}, {"name", library.name}, {"events", events}});
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    if (std::strcmp(argv[1], "--structure") == 0) {
        const auto sources = sourcesFrom(argc, argv, 2);
        std::cout << platform::serializeJSON(structureJSON(quillo::LibraryStructureScanner::structure(sources)))
                  << '\n';
        return 0;
    }
    if (argv[1][0] == '-') return usage();
    quillo::TodoScanner scanner;
    const auto items = scanner.scan(sourcesFrom(argc, argv, 1));
    std::cout << quillo::encodeMessage(quillo::TodoIPCMessage::todoList(items)) << '\n';
    return 0;
}
