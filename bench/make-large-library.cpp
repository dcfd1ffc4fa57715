// Writes the benchmark library "Large.fcpbundle" into a folder, unless it is there already:
//   make-large-library FOLDER
// 10 events x 20 timelines x 100 storyline clips; each clip has two markers and two connected clips
// with one marker each (80,000 markers), and every timeline holds a compound clip and an audition.
// The bundle is written beside its final place and renamed, so a run cut short leaves no library
// that later runs would take as complete.

#include "testing/LibraryBuilder.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

using namespace quillo::testing;

namespace {

constexpr int kEvents = 10;
constexpr int kTimelinesPerEvent = 20;
constexpr int kClipsPerTimeline = 100;
constexpr int kAssetsPerEvent = 150;  // camera files, shared by the event's timelines as in a real cut
constexpr double kClipSeconds = 6.0;

constexpr auto kPeople = std::to_array<const char*>({"maya", "jonas", "lena", "tom"});
constexpr auto kNames = std::to_array<const char*>({"Maya", "Jonas", "Lena", "Tom"});
constexpr auto kNotes = std::to_array<const char*>({
    "fix the colour of the sky",
    "trim the pause before the answer",
    "check the horizon line",
    "duck the music under the voice",
    "find a cutaway",
    "replace with the sharper take",
    "stabilise this shot",
    "licence the track",
});

std::string numbered(const char* prefix, int number, int width = 3) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%s%0*d", prefix, width, number);
    return text.data();
}

void addRoles(EventBuilder& event) {
    event.roles().addStandardRoles();
    for (std::size_t i = 0; i < kPeople.size(); ++i) {
        const std::string uid = kPeople[i];
        event.roles().role(uid, kNames[i]).subRole(uid + ".grade", std::string(kNames[i]) + "-Grade");
    }
}

// Real clips carry more than their timing: camera metadata and an audio channel layout.
ItemBuilder storylineClip(const TimelineBuilder& timeline, int event, int clip) {
    const std::string asset = numbered("A", event + 1) + numbered("_C", clip % kAssetsPerEvent);
    return timeline.clip(asset, 10.0 + clip % 7, kClipSeconds)
        .metadata({{"reel", numbered("A", event + 1)},
                   {"scene", numbered("", clip / 10 + 1, 2)},
                   {"take", numbered("", clip % 10 + 1, 1)},
                   {"cameraAngle", clip % 2 == 0 ? "Wide" : "Close"},
                   {"notes", "Shot on location; check the slate."}})
        .role("video.video-1")
        .audioChannelRole("dialogue.dialogue-1", "L")
        .audioChannelRole("dialogue.dialogue-1", "R");
}

void addTimeline(EventBuilder& event, int eventIndex, int timelineIndex) {
    TimelineBuilder timeline =
        event.sequence(numbered("Reel ", timelineIndex + 1, 2) + " Cut v" + std::to_string(timelineIndex % 4 + 1));
    for (int clip = 0; clip < kClipsPerTimeline; ++clip) {
        const int n = timelineIndex * kClipsPerTimeline + clip;
        const char* person = kNames[static_cast<std::size_t>(n) % kNames.size()];
        const char* note = kNotes[static_cast<std::size_t>(n) % kNotes.size()];
        const ItemBuilder made = storylineClip(timeline, eventIndex, clip);
        made.marker(std::string("@") + person + " " + note, MarkerType::todo, 1.0,
                    {.completed = n % 3 == 0 ? std::optional<bool>() : std::optional<bool>(n % 3 == 2)});
        if (clip % 10 == 0) {
            made.marker(numbered("Scene ", clip / 10 + 1, 2), MarkerType::chapter, 0.0, {.chapterNote = "Act notes"});
        } else {
            made.marker("Good reaction here", MarkerType::standard, 4.5);
        }
        const std::string uid = kPeople[static_cast<std::size_t>(n + 1) % kPeople.size()];
        made.connected(numbered("B-roll ", n % 400), 1.0, 20.0, 2.0, 1)
            .role(uid + ".grade")
            .marker("Match the grade of the wide", MarkerType::todo, 0.5, {.completed = n % 2 == 0});
        made.connected(numbered("Music ", n % 40), 0.0, 0.0, kClipSeconds, -1)
            .role("music.music-1")
            .marker("Check the level", MarkerType::standard, 3.0);
    }
    CompoundBuilder compound = timeline.compound("Montage", 0.0, 8.0);
    compound.inner().clip(numbered("A", eventIndex + 1) + "_M01", 0.0, 4.0);
    compound.inner().clip(numbered("A", eventIndex + 1) + "_M02", 0.0, 4.0);
    AuditionBuilder audition = timeline.audition("Ending");
    audition.active().clip(numbered("A", eventIndex + 1) + "_E01", 0.0, 5.0);
    audition.alternatives().clip(numbered("A", eventIndex + 1) + "_E02", 0.0, 5.0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make-large-library FOLDER\n";
        return 2;
    }
    try {
        const std::filesystem::path folder(argv[1]);
        const auto bundle = folder / "Large.fcpbundle";
        if (std::filesystem::exists(bundle)) {
            std::cout << bundle.string() << '\n';
            return 0;
        }
        const auto staging = folder / "staging";
        std::filesystem::remove_all(staging);
        std::filesystem::create_directories(staging);
        {
            LibraryBuilder library(staging, "Large", {.seed = 7});
            for (int e = 0; e < kEvents; ++e) {
                EventBuilder& event = library.event(numbered("Day ", e + 1, 2));
                addRoles(event);
                for (int t = 0; t < kTimelinesPerEvent; ++t) addTimeline(event, e, t);
                event.finish();  // writes the blobs now, so only one event's graph is held at a time
            }
            library.finish();
        }
        std::filesystem::rename(staging / "Large.fcpbundle", bundle);
        std::filesystem::remove_all(staging);
        std::cout << bundle.string() << '\n';
    } catch (const std::exception& error) {
        std::cerr << "make-large-library: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
