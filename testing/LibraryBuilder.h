#pragma once

// Builds library bundles for tests, tools, benchmarks and the demo library. A typical timeline:
//
//   TemporaryDirectory dir;
//   LibraryBuilder library(dir.path(), "Feature");          // dir/Feature.fcpbundle
//   EventBuilder& day1 = library.event("Day 1");              // dir/Feature.fcpbundle/Day 1/
//   day1.roles().role("anna", "Anna").subRole("anna.anna-1", "Anna-1");
//
//   TimelineBuilder edit = day1.sequence("Main Edit");
//   edit.clip("Interview A", 0.0, 10.0)                     // source range 0 s + 10 s, at 0 s
//       .marker("@Bob fix the colour", MarkerType::todo, 2.0)
//       .marker("Act One", MarkerType::chapter, 0.0, {.chapterNote = "Opening"})
//       .connected("B-roll", 4.0, 12.0, 3.0)                // lane 1, 4 s into the interview
//       .role("anna.anna-1")
//       .marker("Check the grade", MarkerType::todo, 1.0, {.completed = true});
//   edit.gap(3.0);                                          // 10 s to 13 s
//   edit.title("Lower Third", 0.0, 5.0).disabled();         // 13 s to 18 s
//   CompoundBuilder scene = edit.compound("Scene 4", 0.0, 6.0);
//   scene.inner().clip("Wide", 0.0, 3.0);
//   scene.inner().clip("Close", 0.0, 3.0).marker("Too dark", MarkerType::standard, 1.0);
//
//   library.finish();                                       // commits; read the bundle after this
//
// Identifiers come from the library's seed and each event's path, so a fixture is the same on every
// run. Lower layers stay usable on their own: EventBuilder's object graph and raw rows
// (EventBuilder::database()), and KeyedArchiveWriter for blobs.

#include "testing/ArchiveValue.h"
#include "testing/AuditionBuilder.h"
#include "testing/CompoundBuilder.h"
#include "testing/EventBuilder.h"
#include "testing/ItemBuilder.h"
#include "testing/ItemContainer.h"
#include "testing/KeyedArchiveWriter.h"
#include "testing/MarkerOptions.h"
#include "testing/MarkerType.h"
#include "testing/MulticamBuilder.h"
#include "testing/RetimeEffect.h"
#include "testing/TemporaryDirectory.h"
#include "testing/TimelineBuilder.h"
#include "testing/TransformEffect.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace quillo::testing {

struct LibraryOptions {
    std::uint64_t seed = 1;
    // The library's own store "CurrentVersion.flexolibrary" in the bundle (a catalog-only store).
    bool libraryDatabase = true;
    EventOptions eventDefaults{};
};

// One library bundle "<directory>/<name>.fcpbundle". Event folders go at any relative path inside it:
// "Day 1", "Shoots/Day 2" (inside a plain folder), "Day 1/Pickups" (inside another event), or inside a
// media folder such as "Render Files/Hidden". Relative paths use "/" and may not leave the bundle.
class LibraryBuilder {
public:
    static constexpr const char* kLibraryDatabaseFileName = "CurrentVersion.flexolibrary";

    // Creates the bundle folder, which must not exist yet.
    LibraryBuilder(const std::filesystem::path& directory, std::string name, LibraryOptions options = {});
    ~LibraryBuilder();  // finishes if needed; errors are swallowed
    LibraryBuilder(const LibraryBuilder&) = delete;
    LibraryBuilder& operator=(const LibraryBuilder&) = delete;

    const std::string& name() const noexcept { return name_; }
    const std::filesystem::path& bundlePath() const noexcept { return bundle_; }

    // The event at that path, made on first use (options apply then); its name is the last component.
    EventBuilder& event(std::string_view relativePath);
    EventBuilder& event(std::string_view relativePath, EventOptions options);

    // Plain folders, files and links inside the bundle; each answers the path it made.
    std::filesystem::path folder(std::string_view relativePath);
    std::filesystem::path file(std::string_view relativePath, std::string_view contents);
    std::filesystem::path symlink(std::string_view relativePath, const std::filesystem::path& target);
    // An event folder whose "CurrentVersion.fcpevent" is not an SQLite database.
    std::filesystem::path unreadableEvent(std::string_view relativePath,
                                          std::string_view contents = "This is not an SQLite database.\n");

    // Commits every event database and answers the bundle path. Events cannot change afterwards.
    std::filesystem::path finish();

private:
    std::filesystem::path resolve(std::string_view relativePath) const;

    std::string name_;
    std::filesystem::path bundle_;
    LibraryOptions options_;
    std::map<std::string, std::unique_ptr<EventBuilder>, std::less<>> events_;
};

}  // namespace quillo::testing
