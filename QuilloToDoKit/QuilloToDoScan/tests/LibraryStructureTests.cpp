#include "QuilloToDoKit/QuilloToDoScan/LibraryStructure.h"

#include "testing/LibraryBuilder.h"

#include <gtest/gtest.h>

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
