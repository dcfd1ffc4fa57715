#include "QuilloToDo/Views/SettingsWindow/SettingsView.h"

#include "Platform/Reminders/ReminderStore.h"
#include "QuilloToDo/Services/RemindersExportService.h"
#include "QuilloToDo/Settings/WindowSettings.h"
#include "QuilloToDo/Views/Sheets/FeedbackSheet.h"
#include "QuilloToDo/Views/SettingsWindow/LegalLinks.h"
#include "QuilloToDo/Views/SettingsWindow/SettingsTexts.h"
#include "QuilloDesignKit/QuilloColor.h"
#include "QuilloDesignKit/QuilloStatusDot.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace quillo {
namespace {

using platform::ReminderAuthorizationStatus;

// Points the reminders store at a folder of the test for as long as it lives.
struct RemindersRoot {
    explicit RemindersRoot(const QString& path) { qputenv("QUILLOTODO_REMINDERS_DIR", QFile::encodeName(path)); }
    ~RemindersRoot() { qunsetenv("QUILLOTODO_REMINDERS_DIR"); }
};

class SettingsViewTest : public ::testing::Test {
protected:
    QComboBox& presetPicker() { return *view.findChild<QComboBox*>(); }
    QSlider& slider() { return *view.findChild<QSlider*>(); }
    QPushButton* button(const QString& text) {
        for (QPushButton* b : view.findChildren<QPushButton*>()) {
            if (b->text() == text) return b;
        }
        return nullptr;
    }
    bool shows(const QString& text) {
        for (QLabel* label : view.findChildren<QLabel*>()) {
            if (label->text() == text && label->isVisibleTo(&view)) return true;
        }
        return false;
    }
    // Picks the preset at `index` the way a user does: through the popup's keyboard.
    void pick(int index) {
        presetPicker().setFocus();
        while (presetPicker().currentIndex() < index) QTest::keyClick(&presetPicker(), Qt::Key_Down);
        while (presetPicker().currentIndex() > index) QTest::keyClick(&presetPicker(), Qt::Key_Up);
    }

    QTemporaryDir directory;
    // Before the view: its own reminders service looks at this store, which does not exist yet.
    RemindersRoot remindersRoot{directory.filePath("calendars")};
    QSettings file{directory.filePath("QuilloToDo.conf"), QSettings::IniFormat};
    WindowSettings settings{file};
    RemindersExportService remindersExport{&file, directory.filePath("reminders_mapping.json")};
    SettingsView view{FeedbackSources{}, settings, remindersExport};
};

TEST_F(SettingsViewTest, PickingAPresetWritesItsFourValuesAndPickingItAgainWritesNothing) {
    ASSERT_EQ(presetPicker().count(), 3);
    EXPECT_EQ(presetPicker().currentText(), "Claude Colors");  // the default
    QSignalSpy changes(&settings, &WindowSettings::changed);

    pick(1);
    EXPECT_EQ(settings.appearancePresetID(), "soft");
    EXPECT_EQ(settings.baseColorHex(), "#000000");
    EXPECT_EQ(settings.sidebarColorHex(), "");
    EXPECT_EQ(settings.sidebarDarknessDelta(), 0.05);
    EXPECT_EQ(settings.windowGlassDarkness(), 0.4);
    EXPECT_EQ(file.value("quilloSidebarColorHex").toString(), "");  // stored, not left to the default

    settings.setWindowGlassDarkness(0.5);
    changes.clear();
    pick(0);
    pick(1);  // back to "Soft": the preset changed, so it is applied again
    EXPECT_EQ(settings.windowGlassDarkness(), 0.4);

    settings.setWindowGlassDarkness(0.5);
    changes.clear();
    Q_EMIT presetPicker().activated(1);  // the selected preset picked again
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(settings.windowGlassDarkness(), 0.5);
}

TEST_F(SettingsViewTest, AStoredPresetThatIsNoneOfTheBuiltInOnesChangesNothing) {
    settings.setAppearancePresetID("retired");
    EXPECT_EQ(presetPicker().currentIndex(), -1);
    EXPECT_EQ(settings.baseColorHex(), "#0D0D0D");
    EXPECT_EQ(settings.windowGlassDarkness(), 0.95);
}

TEST_F(SettingsViewTest, TheSliderMovesOnlyTheTransparencyAndShowsItsPercentage) {
    EXPECT_EQ(slider().value(), 95);  // 0.95, in percent for assistive technology
    EXPECT_TRUE(shows("95%"));
    slider().setValue(37);  // dragged between two steps: snaps to 35
    EXPECT_EQ(slider().value(), 35);
    EXPECT_DOUBLE_EQ(settings.windowGlassDarkness(), 0.35);
    EXPECT_TRUE(shows("35%"));
    EXPECT_EQ(settings.appearancePresetID(), "claudeColors");
    settings.setWindowGlassDarkness(0.0);  // e.g. a preset applied elsewhere
    EXPECT_EQ(slider().value(), 0);
    EXPECT_TRUE(shows("0%"));

    EXPECT_EQ(SettingsTexts::transparencyPercent(0.35), "35%");
    EXPECT_EQ(SettingsTexts::transparencyPercent(1), "100%");
    EXPECT_EQ(SettingsTexts::transparencyPercent(0.999), "99%");  // the fraction is dropped
    EXPECT_EQ(SettingsTexts::transparencyPercent(std::nan("")), "0%");
}

TEST_F(SettingsViewTest, TheAccessButtonAsksOnceAndDisappearsWhenAccessIsGranted) {
    // Until the store has been read the row shows no state at all, not one that may be wrong.
    EXPECT_FALSE(shows("Not requested yet"));
    EXPECT_FALSE(button("Allow Access")->isVisibleTo(&view));
    QTRY_VERIFY_WITH_TIMEOUT(shows("Not requested yet"), 10'000);
    QPushButton* allow = button("Allow Access");
    ASSERT_NE(allow, nullptr);
    EXPECT_TRUE(allow->isVisibleTo(&view));
    EXPECT_NE(view.findChild<QuilloStatusDot*>()->color(), Color::green());

    // What the button shows while the request runs (the request may end before click() returns).
    QString askingText;
    bool askingEnabled = true;
    QSignalSpy requesting(&view, &SettingsView::remindersRequestingChanged);
    QObject::connect(&view, &SettingsView::remindersRequestingChanged, &view, [&](bool running) {
        if (!running) return;
        askingText = allow->text();
        askingEnabled = allow->isEnabled();
        allow->click();  // disabled: no second request
    });
    allow->click();
    QTRY_VERIFY_WITH_TIMEOUT(!view.remindersRequesting(), 10'000);
    EXPECT_EQ(askingText, "Asking …");
    EXPECT_FALSE(askingEnabled);
    EXPECT_EQ(requesting.count(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(shows("Access granted"), 10'000);
    EXPECT_FALSE(allow->isVisibleTo(&view));
    EXPECT_EQ(view.findChild<QuilloStatusDot*>()->color(), Color::green());
    EXPECT_EQ(view.remindersExport().authorizationStatus(), ReminderAuthorizationStatus::fullAccess);
    EXPECT_TRUE(QDir(directory.filePath("calendars")).exists());
}

// The folder would have to be made inside a file: the request ends refused, saying why.
TEST(SettingsViewAccess, AFolderThatCannotBeCreatedEndsInTheDeniedStateWithTheReason) {
    QTemporaryDir directory;
    QFile(directory.filePath("file")).open(QIODevice::WriteOnly);
    RemindersRoot root{directory.filePath("file/calendars")};
    QSettings file{directory.filePath("QuilloToDo.conf"), QSettings::IniFormat};
    WindowSettings settings{file};
    RemindersExportService remindersExport{&file, directory.filePath("reminders_mapping.json")};
    SettingsView view{FeedbackSources{}, settings, remindersExport};
    QTRY_VERIFY_WITH_TIMEOUT(view.remindersExport().isAuthorizationStatusKnown(), 10'000);
    for (QPushButton* b : view.findChildren<QPushButton*>()) {
        if (b->text() == "Allow Access") b->click();
    }
    QTRY_VERIFY_WITH_TIMEOUT(!view.remindersRequesting(), 10'000);
    EXPECT_EQ(view.remindersExport().authorizationStatus(), ReminderAuthorizationStatus::denied);
    const auto labels = view.findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](QLabel* label) {
        return label->isVisibleTo(&view) && label->text().startsWith("Access denied");
    }));
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](QLabel* label) {
        return label->isVisibleTo(&view) && label->text().contains("cannot be created") &&
               label->text().contains(directory.filePath("file/calendars"));
    }));
}

TEST_F(SettingsViewTest, SendFeedbackOpensTheSheetForTheSettingsArea) {
    view.show();
    QSignalSpy shown(&view, &SettingsView::showFeedbackChanged);
    button("Send Feedback …")->click();
    auto* sheet = view.findChild<FeedbackSheet*>();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(view.showFeedback());
    EXPECT_EQ(sheet->herkunft(), "Settings");
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    button("Send Feedback …")->click();  // already shown: nothing more
    EXPECT_EQ(view.findChildren<FeedbackSheet*>().size(), 1);
    QTest::keyClick(sheet, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!view.showFeedback(), 10'000);
    EXPECT_EQ(shown.count(), 2);
}

TEST(SettingsTexts, AccessStatusTexts) {
    EXPECT_EQ(SettingsTexts::remindersAccess(ReminderAuthorizationStatus::denied),
              "Access denied (folder not writable)");
    EXPECT_EQ(SettingsTexts::remindersAccess(ReminderAuthorizationStatus::restricted),
              "Access denied (folder not writable)");
    EXPECT_EQ(SettingsTexts::remindersAccess(ReminderAuthorizationStatus::writeOnly), "Write-only access");
    EXPECT_EQ(SettingsTexts::remindersAccess(ReminderAuthorizationStatus(9)), "Unknown");
}

TEST(SettingsTexts, ShortcutCaptionsUseThePlatformsKeyNames) {
    EXPECT_TRUE(SettingsTexts::remindersCaption().contains("(main window's context menu, Ctrl+Shift+E)"));
    EXPECT_TRUE(
        SettingsTexts::feedbackCaption().endsWith("Also available via Ctrl+? in the main window's context menu."));
}

TEST(SettingsTexts, TheOpenSourceNoticeNamesWhatTheProgramLinks) {
    const QString notice = SettingsTexts::openSourceNotice();
    for (const char* component :
         {"Qt (LGPL-3.0", "ICU (Unicode license", "SQLite (public domain", "expat (MIT license",
          "nlohmann-json (MIT license", "libical (MPL-2.0", "Avahi (LGPL-2.1", "OpenSSL (Apache-2.0"}) {
        EXPECT_TRUE(notice.contains(component)) << component;
    }
    EXPECT_FALSE(notice.contains("Sparkle"));
}

TEST(LegalLinks, HttpsPagesOnTheLegalHost) {
    EXPECT_EQ(LegalLinks::privacy().scheme(), "https");
    EXPECT_EQ(LegalLinks::privacy().path(), "/quillotodo-legal/privacy.html");
    EXPECT_EQ(LegalLinks::terms().path(), "/quillotodo-legal/terms.html");
    EXPECT_FALSE(LegalLinks::terms().host().isEmpty());
    EXPECT_EQ(LegalLinks::terms().host(), LegalLinks::privacy().host());
}

}  // namespace
}  // namespace quillo
