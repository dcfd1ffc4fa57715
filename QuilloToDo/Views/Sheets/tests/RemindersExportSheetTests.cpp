#include "QuilloToDo/Views/Sheets/RemindersExportSheet.h"

#include "Platform/QtBridge/QtText.h"
#include "Platform/Reminders/ReminderStore.h"
#include "QuilloToDo/Services/RemindersExportService.h"
#include "testing/TemporaryDirectory.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace quillo {
namespace {

namespace fs = std::filesystem;

TodoItem item(const std::string& text, const std::string& timeline) {
    TodoItem made;
    made.id = platform::UUID::random();
    made.kind = MarkerKind::todo;
    made.status = TodoStatus::open;
    made.text = made.rawText = text;
    made.libraryName = "Feature";
    made.libraryBookmarkID = "B1";
    made.eventName = "Day 1";
    made.timelineID = timeline;
    made.timelineName = timeline;
    made.timelineTimecode = "00:00:01:00";
    made.frameRateFPS = 25;
    return made;
}

class RemindersExportSheetTest : public ::testing::Test {
protected:
    fs::path root() const { return directory.path() / "calendars"; }

    // A sheet shown over the window, as the main window presents it.
    RemindersExportSheet& present(std::vector<TodoItem> shown) {
        auto* sheet = new RemindersExportSheet(std::move(shown), service, &window);
        sheet->open();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(sheet));
        return *sheet;
    }
    static QPushButton* button(QWidget& sheet, const QString& text) {
        for (QPushButton* b : sheet.findChildren<QPushButton*>()) {
            if (b->text() == text && b->isVisibleTo(&sheet)) return b;
        }
        return nullptr;
    }
    static bool shows(QWidget& sheet, const QString& text) {
        for (QLabel* label : sheet.findChildren<QLabel*>()) {
            if (label->text() == text && label->isVisibleTo(&sheet)) return true;
        }
        return false;
    }
    void grantAccess() {
        QFuture<bool> request = service.requestAccess();
        ASSERT_TRUE(QTest::qWaitFor([&] { return request.isFinished(); }, 10'000));
        ASSERT_TRUE(request.result());
    }
    static void exportAndWait(RemindersExportSheet& sheet) {
        sheet.runPrimaryAction();
        QTRY_VERIFY_WITH_TIMEOUT(!sheet.isExporting() && !sheet.status().isEmpty(), 10'000);
    }

    quillo::testing::TemporaryDirectory directory;
    QSettings defaults{platform::toQString(directory.path() / "QuilloToDo.conf"), QSettings::IniFormat};
    RemindersExportService service{&defaults, platform::toQString(directory.path() / "reminders_mapping.json"),
                                   std::make_unique<platform::ReminderStore>(root())};
    QWidget window;
    std::vector<TodoItem> reel{item("Fix the colour", "Reel 1"), item("Swap the music", "Reel 1")};
};

TEST_F(RemindersExportSheetTest, TheHeaderCountsTheShownToDosAndAnEmptyListCannotBeExported) {
    EXPECT_EQ(RemindersExportSheet::countLine(0), "0 shown to-dos → reminders folder");
    EXPECT_EQ(RemindersExportSheet::countLine(1), "1 shown to-do → reminders folder");
    EXPECT_EQ(RemindersExportSheet::countLine(2), "2 shown to-dos → reminders folder");

    RemindersExportSheet& empty = present({});
    EXPECT_TRUE(shows(empty, "0 shown to-dos → reminders folder"));
    EXPECT_FALSE(empty.canExport());
    EXPECT_FALSE(button(empty, "Export")->isEnabled());
    QTest::keyClick(&empty, Qt::Key_Return);  // disabled: nothing runs
    EXPECT_FALSE(empty.isExporting());
    EXPECT_TRUE(empty.status().isEmpty());
}

TEST_F(RemindersExportSheetTest, TheNewListNameIsSuggestedOnceAndABlankNameDisablesExport) {
    RemindersExportSheet& sheet = present(reel);
    auto* name = sheet.findChild<QLineEdit*>();
    EXPECT_EQ(name->text(), "Reel 1 – To-Dos");
    EXPECT_TRUE(button(sheet, "Export")->isEnabled());
    name->setText(" \t ");
    EXPECT_FALSE(button(sheet, "Export")->isEnabled());
    name->setText(QString::fromUtf8("\u00A0\u3000\u2009\t"));  // Unicode space separators are blank too
    EXPECT_FALSE(button(sheet, "Export")->isEnabled());
    name->setText("\n");  // only blanks and tabs are trimmed here
    EXPECT_TRUE(sheet.canExport());
    name->clear();
    sheet.hide();
    sheet.show();
    EXPECT_EQ(name->text(), "");  // not refilled until the sheet is presented anew
}

TEST_F(RemindersExportSheetTest, EveryAccessBranchThenExportsAndReExportsIntoTheChosenList) {
    ASSERT_FALSE(fs::exists(root()));
    RemindersExportSheet& first = present(reel);
    first.setTarget(RemindersExportSheet::Target::existingList);
    EXPECT_TRUE(shows(first, "Reminders access is requested when you export — your lists appear afterwards."));
    EXPECT_FALSE(first.findChild<QComboBox*>()->isVisibleTo(&first));
    EXPECT_FALSE(button(first, "Export")->isEnabled());

    grantAccess();
    QTRY_VERIFY_WITH_TIMEOUT(shows(first, "No writable lists found."), 10'000);
    EXPECT_FALSE(button(first, "Export")->isEnabled());

    first.setTarget(RemindersExportSheet::Target::newList);
    QTest::keyClick(&first, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(!first.status().isEmpty(), 10'000);
    EXPECT_EQ(first.status(), "Done: 2 new in “Reel 1 – To-Dos”.");
    EXPECT_EQ(first.statusOK(), true);
    EXPECT_TRUE(shows(first, "Done: 2 new in “Reel 1 – To-Dos”."));
    ASSERT_NE(button(first, "Open Reminders"), nullptr);
    // Tab goes through the footer as it reads: "Open Reminders", "Cancel", "Done".
    QWidget* next = button(first, "Open Reminders");
    QStringList order;
    for (int i = 0; i < 2; ++i) {
        do next = next->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus));
        order.append(static_cast<QPushButton*>(next)->text());
    }
    EXPECT_EQ(order, (QStringList{"Cancel", "Done"}));
    QTest::keyClick(&first, Qt::Key_Return);  // "Done" dismisses
    QTRY_VERIFY_WITH_TIMEOUT(!first.isVisible(), 10'000);

    RemindersExportSheet& second = present(reel);
    EXPECT_TRUE(shows(second,
                      "2 of these were exported before — they'll be updated and moved to the chosen list, "
                      "not duplicated."));
    second.setTarget(RemindersExportSheet::Target::existingList);
    auto* lists = second.findChild<QComboBox*>();
    QTRY_COMPARE_WITH_TIMEOUT(lists->count(), 2, 10'000);
    EXPECT_EQ(lists->itemText(0), "Choose …");
    EXPECT_EQ(lists->itemText(1), "Reel 1 – To-Dos");
    EXPECT_FALSE(button(second, "Export")->isEnabled());
    lists->setCurrentIndex(1);
    EXPECT_TRUE(button(second, "Export")->isEnabled());
    exportAndWait(second);
    EXPECT_EQ(second.status(), "Done: 2 updated in “Reel 1 – To-Dos”.");
}

TEST_F(RemindersExportSheetTest, AFailedExportShowsTheErrorAndCanBeRetried) {
    grantAccess();
    RemindersExportSheet& made = present(reel);
    exportAndWait(made);
    made.close();

    RemindersExportSheet& sheet = present({item("Only one", "Reel 2")});
    EXPECT_FALSE(shows(sheet,
                       "1 of these were exported before — they'll be updated and moved to the chosen list, "
                       "not duplicated."));
    sheet.setTarget(RemindersExportSheet::Target::existingList);
    auto* lists = sheet.findChild<QComboBox*>();
    QTRY_COMPARE_WITH_TIMEOUT(lists->count(), 2, 10'000);
    lists->setCurrentIndex(1);
    for (const auto& entry : fs::directory_iterator(root())) fs::remove_all(entry.path());  // deleted elsewhere
    exportAndWait(sheet);
    EXPECT_EQ(sheet.status(), "The selected Reminders list could not be found.");
    EXPECT_EQ(sheet.statusOK(), false);
    EXPECT_EQ(button(sheet, "Open Reminders"), nullptr);
    ASSERT_NE(button(sheet, "Export"), nullptr);
    EXPECT_TRUE(button(sheet, "Export")->isEnabled());
    QTest::keyClick(&sheet, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!sheet.isVisible(), 10'000);
}

// A file stands where the reminders folder belongs: the export is refused, saying so.
TEST_F(RemindersExportSheetTest, AReminderFolderThatCannotBeWrittenRefusesTheExport) {
    std::ofstream(root()) << "not a folder\n";
    RemindersExportSheet& sheet = present(reel);
    exportAndWait(sheet);
    EXPECT_EQ(sheet.status(),
              "QuilloToDo doesn't have access to the reminders folder. Please make it a folder you can write to.");
    EXPECT_EQ(sheet.statusOK(), false);
    EXPECT_TRUE(fs::is_regular_file(root()));
}

TEST(RemindersExportSheetTexts, TheResultLineNamesOnlyTheCountsThatHappened) {
    EXPECT_EQ(RemindersExportSheet::resultLine(3, 0, "Reel"), "Done: 3 new in “Reel”.");
    EXPECT_EQ(RemindersExportSheet::resultLine(0, 2, "Reel"), "Done: 2 updated in “Reel”.");
    EXPECT_EQ(RemindersExportSheet::resultLine(1, 4, "Reel"), "Done: 1 new, 4 updated in “Reel”.");
    // Every one could not be read and was left as it was.
    EXPECT_EQ(RemindersExportSheet::resultLine(0, 0, "Reel"), "Done: 0 new in “Reel”.");
    EXPECT_EQ(RemindersExportSheet::untouchedLine(0, "why"), "");
    EXPECT_EQ(RemindersExportSheet::untouchedLine(1, "Could not read /r/x.ics: Permission denied"),
              " 1 reminder could not be read and was left as it is: Could not read /r/x.ics: Permission denied.");
    EXPECT_EQ(RemindersExportSheet::untouchedLine(2, "Could not list /r/L: Too many open files"),
              " 2 reminders could not be read and were left as they are: Could not list /r/L: Too many open files.");
}

}  // namespace
}  // namespace quillo
