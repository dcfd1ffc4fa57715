#include "Platform/Reminders/ReminderStore.h"
#include "Platform/Reminders/ReminderStoreError.h"

#include "testing/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
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

// What `work` returns, run in a child process that permission bits stop: as root (which passes them)
// it first becomes nobody. This test program runs no other thread, so the child may do anything.
std::string unprivileged(const std::function<std::string()>& work) {
    int channel[2];
    if (::pipe(channel) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        std::string result;
        try {
            result = work();
        } catch (const std::exception& error) {
            result = std::string("threw: ") + error.what();
        }
        for (std::size_t written = 0; written < result.size();) {
            const ssize_t n = ::write(channel[1], result.data() + written, result.size() - written);
            if (n <= 0) ::_exit(4);
            written += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string result;
    char chunk[4096];
    for (ssize_t n; (n = ::read(channel[0], chunk, sizeof chunk)) > 0;)
        result.append(chunk, static_cast<std::size_t>(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? result : "child failed";
}

// One line per lookup: "found TITLE", "gone" or "unknown REASON".
std::string describe(const std::vector<ReminderLookup>& lookups) {
    std::string lines;
    for (const auto& lookup : lookups) {
        if (lookup.reminder) lines += "found " + lookup.reminder->title + "\n";
        if (lookup.unreadableReason) lines += "unknown " + *lookup.unreadableReason + "\n";
        if (lookup.isGone()) lines += "gone\n";
    }
    return lines;
}

std::string todo(const std::string& uid, const std::string& summary) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VTODO\r\nUID:" + uid +
           "\r\nSUMMARY:" + summary + "\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
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
    EXPECT_TRUE(store.calendarItemWithIdentifier(reminder.calendarItemIdentifier).isGone());

    store.saveCalendar(list);
    store.saveReminder(reminder);
    store.commit();
    ASSERT_EQ(store.calendars().size(), 1u);
    EXPECT_EQ(store.calendars()[0].title, "Cut notes");
    EXPECT_EQ(readFile(root() / list.calendarIdentifier / "displayname"), "Cut notes");

    ReminderStore reopened(root());
    const auto read = reopened.calendarItemWithIdentifier(reminder.calendarItemIdentifier).reminder;
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

    auto reminder = *store.calendarItemWithIdentifier("abc-1").reminder;
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
    const auto read = store.calendarItemWithIdentifier("abc-1").reminder;
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
    EXPECT_TRUE(store.calendarItemWithIdentifier("event").isGone());
    EXPECT_TRUE(store.calendarItemWithIdentifier("../../outside").isGone());
    EXPECT_TRUE(store.calendarItemWithIdentifier("").isGone());

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
    EXPECT_TRUE(found[0].isGone() && found[2].isGone() && found[3].isGone());
    ASSERT_TRUE(found[1].reminder && found[4].reminder);
    EXPECT_EQ(found[1].reminder->calendarIdentifier, list.calendarIdentifier);
    EXPECT_TRUE(found[1].reminder->title.empty());
    EXPECT_EQ(found[4].reminder->calendarItemIdentifier, pending.calendarItemIdentifier);

    auto damaged = *store.calendarItemWithIdentifier("damaged").reminder;
    damaged.title = "Mended";
    store.saveReminder(damaged);
    store.commit();
    const std::string text = readFile(root() / list.calendarIdentifier / "damaged.ics");
    EXPECT_NE(text.find("UID:damaged"), std::string::npos) << text;
    EXPECT_EQ(ReminderStore(root()).calendarItemWithIdentifier("damaged").reminder->title, "Mended");
}

// Only what is known to be gone is gone: a file that cannot be opened, and whatever a list that
// cannot be listed may hold, are not known; a file that was read but cannot be parsed is found.
TEST_F(ReminderStoreTest, WhatCannotBeOpenedOrListedIsNotKnownToBeGone) {
    fs::permissions(directory.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    writeFile(root() / "A" / "readable.ics", todo("readable", "Grade"));
    writeFile(root() / "A" / "closed.ics", todo("closed", "Mix"));
    writeFile(root() / "A" / "garbled.ics", "BEGIN:VCALENDAR\r\nBEGIN:VTO");
    writeFile(root() / "B" / "elsewhere.ics", todo("elsewhere", "Titles"));
    fs::permissions(root() / "A" / "closed.ics", fs::perms::none);
    const std::vector<std::string> identifiers{"readable", "closed", "garbled", "elsewhere", "missing"};
    const auto lookUp = [&] { return describe(ReminderStore(root()).calendarItemsWithIdentifiers(identifiers)); };

    const std::string closedReason = "Could not read " + (root() / "A" / "closed.ics").string() + ": Permission denied";
    EXPECT_EQ(unprivileged(lookUp), "found Grade\nunknown " + closedReason + "\nfound \nfound Titles\ngone\n");

    fs::permissions(root() / "B", fs::perms::none);
    const std::string unlisted = "Could not list " + (root() / "B").string() + ": Permission denied";
    EXPECT_EQ(unprivileged(lookUp), "found Grade\nunknown " + closedReason + "\nfound \nunknown " + unlisted +
                                        "\nunknown " + unlisted + "\n");
    // The calendar listing itself is complete, so the lists are there (B as its folder's name).
    EXPECT_EQ(unprivileged([&] { return std::to_string(ReminderStore(root()).calendars().size()); }), "2");

    fs::permissions(root(), fs::perms::none);
    EXPECT_EQ(unprivileged([&] { return std::to_string(ReminderStore(root()).calendars().size()); }),
              "threw: Could not list " + root().string() + ": Permission denied");
    fs::permissions(root(), fs::perms::owner_all);
    fs::permissions(root() / "B", fs::perms::owner_all);

    // A root that is no longer there holds nothing: everything is gone.
    fs::rename(root(), directory.path() / "elsewhere");
    EXPECT_EQ(lookUp(), "gone\ngone\ngone\ngone\ngone\n");
    writeFile(root(), "not a folder");
    EXPECT_EQ(lookUp(), "gone\ngone\ngone\ngone\ngone\n");
}

TEST_F(ReminderStoreTest, ARewrittenFileKeepsItsPermissions) {
    ReminderStore store(root());
    store.requestFullAccess();
    const auto list = makeList(store, "L");
    auto reminder = store.newReminder();
    reminder.calendarIdentifier = list.calendarIdentifier;
    store.saveReminder(reminder);
    store.commit();
    const fs::path file = root() / list.calendarIdentifier / (reminder.calendarItemIdentifier + ".ics");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);  // the user keeps it private

    reminder.title = "Again";
    store.saveReminder(reminder);
    store.commit();
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_NE(readFile(file).find("SUMMARY:Again"), std::string::npos);
}

}  // namespace
}  // namespace platform
