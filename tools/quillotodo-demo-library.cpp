// Writes the demo library "Demo.fcpbundle" into a folder, replacing an earlier one:
//   quillotodo-demo-library FOLDER
// Two events of an editor's week: every kind of marker, open and done to-dos, chapter notes,
// assignees by at-sign and by role, connected clips, a compound clip and an audition.

#include "testing/LibraryBuilder.h"

#include <filesystem>
#include <iostream>

using namespace quillo::testing;

namespace {

void interviewDay(EventBuilder& event) {
    auto& roles = event.roles();
    roles.addStandardRoles();
    roles.role("maya", "Maya").subRole("maya.grade", "Maya-Grade");
    roles.role("jonas", "Jonas").subRole("jonas.mix", "Jonas-Mix");

    TimelineBuilder main = event.sequence("Interview Cut v3", {.identifier = "6C1D0F5E-1B7A-4C0E-9D59-3F5F2B7E0A01"});
    main.clip("Opening Wide", 0.0, 8.0)
        .marker("Act One", MarkerType::chapter, 0.0, {.chapterNote = "Cold open on the harbour"})
        .marker("@Lena check the horizon line", MarkerType::todo, 3.5, {.completed = false})
        .connected("Harbour B-roll", 2.0, 30.0, 4.0)
        .role("maya.grade")
        .marker("Match the warm look of the wide", MarkerType::todo, 1.0, {.completed = false});
    main.clip("Interview Anna", 12.0, 20.0)
        .marker("@Lena trim the pause before the answer", MarkerType::todo, 6.25, {.completed = true})
        .marker("Great laugh here", MarkerType::standard, 14.0)
        .connected("Lower Third Anna", 1.0, 0.0, 5.0, 2)
        .role("jonas.mix")
        .marker("Duck the music under the name", MarkerType::todo, 0.5, {.completed = false});
    main.gap(2.0).marker("@Tom find a cutaway for this gap", MarkerType::todo, 0.5, {.completed = false});
    CompoundBuilder scene = main.compound("Workshop Montage", 0.0, 9.0);
    scene.inner()
        .clip("Lathe Close", 0.0, 4.0)
        .marker("Too dark, lift the shadows", MarkerType::todo, 1.0, {.completed = false});
    scene.inner()
        .clip("Sawdust Slow", 0.0, 5.0)
        .marker("Act Two", MarkerType::chapter, 0.0, {.chapterNote = "The workshop"});
    main.clip("Closing Interview", 40.0, 15.0)
        .marker("@Sam licence the closing track", MarkerType::todo, 10.0)
        .marker("Credits start", MarkerType::chapter, 14.0);

    TimelineBuilder social =
        event.sequence("Social Teaser 30s", {.identifier = "6C1D0F5E-1B7A-4C0E-9D59-3F5F2B7E0A02"});
    social.clip("Harbour Drone", 5.0, 10.0)
        .marker("@Lena make a square version", MarkerType::todo, 1.0, {.completed = false})
        .marker("Logo bumper goes here", MarkerType::standard, 9.0);
    AuditionBuilder music = social.audition("Music Options");
    music.active()
        .clip("Upbeat Track", 0.0, 12.0)
        .marker("@Jonas fade out earlier", MarkerType::todo, 11.0, {.completed = true});
    music.alternatives().clip("Calm Track", 0.0, 12.0);
}

void pickupDay(EventBuilder& event) {
    event.roles().addStandardRoles();
    event.roles().role("tom", "Tom");
    TimelineBuilder pickups =
        event.sequence("Pickups Assembly", {.identifier = "6C1D0F5E-1B7A-4C0E-9D59-3F5F2B7E0A03"});
    pickups.clip("Insert Hands", 0.0, 6.0)
        .marker("Stabilise this shot", MarkerType::todo, 2.0, {.completed = false})
        .connected("Hands Close", 3.0, 10.0, 2.0)
        .role("tom")
        .marker("Replace with the sharper take", MarkerType::todo, 0.5);
    pickups.title("Chapter Card", 0.0, 3.0).marker("Pickups", MarkerType::chapter, 0.0, {.chapterNote = "Reshoots"});
    pickups.clip("Insert Door", 0.0, 5.0)
        .marker("@Maya fix the flicker", MarkerType::todo, 2.5, {.completed = true})
        .marker("Sound of the door is late", MarkerType::standard, 3.0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: quillotodo-demo-library FOLDER\n";
        return 2;
    }
    try {
        const std::filesystem::path folder(argv[1]);
        std::filesystem::create_directories(folder);
        std::filesystem::remove_all(folder / "Demo.fcpbundle");
        LibraryBuilder library(folder, "Demo", {.seed = 2026});
        interviewDay(library.event("Interviews"));
        pickupDay(library.event("Pickups"));
        std::cout << library.finish().string() << '\n';
    } catch (const std::exception& error) {
        std::cerr << "quillotodo-demo-library: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
