#include "testing/LibraryBuilder.h"

#include "StoreReading.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace quillo::testing {
namespace {

using namespace inspection;
namespace fs = std::filesystem;

std::string contentsOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every row of the object tables, for comparing two fixtures.
std::vector<SqlRow> dump(const fs::path& database) {
    const StoreReader store(database);
    auto rows = store.rows("SELECT Z_PK, ZTYPE, ZIDENTIFIER, ZNAME, ZMETADATA FROM ZCOLLECTION ORDER BY Z_PK");
    for (auto& row :
         store.rows("SELECT Z_PK, ZCOLLECTION, ZIDENTIFIER, ZDICTIONARYDATA FROM ZCOLLECTIONMD ORDER BY Z_PK")) {
        rows.push_back(std::move(row));
    }
    for (auto& row : store.rows("SELECT * FROM Z_3CHILDCOLLECTIONS ORDER BY 1, 2")) rows.push_back(std::move(row));
    return rows;
}

void buildSmallTimeline(EventBuilder& event) {
    event.roles().addStandardRoles();
    auto timeline = event.sequence("Main Edit");
    timeline.clip("Interview A", 0.0, 10.0).marker("Fix", MarkerType::todo, 2.0).connected("B-roll", 1.0, 0.0, 3.0);
    timeline.gap(2.0);
}

TEST(LibraryBuilder, LaysOutTheBundleWithEventsAtAnyDepth) {
    TemporaryDirectory dir;
    LibraryBuilder library(dir.path(), "Feature");
    EventBuilder& day1 = library.event("Day 1");
    library.event("Shoots/Week 2/Day 2");
    library.event("Day 1/Pickups");
    library.event("Render Files/Hidden");
    library.folder("Original Media/Card A");
    library.unreadableEvent("Broken");
    library.symlink("Linked", library.bundlePath() / "Day 1");
    EXPECT_EQ(&library.event("Day 1"), &day1);
    EXPECT_EQ(library.event("Day 1/Pickups").name(), "Pickups");
    const fs::path bundle = library.finish();

    EXPECT_EQ(bundle, dir.path() / "Feature.fcpbundle");
    EXPECT_TRUE(fs::is_directory(bundle));
    EXPECT_EQ(contentsOf(bundle / "CurrentVersion.flexolibrary").substr(0, 15), "SQLite format 3");
    for (const char* event : {"Day 1", "Shoots/Week 2/Day 2", "Day 1/Pickups", "Render Files/Hidden"}) {
        const auto database = bundle / event / "CurrentVersion.fcpevent";
        ASSERT_TRUE(fs::is_regular_file(database)) << event;
        EXPECT_EQ(StoreReader(database).collectionsOfType("FFMediaEventProjectData").size(), 1u) << event;
    }
    EXPECT_FALSE(fs::exists(bundle / "Shoots" / "CurrentVersion.fcpevent"));
    EXPECT_TRUE(fs::is_directory(bundle / "Original Media" / "Card A"));
    EXPECT_EQ(contentsOf(bundle / "Broken" / "CurrentVersion.fcpevent"), "This is not an SQLite database.\n");
    EXPECT_TRUE(fs::is_symlink(bundle / "Linked"));
    EXPECT_TRUE(fs::exists(bundle / "Linked" / "CurrentVersion.fcpevent"));
}

TEST(LibraryBuilder, RefusesPathsOutsideTheBundleAndAnExistingBundle) {
    TemporaryDirectory dir;
    LibraryBuilder library(dir.path(), "Feature");
    EXPECT_THROW(library.event("../Escape"), std::invalid_argument);
    EXPECT_THROW(library.event("/tmp/Escape"), std::invalid_argument);
    EXPECT_THROW(library.file("Day 1/../../x", "x"), std::invalid_argument);
    EXPECT_THROW(LibraryBuilder(dir.path(), "Feature"), std::invalid_argument);
}

TEST(LibraryBuilder, BareEventsHoldOnlyTheSchemaAndCatalog) {
    TemporaryDirectory dir;
    LibraryBuilder library(dir.path(), "Feature", {.libraryDatabase = false});
    EventBuilder& bare = library.event("Bare", {.projectStructure = false});
    const auto row = bare.database().addCollection({.type = "FFMediaEventProjectData", .blob = bytesOf("raw")});
    EXPECT_THROW(bare.sequence("Nothing to hang on"), std::logic_error);
    library.finish();
    EXPECT_FALSE(fs::exists(library.bundlePath() / "CurrentVersion.flexolibrary"));
    const StoreReader store(library.bundlePath() / "Bare" / "CurrentVersion.fcpevent");
    EXPECT_EQ(store.count("SELECT COUNT(*) FROM ZCOLLECTION"), 1);
    EXPECT_EQ(store.blob(row), bytesOf("raw"));
    EXPECT_THROW(bare.database(), std::logic_error);
}

TEST(LibraryBuilder, TheSameSeedGivesTheSameStoreAndEventsKeepTheirIdentifiers) {
    TemporaryDirectory dir;
    const auto build = [&](const char* name, std::uint64_t seed, bool extraEvent) {
        LibraryBuilder library(dir.path(), name, {.seed = seed});
        if (extraEvent) buildSmallTimeline(library.event("Another Day"));
        buildSmallTimeline(library.event("Day 1"));
        return library.finish() / "Day 1" / "CurrentVersion.fcpevent";
    };
    const auto first = dump(build("First", 7, false));
    EXPECT_GT(first.size(), 20u);
    EXPECT_EQ(dump(build("Second", 7, true)), first);
    EXPECT_NE(dump(build("Third", 8, false)), first);
}

}  // namespace
}  // namespace quillo::testing
