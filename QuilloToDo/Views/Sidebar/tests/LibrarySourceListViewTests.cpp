#include "QuilloToDo/Views/Sidebar/LibrarySourceListView.h"

#include "QuilloDesignKit/QuilloButton.h"
#include "QuilloDesignKit/QuilloCountBadge.h"
#include "QuilloToDo/Views/Sidebar/EventCard.h"
#include "QuilloToDo/Views/Sidebar/LibraryCardRow.h"
#include "QuilloDesignKit/QuilloSymbolButton.h"
#include "QuilloDesignKit/QuilloTooltip.h"
#include "QuilloDesignKit/QuilloTooltipPill.h"
#include "QuilloToDo/Views/Sidebar/TimelineToggleRow.h"
#include "QuilloToDo/Views/testing/WindowTestFixture.h"
#include "testing/FinalCutProProcess.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace quillo;
using namespace quillo::test;
namespace fs = std::filesystem;

namespace {

// Final Cut Pro stands in under a name of this suite's own.
const QString kStandInName = QStringLiteral("QuilloSideFCP");

class SidebarTest : public WindowTest {
protected:
    SidebarTest() : WindowTest(kStandInName) {}

    LibrarySourceListView& sidebar() {
        if (!sidebar_)
            sidebar_ = std::make_unique<LibrarySourceListView>(libraries_, index_, filter_, windowSettings_, panel_);
        return *sidebar_;
    }
    QStringList watchedNames() const {
        QStringList names;
        for (const auto* library : libraries_.watchedLibraries()) names.append(library->name());
        return names;
    }
    QString database(const fs::path& bundle) const { return qPath(bundle / "Day 1/CurrentVersion.fcpevent"); }

    std::unique_ptr<LibrarySourceListView> sidebar_;
};

}  // namespace

TEST_F(SidebarTest, TheAddButtonAddsTheBundleThePanelAnswersAndACancelAddsNothing) {
    const auto cut = bundle("a", "Cut");
    sidebar().addButton()->click();
    EXPECT_EQ(panel_.shown, 1);
    EXPECT_TRUE(libraries_.watchedLibraries().isEmpty());

    panel_.answer = urlOf(dir_.path() / "a");  // a folder that is no bundle
    sidebar().addButton()->click();
    EXPECT_TRUE(libraries_.watchedLibraries().isEmpty());

    panel_.answer = urlOf(cut);
    sidebar().addButton()->click();
    EXPECT_EQ(watchedNames(), QStringList{"Cut"});
    sidebar().addButton()->click();
    EXPECT_EQ(panel_.startFolder, qPath(dir_.path() / "a"));
    ASSERT_EQ(sidebar().libraryCards().size(), 1);
    EXPECT_EQ(sidebar().libraryCards()[0]->accessibleName(), "Cut");
    EXPECT_TRUE(sidebar().libraryCards()[0]->showsProgress());
    libraries_.markLoaded(urlOf(cut), std::nullopt);
    EXPECT_FALSE(sidebar().libraryCards()[0]->showsProgress());
    EXPECT_EQ(sidebar().addButton()->text(), "Add Library...");
    EXPECT_EQ(sidebar().detectButton()->text(), "Detect from Final Cut Pro");
}

// The real dialog: it opens where the library added last lies (the home folder before any), refuses
// a plain folder by opening it, and adds a bundle whose path is typed into its field.
TEST_F(SidebarTest, TheFileDialogAddsATypedBundleAndOpensWhereTheLibraryAddedLastLies) {
    EXPECT_EQ(addLibraryStartFolder(libraries_), QDir::homePath());
    libraries_.addLibrary(urlOf(bundle("first", "Old")));
    const auto cut = bundle("second", "Cut");
    FileDialogAddLibraryPanel panel;
    QWidget window;
    window.show();
    presentAddLibraryPanel(panel, libraries_, &window);
    auto* dialog = window.findChild<QFileDialog*>();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    EXPECT_EQ(dialog->directory().absolutePath(), qPath(dir_.path() / "first"));
    auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(field, nullptr);

    field->setText(qPath(dir_.path() / "second"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->directory().absolutePath(), qPath(dir_.path() / "second"));

    field->clear();
    QTest::keyClicks(field, qPath(cut));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(watchedNames(), (QStringList{"Old", "Cut"}));
    QTRY_VERIFY_WITH_TIMEOUT(window.findChild<QFileDialog*>() == nullptr, 10'000);
    EXPECT_EQ(addLibraryStartFolder(libraries_), qPath(dir_.path() / "second"));

    // Opened (as a double-click does) and taken with the default button.
    const auto reel = bundle("second", "Reel");
    presentAddLibraryPanel(panel, libraries_, &window);
    dialog = window.findChild<QFileDialog*>();
    ASSERT_NE(dialog, nullptr);
    dialog->setDirectory(qPath(reel));
    QPushButton* add = nullptr;
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == "Add Library") add = button;
    }
    ASSERT_NE(add, nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(add->isEnabled(), 10'000);
    add->click();
    EXPECT_EQ(watchedNames(), (QStringList{"Old", "Cut", "Reel"}));
    QTRY_VERIFY_WITH_TIMEOUT(window.findChild<QFileDialog*>() == nullptr, 10'000);

    // After a restart too, though the library added last sorts first and the libraries come back in
    // the order of their paths.
    libraries_.addLibrary(urlOf(bundle("early", "Zed")));
    settings_.sync();
    QSettings reread(settings_.fileName(), QSettings::IniFormat);
    LibraryController restarted(reread, platform::FinalCutProAutomation(kStandInName));
    ASSERT_EQ(restarted.watchedLibraries().size(), 4);
    presentAddLibraryPanel(panel, restarted, &window);
    dialog = window.findChild<QFileDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->directory().absolutePath(), qPath(dir_.path() / "early"));
    dialog->reject();
}

TEST_F(SidebarTest, DetectionAddsOneFreshLibraryAtOnceAndAsksWhenThereAreSeveral) {
    const auto first = bundle("a", "First");
    const auto second = bundle("b", "Second");
    const auto third = bundle("c", "Third");

    ASSERT_TRUE(awaitFuture(sidebar().detect()));
    EXPECT_TRUE(sidebar().detectionErrorLabel()->isVisibleTo(&sidebar()));
    EXPECT_EQ(sidebar().detectionErrorLabel()->text(), "Final Cut Pro is not running.");

    {
        // Only a library already watched is open: nothing happens, no dialog.
        libraries_.addLibrary(urlOf(first));
        quillo::testing::FinalCutProProcess application(dir_.path(), {database(first)}, kStandInName);
        ASSERT_TRUE(application.isReady());
        ASSERT_TRUE(awaitFuture(sidebar().detect()));
        EXPECT_FALSE(sidebar().detectionErrorLabel()->isVisibleTo(&sidebar()));
        EXPECT_EQ(watchedNames(), QStringList{"First"});
        EXPECT_EQ(sidebar().multiplePicker(), nullptr);
    }
    {
        quillo::testing::FinalCutProProcess application(dir_.path(), {database(first), database(second)}, kStandInName);
        ASSERT_TRUE(application.isReady());
        ASSERT_TRUE(awaitFuture(sidebar().detect()));
        EXPECT_EQ(watchedNames(), (QStringList{"First", "Second"}));
        EXPECT_EQ(sidebar().multiplePicker(), nullptr);
    }
    libraries_.removeLibrary(1);
    {
        quillo::testing::FinalCutProProcess application(
            dir_.path(), {database(second), database(first), database(third)}, kStandInName);
        ASSERT_TRUE(application.isReady());
        ASSERT_TRUE(awaitFuture(sidebar().detect()));
    }
    QMessageBox* picker = sidebar().multiplePicker();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->text(), "Multiple libraries are open in Final Cut Pro");
    EXPECT_EQ(picker->windowModality(), Qt::WindowModal);
    QStringList buttons;
    for (auto* button : picker->buttons()) buttons.append(button->text());
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"Add All", "Cancel", "Second", "Third"}));
    EXPECT_EQ(sidebar().multipleFound(), (QList<QUrl>{urlOf(second), urlOf(third)}));
    for (auto* button : picker->buttons()) {
        if (button->text() == "Add All") button->click();
    }
    EXPECT_EQ(watchedNames(), (QStringList{"First", "Second", "Third"}));
}

TEST_F(SidebarTest, ARemoveButtonRemovesItsOwnLibraryAfterAnotherWasRemoved) {
    for (const auto* name : {"A", "B", "C"}) libraries_.addLibrary(urlOf(bundle(name, name)));
    ASSERT_EQ(sidebar().libraryCards().size(), 3);
    LibraryCardRow* cardOfB = sidebar().libraryCards()[1];
    EXPECT_FALSE(cardOfB->removeButton()->isVisibleTo(cardOfB));
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(cardOfB, &enter);
    EXPECT_TRUE(cardOfB->removeButton()->isVisibleTo(cardOfB));
    EXPECT_EQ(cardOfB->removeButton()->tooltip()->text(), "Remove library");

    libraries_.removeLibrary(0);  // B now stands where C stood when its card was made
    cardOfB->removeButton()->click();
    EXPECT_EQ(watchedNames(), QStringList{"C"});
}

TEST_F(SidebarTest, EventCardsFoldOpenAndSwitchTheirTimelines) {
    fs::create_directories(dir_.path() / "cut");
    {
        quillo::testing::LibraryBuilder library(dir_.path() / "cut", "Cut");
        for (const auto* day : {"Day 1", "Day 2"}) {
            auto& event = library.event(day);
            for (const auto* name : {"Main", "Teaser"}) {
                event.sequence(name)
                    .clip("Shot", 0.0, 9.0)
                    .marker("Fix", quillo::testing::MarkerType::todo, 1.0, {.completed = false});
            }
        }
        libraries_.addLibrary(urlOf(library.finish()));
    }
    refreshIndex();
    ASSERT_EQ(sidebar().eventCards().size(), 2);
    EventCard* dayOne = sidebar().eventCards()[0];
    ASSERT_NE(dayOne->headerButton(), nullptr);
    EXPECT_EQ(dayOne->headerButton()->text(), "Day 1");
    EXPECT_TRUE(dayOne->rows().isEmpty());
    EXPECT_EQ(dayOne->badge()->count(), 2);

    dayOne->headerButton()->click();
    EXPECT_EQ(windowSettings_.expandedEvents(), "Cut|Day 1");
    dayOne = sidebar().eventCards()[0];
    ASSERT_EQ(dayOne->rows().size(), 2);
    EXPECT_EQ(dayOne->badge(), nullptr);
    EXPECT_EQ(dayOne->checkbox()->symbol(), "checkmark.square.fill");
    EXPECT_EQ(dayOne->checkbox()->tooltip()->text(), "Exclude all timelines");

    dayOne->rows()[1]->click();  // Teaser out
    dayOne = sidebar().eventCards()[0];
    EXPECT_FALSE(dayOne->rows()[1]->isIncluded());
    EXPECT_EQ(dayOne->rows()[1]->badge().count(), 1);  // counted while excluded
    EXPECT_EQ(dayOne->checkbox()->symbol(), "minus.square.fill");
    EXPECT_EQ(filter_.filteredItems(index_.items()).size(), 3u);

    dayOne->checkbox()->click();  // partly included: all come back
    dayOne = sidebar().eventCards()[0];
    EXPECT_EQ(dayOne->checkbox()->symbol(), "checkmark.square.fill");
    dayOne->checkbox()->click();  // fully included: all go
    dayOne = sidebar().eventCards()[0];
    EXPECT_EQ(dayOne->checkbox()->symbol(), "square");
    EXPECT_EQ(dayOne->checkbox()->tooltip()->text(), "Include all timelines");
    EXPECT_EQ(filter_.filteredItems(index_.items()).size(), 2u);

    dayOne->headerButton()->click();
    EXPECT_EQ(windowSettings_.expandedEvents(), "");
}

// A search changes only the numbers: the same cards and rows show them, as the focus and a screen
// reader found them; a timeline switched off still gets new cards.
TEST_F(SidebarTest, ASearchChangesTheCountsOfTheCardsInPlace) {
    fs::create_directories(dir_.path() / "cut");
    {
        quillo::testing::LibraryBuilder library(dir_.path() / "cut", "Cut");
        for (const auto* day : {"Day 1", "Day 2"}) {
            auto clip = library.event(day).sequence("Main").clip("Shot", 0.0, 9.0);
            clip.marker("Fix the sky", quillo::testing::MarkerType::todo, 1.0, {.completed = false});
            clip.marker("Grade", quillo::testing::MarkerType::todo, 2.0, {.completed = false});
        }
        libraries_.addLibrary(urlOf(library.finish()));
    }
    refreshIndex();
    sidebar().eventCards()[0]->headerButton()->click();
    ASSERT_EQ(sidebar().eventCards().size(), 2);
    EventCard* dayOne = sidebar().eventCards()[0];
    EventCard* dayTwo = sidebar().eventCards()[1];
    TimelineToggleRow* main = dayOne->rows()[0];
    EXPECT_EQ(main->badge().count(), 2);

    filter_.setFilter(MarkerFilter({}, {}, {}, "sky"));
    ASSERT_EQ(sidebar().eventCards().size(), 2);
    EXPECT_EQ(sidebar().eventCards()[0], dayOne);
    EXPECT_EQ(sidebar().eventCards()[1], dayTwo);
    EXPECT_EQ(dayOne->rows()[0], main);
    EXPECT_EQ(main->badge().count(), 1);
    EXPECT_EQ(dayOne->card().timelines[0].count, 1);
    EXPECT_EQ(dayTwo->badge()->count(), 1);

    filter_.setFilter(MarkerFilter({}, {}, {}, "nothing matches this"));
    EXPECT_EQ(sidebar().eventCards()[0], dayOne);
    EXPECT_EQ(main->badge().count(), 0);
    EXPECT_EQ(dayTwo->badge()->count(), 0);

    main->click();
    ASSERT_EQ(sidebar().eventCards().size(), 2);
    EXPECT_NE(sidebar().eventCards()[0], dayOne);
    EXPECT_FALSE(sidebar().eventCards()[0]->rows()[0]->isIncluded());
}

// Two bundles named "Cut" in different folders: each has its own card, count and fold.
TEST_F(SidebarTest, LibrariesOfOneNameKeepTheirOwnEventCards) {
    libraries_.addLibrary(urlOf(bundle("a", "Cut", 2)));
    libraries_.addLibrary(urlOf(bundle("b", "Cut", 1)));
    refreshIndex();
    ASSERT_EQ(sidebar().eventCards().size(), 2);
    EXPECT_EQ(sidebar().eventCards()[0]->headerButton()->text(), "Cut / Day 1");
    EXPECT_EQ(sidebar().eventCards()[0]->badge()->count(), 2);
    EXPECT_EQ(sidebar().eventCards()[1]->badge()->count(), 1);

    sidebar().eventCards()[1]->headerButton()->click();
    EXPECT_TRUE(sidebar().eventCards()[0]->rows().isEmpty());
    ASSERT_EQ(sidebar().eventCards()[1]->rows().size(), 1);
    EXPECT_EQ(sidebar().eventCards()[1]->rows()[0]->badge().count(), 1);
}

TEST_F(SidebarTest, ALoneEventIsAlwaysOpenAndHasNoHeader) {
    libraries_.addLibrary(urlOf(bundle("a", "Cut", 3)));
    windowSettings_.setExpandedEvents(QStringLiteral("\x01Other|Day\x01\x01"));
    refreshIndex();
    ASSERT_EQ(sidebar().eventCards().size(), 1);
    const EventCard* card = sidebar().eventCards()[0];
    EXPECT_EQ(card->headerButton(), nullptr);
    EXPECT_EQ(card->checkbox(), nullptr);
    ASSERT_EQ(card->rows().size(), 1);
    EXPECT_EQ(card->rows()[0]->text(), "Main Cut");
    EXPECT_EQ(card->rows()[0]->badge().count(), 3);
}

// A card opens over the layout animation: it starts at the folded card's height and grows to its own.
TEST_F(SidebarTest, AnEventCardUnfoldsOverTheLayoutAnimation) {
    libraries_.addLibrary(urlOf(bundle("a", "QuilloFoldA")));
    libraries_.addLibrary(urlOf(bundle("b", "QuilloFoldB")));
    refreshIndex();
    sidebar().resize(240, 400);
    sidebar().show();
    ASSERT_TRUE(
        waitUntil([&] { return sidebar().eventCards().size() == 2 && sidebar().eventCards()[0]->isVisible(); }));
    const int folded = sidebar().eventCards()[0]->height();

    sidebar().eventCards()[0]->headerButton()->click();
    EventCard* opened = sidebar().eventCards()[0];
    const int open = opened->sizeHint().height();
    ASSERT_GT(open, folded);
    EXPECT_EQ(opened->maximumHeight(), folded);  // still at the old height, and growing
    ASSERT_TRUE(waitUntil([&] { return opened->height() == open; }));
    EXPECT_EQ(opened->maximumHeight(), QWIDGETSIZE_MAX);  // free again once grown
}
