#include "QuilloToDo/Settings/AppNotifications.h"
#include "QuilloToDo/Settings/NotificationNames.h"
#include "QuilloToDo/Settings/WindowSettings.h"
#include "QuilloToDo/Settings/WindowSettingsKeys.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillo {
namespace {

class WindowSettingsTest : public ::testing::Test {
protected:
    QString path() const { return dir.filePath("QuilloToDo.conf"); }
    QTemporaryDir dir;
    QSettings file{path(), QSettings::IniFormat};
};

TEST_F(WindowSettingsTest, NothingStoredReadsTheClaudeColorsPresetAndAssignee) {
    const WindowSettings settings(file);
    EXPECT_EQ(settings.windowGlassDarkness(), 0.95);
    EXPECT_EQ(settings.baseColorHex(), "#0D0D0D");
    EXPECT_EQ(settings.sidebarColorHex(), "#121212");
    EXPECT_EQ(settings.sidebarDarknessDelta(), 0.0);
    EXPECT_EQ(settings.appearancePresetID(), "claudeColors");
    EXPECT_EQ(settings.listGroupingRaw(), "assignee");
    EXPECT_EQ(settings.expandedEvents(), "");
}

TEST_F(WindowSettingsTest, ValuesSurviveTheFileAndUnreadableNumbersReadAsTheDefault) {
    {
        WindowSettings settings(file);
        settings.setWindowGlassDarkness(0.4);
        settings.setSidebarColorHex("");
        settings.setListGroupingRaw("timeline");
        file.setValue(WindowSettingsKey::kSidebarDarknessDelta, "a lot");
        file.sync();
    }
    QSettings reread(path(), QSettings::IniFormat);
    const WindowSettings settings(reread);
    EXPECT_EQ(settings.windowGlassDarkness(), 0.4);  // stored as text by the INI format
    EXPECT_EQ(settings.sidebarColorHex(), "");       // the empty text is a value, not absence
    EXPECT_EQ(settings.listGroupingRaw(), "timeline");
    EXPECT_EQ(settings.sidebarDarknessDelta(), 0.0);
}

TEST_F(WindowSettingsTest, NotifiesOnlyRealChanges) {
    WindowSettings settings(file);
    QSignalSpy darkness(&settings, &WindowSettings::windowGlassDarknessChanged);
    QSignalSpy any(&settings, &WindowSettings::changed);

    settings.setWindowGlassDarkness(0.95);  // the default: no change
    EXPECT_EQ(darkness.count(), 0);
    EXPECT_EQ(file.value(WindowSettingsKey::kWindowGlassDarkness).toDouble(), 0.95);  // yet stored

    settings.setWindowGlassDarkness(0.5);
    settings.setWindowGlassDarkness(0.5);
    ASSERT_EQ(darkness.count(), 1);
    EXPECT_EQ(darkness.at(0).at(0).toDouble(), 0.5);

    settings.setBaseColorHex("#000000");
    settings.setExpandedEvents("a|b");
    ASSERT_EQ(any.count(), 3);
    EXPECT_EQ(any.at(1).at(0).toString(), "quilloBaseColorHex");
    EXPECT_EQ(any.at(2).at(0).toString(), "QuilloToDo.ExpandedEvents");
}

TEST(AppNotificationsTest, PostingANameEmitsItsSignalOnly) {
    auto& center = AppNotifications::defaultCenter();
    QSignalSpy feedback(&center, &AppNotifications::showFeedbackSheet);
    QSignalSpy reminders(&center, &AppNotifications::showRemindersExportSheet);
    EXPECT_TRUE(center.post(NotificationName::kShowRemindersExportSheet));
    EXPECT_FALSE(center.post(u"showSomethingElse"));
    EXPECT_EQ(feedback.count(), 0);
    EXPECT_EQ(reminders.count(), 1);
    EXPECT_EQ(&center, &AppNotifications::defaultCenter());
}

}  // namespace
}  // namespace quillo
