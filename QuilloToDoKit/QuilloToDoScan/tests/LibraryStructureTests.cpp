#include "QuilloToDoScan/LibraryStructure.h"

#include "Foundation/Coding.h"
#include "testing/LibraryBuilder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>

using namespace quillo;
using namespace quillo::testing;

namespace {

std::filesystem::path twoEventLibrary(const std::filesystem::path& dir) {
    LibraryBuilder library(dir, "Feature");
    auto& day1 = library.event("Day 1");
    day1.sequence("Main Edit", {.identifier = "T1"});
    day1.sequence("Alt", {.identifier = "T2"});
    library.event("Empty");
    return library.finish();
}

// Runs a command and answers what it printed and its exit status.
std::pair<std::string, int> run(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return {"", -1};
    std::array<char, 4096> buffer{};
    while (const std::size_t read = fread(buffer.data(), 1, buffer.size(), pipe)) output.append(buffer.data(), read);
    return {output, pclose(pipe)};
}

}  // namespace

TEST(LibraryStructure, OneLibraryPerSourceInOrderWithEventsAndTimelines) {
    TemporaryDirectory dir;
    const auto bundle = twoEventLibrary(dir.path());
    const auto libraries = LibraryStructureScanner::structure({
        {dir.path() / "Missing.fcpbundle", "Missing", "B-missing"},
        {bundle, "Shown Name", "B-1"},
    });

    ASSERT_EQ(libraries.size(), 2u);
    EXPECT_EQ(libraries[0].id(), "B-missing");
    EXPECT_TRUE(libraries[0].events.empty());  // listed, with no events

    const auto& library = libraries[1];
    EXPECT_EQ(library.name, "Shown Name");  // the source's name, not the bundle's
    ASSERT_EQ(library.events.size(), 2u);
    const auto day1 = library.events[0].name == "Day 1" ? library.events[0] : library.events[1];
    const auto empty = library.events[0].name == "Day 1" ? library.events[1] : library.events[0];
    EXPECT_EQ(day1.id(), "Shown Name|Day 1");
    ASSERT_EQ(day1.timelines.size(), 2u);
    EXPECT_EQ(day1.timelines[0].id, "T1");
    EXPECT_EQ(day1.timelines[0].name, "Main Edit");
    EXPECT_EQ(day1.timelines[1].id, "T2");
    EXPECT_EQ(empty.name, "Empty");
    EXPECT_TRUE(empty.timelines.empty());

    EXPECT_TRUE(LibraryStructureScanner::structure({}).empty());
}

TEST(LibraryStructure, ScanToolPrintsTheStructureAsJSON) {
    TemporaryDirectory dir;
    const auto bundle = twoEventLibrary(dir.path());
    const auto [output, status] =
        run(std::string(QUILLOTODO_SCAN_TOOL) + " --structure '" + bundle.string() + "' '" +
            (dir.path() / "Gone.fcpbundle").string() + "'");
    EXPECT_EQ(status, 0);
    const auto document = platform::parseJSON(output);
    ASSERT_TRUE(document.is_array());
    ASSERT_EQ(document.size(), 2u);
    EXPECT_EQ(document[0]["bookmarkID"], "B1");
    EXPECT_EQ(document[0]["name"], "Feature");
    EXPECT_EQ(document[0]["events"].size(), 2u);
    EXPECT_EQ(document[1]["bookmarkID"], "B2");
    EXPECT_EQ(document[1]["name"], "Gone");
    EXPECT_EQ(document[1]["events"], platform::JSON::array());
    for (const auto& event : document[0]["events"]) {
        EXPECT_EQ(event["libraryName"], "Feature");
        if (event["name"] == "Day 1") {
            EXPECT_EQ(event["timelines"][0], (platform::JSON{{"id", "T1"}, {"name", "Main Edit"}}));
        }
    }
    EXPECT_NE(run(std::string(QUILLOTODO_SCAN_TOOL) + " 2>/dev/null").second, 0);
}
