#pragma once

#include <filesystem>
#include <string>

namespace quillo {

// A watched library as both scanners take it.
struct ScannedLibrarySource {
    std::filesystem::path url;  // the library bundle
    std::string name;           // shown as the library name in the sidebar and in every item
    std::string bookmarkID;     // opaque identifier of the watched library; never parsed

    bool operator==(const ScannedLibrarySource&) const = default;
};

}  // namespace quillo
