#include "QuilloToDoKit/QuilloToDoModel/TodoIPCMessage.h"

#include "Platform/Foundation/Coding.h"
#include "testing/LibraryBuilder.h"

#include "testing/ToolRun.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>

using namespace quillo;
using namespace quillo::testing;

namespace {

std::filesystem::path twoEventLibrary(const std::filesystem::path& dir) {
    LibraryBuilder library(dir, "Feature");
    auto& day1 = library.event("Day 1");
    day1.sequence("Main Edit", {.identifier = "T1"}).clip("A", 0.0, 4.0).marker("first", MarkerType::todo, 1.0);
    day1.sequence("Alt", {.identifier = "T2"});
    library.event("Empty");
    return library.finish();
}

}  // namespace

TEST(ScanTool, PrintsTheToDosAsOneTodoListLine) {
    TemporaryDirectory dir;
    const auto bundle = twoEventLibrary(dir.path());
    const auto [output, status] = runCommand(std::string(QUILLOTODO_SCAN_TOOL) + " " + shellQuoted(bundle));
    EXPECT_EQ(status, 0);
    ASSERT_FALSE(output.empty());
    EXPECT_EQ(output.find('\n'), output.size() - 1);  // exactly one line
    const auto message = decodeMessage(output.substr(0, output.size() - 1));
    const auto* list = std::get_if<TodoIPCMessage::TodoList>(&message.payload());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->items.size(), 1u);
    EXPECT_EQ(list->items[0].rawText, "first");
    EXPECT_EQ(list->items[0].libraryBookmarkID, "B1");
    EXPECT_EQ(list->items[0].libraryName, "Feature");
    EXPECT_NE(runCommand(std::string(QUILLOTODO_SCAN_TOOL) + " --bogus 2>/dev/null").status, 0);
}

TEST(ScanTool, PrintsTheStructureAsJSON) {
    TemporaryDirectory dir;
    const auto bundle = twoEventLibrary(dir.path());
    const auto [output, status] = runCommand(std::string(QUILLOTODO_SCAN_TOOL) + " --structure " + shellQuoted(bundle) +
                                             " " + shellQuoted(dir.path() / "Gone.fcpbundle"));
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
    EXPECT_NE(runCommand(std::string(QUILLOTODO_SCAN_TOOL) + " 2>/dev/null").status, 0);
}

// The demo library's list as it was recorded before the scanner was made fast: reading it through the
// collection index, straight from SQLite's buffers and on several threads must not change one byte.
// A deliberate change of the demo library or of the list's coding rewrites the recording.
TEST(ScanTool, ListsTheDemoLibraryAsRecorded) {
    TemporaryDirectory dir;
    const auto written = runCommand(std::string(QUILLOTODO_DEMO_LIBRARY_TOOL) + " " + shellQuoted(dir.path()));
    ASSERT_EQ(written.status, 0);
    const auto listed =
        runCommand(std::string(QUILLOTODO_SCAN_TOOL) + " " + shellQuoted(dir.path() / "Demo.fcpbundle"));
    ASSERT_EQ(listed.status, 0);
    std::ifstream recording(DEMO_TODOLIST_RECORDING, std::ios::binary);
    ASSERT_TRUE(recording) << DEMO_TODOLIST_RECORDING;
    std::ostringstream expected;
    expected << recording.rdbuf();
    EXPECT_EQ(listed.output, expected.str());
}
