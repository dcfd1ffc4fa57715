#include "QuilloToDoKit/QuilloToDoScan/TodoScanner.h"

#include "QuilloToDoKit/QuilloToDoModel/TodoIPCMessage.h"
#include "testing/LibraryBuilder.h"

#include <gtest/gtest.h>

#include <string>

using namespace quillo;
using quillo::testing::EventBuilder;
using quillo::testing::LibraryBuilder;
using quillo::testing::MarkerType;
using quillo::testing::TemporaryDirectory;

namespace {

// Two timelines with compound clips (one used twice), an audition and connected clips; `tag` keeps
// the marker texts of each event apart.
void addTimelines(EventBuilder& event, const std::string& tag) {
    event.roles().addStandardRoles();
    auto edit = event.sequence(tag + " edit", {.identifier = tag + "-T1"});
    edit.clip("Lead", 0.0, 10.0)
        .marker(tag + " lead", MarkerType::todo, 1.0, {.completed = false})
        .connected("B-roll", 2.0, 0.0, 3.0)
        .role("video")
        .marker("@Ann " + tag + " b-roll", MarkerType::todo, 0.5, {.completed = true});
    auto scene = edit.compound("Scene", 0.0, 4.0);
    scene.marker(tag + " scene", MarkerType::chapter, 1.0);
    scene.inner().clip("Inside", 0.0, 4.0).marker(tag + " inside", MarkerType::todo, 1.5);
    edit.compoundReference("Scene again", scene.inner().mediaIdentifier(), 0.0, 4.0);
    const auto audition = edit.audition();
    audition.marker(tag + " stack", MarkerType::standard, 0.5);
    audition.active().clip("Take", 0.0, 3.0).marker(tag + " take", MarkerType::todo, 0.5);
    audition.alternatives().clip("Other take", 0.0, 3.0).marker(tag + " unused take", MarkerType::todo, 0.5);

    auto second = event.sequence(tag + " second", {.identifier = tag + "-T2"});
    second.gap(2.0).connected("Title", 0.5, 0.0, 1.0).role("titles").marker(tag + " title", MarkerType::todo, 0.25);
    second.clip("Tail", 1.0, 5.0).marker(tag + " tail", MarkerType::standard, 2.0);
}

std::string todoListText(unsigned maximumThreads, const std::vector<ScannedLibrarySource>& libraries) {
    return encodeMessage(TodoIPCMessage::todoList(TodoScanner(maximumThreads).scan(libraries)));
}

}  // namespace

TEST(TodoScannerThreads, EventsReadInParallelGiveTheSameListAsOneAfterTheOther) {
    TemporaryDirectory dir;
    LibraryBuilder first(dir.path(), "First");
    for (const std::string tag : {"a", "b", "c"}) addTimelines(first.event("Event " + tag), tag);
    first.unreadableEvent("Broken");
    addTimelines(first.event("Event d"), "d");
    first.finish();
    LibraryBuilder second(dir.path(), "Second");
    for (const std::string tag : {"e", "f", "g", "h", "i"}) addTimelines(second.event("Event " + tag), tag);
    second.finish();
    const std::vector<ScannedLibrarySource> libraries{{first.bundlePath(), "First", "1"},
                                                      {dir.path() / "Missing.fcpbundle", "Missing", "2"},
                                                      {second.bundlePath(), "Second", "3"}};

    const std::string serial = todoListText(1, libraries);
    ASSERT_NE(serial.find("\"d lead\""), std::string::npos);
    ASSERT_NE(serial.find("\"i inside\""), std::string::npos);
    for (const unsigned threads : {2u, 3u, 8u, 32u}) EXPECT_EQ(todoListText(threads, libraries), serial) << threads;
}

// Workers that finish their own event help with the timelines left in the others, on connections of
// their own sharing the event's index.
TEST(TodoScannerThreads, TheTimelinesOfOneEventReadInParallelGiveTheSameListAsOneAfterTheOther) {
    TemporaryDirectory dir;
    LibraryBuilder library(dir.path(), "Wide");
    auto& event = library.event("Event");
    for (int i = 0; i < 6; ++i) addTimelines(event, "t" + std::to_string(i));
    addTimelines(library.event("Small"), "s");
    library.finish();
    const std::vector<ScannedLibrarySource> libraries{{library.bundlePath(), "Wide", "1"}};

    const std::string serial = todoListText(1, libraries);
    ASSERT_NE(serial.find("\"t5 tail\""), std::string::npos);
    for (const unsigned threads : {2u, 5u, 16u}) EXPECT_EQ(todoListText(threads, libraries), serial) << threads;
}
