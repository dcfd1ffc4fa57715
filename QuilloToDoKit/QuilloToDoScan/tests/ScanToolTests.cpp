#include "QuilloToDoModel/TodoIPCMessage.h"

#include "Foundation/Coding.h"
#include "testing/LibraryBuilder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>

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

// Runs a command and answers what it printed and its exit status.
std::pair<std::string, int> run(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return {"", -1};
    std::array<char, 4096> buffer{};
    while (const std::size_t read = fread(buffer.data(), 1, buffer.size(), pipe)) output.append(buffer.data(), read);
    return {output, pclose(pipe)};
}

std::string quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

}  // namespace

TEST(ScanTool, PrintsTheToDosAsOneTodoListLine) {
    TemporaryDirectory dir;
    const auto bundle = twoEventLibrary(dir.path());
    const auto [output, status] = run(std::string(QUILLOTODO_SCAN_TOOL) + " " + quoted(bundle));
    EXPECT_EQ(status, 0);
    ASSERT_FALSE(output.empty());
    EXPECT_EQ(output.find('\n'), output.size() - 1);  // exactly one line
    const auto message = decodeMessage(output.substr(0, output.size() - 1));
    const auto* list = std::get_if<TodoIPCMessage::TodoList>(&message.payload());
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->items.size(), 1u);
    EXPECT_EQ(list->items[0].rawText(), "first");
    EXPECT_EQ(list->items[0].libraryBookmarkID(), "B1");
    EXPECT_EQ(list->items[0].libraryName(), "Feature");
    EXPECT_NE(run(std::string(QUILLOTODO_SCAN_TOOL) + " --bogus 2>/dev/null").second, 0);
}

TEST(ScanTool, PrintsTheStructureAsJSON) {
    TemporaryDirectory dir;
    const auto bundle = twoEventLibrary(dir.path());
    const auto [output, status] = run(std::string(QUILLOTODO_SCAN_TOOL) + " --structure " + quoted(bundle) + " " +
                                      quoted(dir.path() / "Gone.fcpbundle"));
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
