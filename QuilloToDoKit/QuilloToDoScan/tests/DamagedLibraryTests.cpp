#include "QuilloToDoKit/QuilloToDoScan/LibraryStructure.h"
#include "QuilloToDoKit/QuilloToDoScan/TodoScanner.h"

#include "testing/LibraryBuilder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

using namespace quillo;
using namespace quillo::testing;
namespace fs = std::filesystem;

namespace {

// A library with a bit of everything the walk reads: nested containers, connections, roles.
fs::path buildLibrary(const fs::path& dir) {
    LibraryBuilder library(dir, "Source");
    for (const char* eventName : {"One", "Two/Nested"}) {
        auto& event = library.event(eventName);
        event.roles().addStandardRoles();
        event.roles().role("anna", "Anna").subRole("anna.1", "Anna-1");
        auto edit = event.sequence(std::string("Edit ") + eventName);
        for (int i = 0; i < 6; ++i) {
            edit.clip("Clip " + std::to_string(i), 1.0, 4.0)
                .marker("@Bob note " + std::to_string(i), MarkerType::todo, 1.0, {.completed = i % 2 == 0})
                .connected("Over " + std::to_string(i), 1.0, 0.0, 2.0)
                .role("anna.1")
                .marker("connected " + std::to_string(i), MarkerType::standard, 0.5);
        }
        edit.gap(1.0).marker("on the gap", MarkerType::todo, 0.2);
        auto scene = edit.compound("Scene", 0.0, 3.0);
        scene.inner().clip("Inner", 0.0, 3.0).marker("inside", MarkerType::chapter, 1.0, {.chapterNote = "n"});
        auto audition = edit.audition("Takes");
        audition.active().clip("Take 1", 0.0, 2.0).marker("take", MarkerType::todo, 0.5);
        audition.alternatives().clip("Take 2", 0.0, 2.0);
    }
    return library.finish();
}

std::vector<fs::path> eventDatabases(const fs::path& bundle) {
    std::vector<fs::path> databases;
    for (const auto& entry : fs::recursive_directory_iterator(bundle)) {
        if (entry.path().filename() == "CurrentVersion.fcpevent") databases.push_back(entry.path());
    }
    std::sort(databases.begin(), databases.end());
    return databases;
}

void flipBytes(const fs::path& file, std::mt19937& random, int count) {
    std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
    const auto size = fs::file_size(file);
    std::uniform_int_distribution<std::uintmax_t> offset(0, size - 1);
    std::uniform_int_distribution<int> bit(0, 7);
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::streamoff>(offset(random));
        char byte = 0;
        stream.seekg(at);
        stream.read(&byte, 1);
        byte = static_cast<char>(byte ^ (1 << bit(random)));
        stream.seekp(at);
        stream.write(&byte, 1);
    }
}

}  // namespace

// Damaged databases must never crash a scan, hang it or let an exception out: whatever cannot be
// read is left out.
TEST(DamagedLibrary, ScansOfCorruptedCopiesCompleteWithoutEscapingErrors) {
    TemporaryDirectory dir;
    const fs::path original = buildLibrary(dir.path() / "original");
    TodoScanner scanner;
    const auto intactItems = scanner.scan({{original, "Source", "B"}});
    ASSERT_EQ(intactItems.size(), 2u * 15u);  // per event: 6 clips and their connections, gap, compound, audition

    std::size_t variantsWithFewerItems = 0;
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        const fs::path copy = dir.path() / ("variant-" + std::to_string(seed)) / "Source.fcpbundle";
        fs::create_directories(copy.parent_path());
        fs::copy(original, copy, fs::copy_options::recursive);
        std::mt19937 random(seed);
        for (const auto& database : eventDatabases(copy)) flipBytes(database, random, 1 + static_cast<int>(seed % 40));

        const std::vector<ScannedLibrarySource> sources{{copy, "Source", "B"}};
        std::vector<TodoItem> items;
        ASSERT_NO_THROW(items = scanner.scan(sources)) << "seed " << seed;
        ASSERT_NO_THROW(LibraryStructureScanner::structure(sources)) << "seed " << seed;
        if (items.size() < intactItems.size()) ++variantsWithFewerItems;
        for (const auto& item : items) {
            ASSERT_TRUE(std::isfinite(item.timelinePositionSeconds)) << "seed " << seed;
            ASSERT_NO_THROW(encode(item)) << "seed " << seed;
        }
        fs::remove_all(copy.parent_path());
    }
    // The damage is real: many variants lose items.
    EXPECT_GT(variantsWithFewerItems, 20u);
}
