#include "Platform/Reminders/ReminderStore.h"
#include "Platform/Reminders/ReminderStoreError.h"

#include "testing/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace platform {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), {});
}

void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

class ReminderStoreTest : public ::testing::Test {
protected:
    fs::path root() const { return directory.path() / "calendars"; }
    ReminderCalendar makeList(ReminderStore& store, const std::string& title) {
        auto list = store.newCalendar();
        list.title = title;
        store.saveCalendar(list);
        return list;
    }

    quillo::testing::TemporaryDirectory directory;
};

TEST_F(ReminderStoreTest, AccessIsGrantedByCreatingTheRoot) {
    ReminderStore store(root());
    EXPECT_EQ(store.authorizationStatus(), ReminderAuthorizationStatus::notDetermined);
    EXPECT_TRUE(store.calendars().empty());
    EXPECT_TRUE(store.requestFullAccess());
    EXPECT_EQ(store.authorizationStatus(), ReminderAuthorizationStatus::fullAccess);
    ASSERT_EQ(store.sources().size(), 1u);
    EXPECT_EQ(store.sources()[0].sourceType, ReminderSource::Type::local);
}

TEST_F(ReminderStoreTest, TheRootComesFromTheOverrideElseTheDataHome) {
    const std::string data = (directory.path() / "data").string();
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    ::unsetenv("QUILLOTODO_REMINDERS_DIR");
    EXPECT_EQ(ReminderStore::defaultRoot(), directory.path() / "data" / "calendars");
    ::setenv("QUILLOTODO_REMINDERS_DIR", root().c_str(), 1);
    EXPECT_EQ(ReminderStore::defaultRoot(), root());
    ::unsetenv("QUILLOTODO_REMINDERS_DIR");
}

TEST_F(ReminderStoreTest, SavesArePendingUntilCommitAndResetDropsThem) {
    ReminderStore store(root());
    store.requestFullAccess();
    const auto list = makeList(store, "Cut notes");
    auto reminder = store.newReminder();
    reminder.calendarIdentifier = list.calendarIdentifier;
    reminder.title = "Fix the cut, now";
    reminder.notes = "Line one\nLine two";
    reminder.priority = 1;
    store.saveReminder(reminder);
    EXPECT_TRUE(store.calendars().empty()) << "nothing reaches the disk before commit";
    store.reset();
    EXPECT_FALSE(store.calendarItemWithIdentifier(reminder.calendarItemIdentifier));

    store.saveCalendar(list);
    store.saveReminder(reminder);
    store.commit();
    ASSERT_EQ(store.calendars().size(), 1u);
    EXPECT_EQ(store.calendars()[0].title, "Cut notes");
    EXPECT_EQ(readFile(root() / list.calendarIdentifier / "displayname"), "Cut notes");

    ReminderStore reopened(root());
    const auto read = reopened.calendarItemWithIdentifier(reminder.calendarItemIdentifier);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->title, "Fix the cut, now");
    EXPECT_EQ(read->notes, "Line one\nLine two");
    EXPECT_EQ(read->priority, 1);
    EXPECT_FALSE(read->isCompleted);
    EXPECT_EQ(read->calendarIdentifier, list.calendarIdentifier);
}

TEST_F(ReminderStoreTest, RewritesKeepWhatOtherClientsWroteAndMovesBetweenLists) {
    ReminderStore store(root());
    store.requestFullAccess();
    const auto first = makeList(store, "First");
    const auto second = makeList(store, "Second");
    store.commit();
    writeFile(root() / first.calendarIdentifier / "abc-1.ics",
              "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VTODO\r\nUID:abc-1\r\n"
              "SUMMARY:Old\r\nX-OTHER-CLIENT:keep me\r\nCATEGORIES:work\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
              "TRIGGER:-PT5M\r\nDESCRIPTION:alarm\r\nEND:VALARM\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");

    auto reminder = *store.calendarItemWithIdentifier("abc-1");
    reminder.title = "New";
    reminder.calendarIdentifier = second.calendarIdentifier;
    reminder.isCompleted = true;
    const auto done = Reminder::Date::clock::from_time_t(1700000000);
    reminder.completionDate = done;
    store.saveReminder(reminder);
    store.commit();

    EXPECT_FALSE(fs::exists(root() / first.calendarIdentifier / "abc-1.ics"));
    const std::string text = readFile(root() / second.calendarIdentifier / "abc-1.ics");
    EXPECT_NE(text.find("X-OTHER-CLIENT:keep me"), std::string::npos) << text;
    EXPECT_NE(text.find("CATEGORIES:work"), std::string::npos);
    EXPECT_NE(text.find("BEGIN:VALARM"), std::string::npos);
    EXPECT_NE(text.find("STATUS:COMPLETED"), std::string::npos);
    EXPECT_NE(text.find("COMPLETED:20231114T221320Z"), std::string::npos);
    const auto read = store.calendarItemWithIdentifier("abc-1");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->title, "New");
    EXPECT_TRUE(read->isCompleted);
    EXPECT_EQ(read->completionDate, done);
    for (const auto& entry : fs::directory_iterator(root() / second.calendarIdentifier)) {
        EXPECT_NE(entry.path().extension(), ".tmp") << "a temporary file was left behind";
    }
}

TEST_F(ReminderStoreTest, OnlyAVTodoInsideAListIsAReminder) {
    ReminderStore store(root());
    store.requestFullAccess();
    const auto list = makeList(store, "L");
    store.commit();
    writeFile(root() / list.calendarIdentifier / "event.ics",
              "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:event\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    writeFile(directory.path() / "outside.ics",
              "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:x\r\nEND:VTODO\r\nEND:VCALENDAR\r\n");
    EXPECT_FALSE(store.calendarItemWithIdentifier("event"));
    EXPECT_FALSE(store.calendarItemWithIdentifier("../../outside"));
    EXPECT_FALSE(store.calendarItemWithIdentifier(""));

    auto stray = store.newReminder();
    stray.calendarIdentifier = "no-such-list";
    EXPECT_THROW(store.saveReminder(stray), ReminderStoreError);
}

TEST_F(ReminderStoreTest, ADamagedFileIsStillItsReminderAndSavingItReplacesTheFile) {
    ReminderStore store(root());
    store.requestFullAccess();
    const auto list = makeList(store, "L");
    store.commit();
    writeFile(root() / list.calendarIdentifier / "damaged.ics", "BEGIN:VCALENDAR\r\nBEGIN:VTO");
    writeFile(root() / list.calendarIdentifier / "event.ics",
              "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:event\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    auto pending = store.newReminder();
    pending.calendarIdentifier = list.calendarIdentifier;
    store.saveReminder(pending);

    const auto found = store.calendarItemsWithIdentifiers(
        {"missing", "damaged", "event", "../" + list.calendarIdentifier + "/damaged", pending.calendarItemIdentifier});
    ASSERT_EQ(found.size(), 5u);
    EXPECT_FALSE(found[0] || found[2] || found[3]);
    ASSERT_TRUE(found[1] && found[4]);
    EXPECT_EQ(found[1]->calendarIdentifier, list.calendarIdentifier);
    EXPECT_TRUE(found[1]->title.empty());
    EXPECT_EQ(found[4]->calendarItemIdentifier, pending.calendarItemIdentifier);

    auto damaged = *store.calendarItemWithIdentifier("damaged");
    damaged.title = "Mended";
    store.saveReminder(damaged);
    store.commit();
    const std::string text = readFile(root() / list.calendarIdentifier / "damaged.ics");
    EXPECT_NE(text.find("UID:damaged"), std::string::npos) << text;
    EXPECT_EQ(ReminderStore(root()).calendarItemWithIdentifier("damaged")->title, "Mended");
}

}  // namespace
}  // namespace platform
