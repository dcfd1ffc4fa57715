#include "QuilloToDo/Settings/WindowSettings.h"
#include "QuilloToDo/Views/Shell/WindowAppearance.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillo;

TEST(WindowAppearance, WithNothingStoredTheWindowAndSidebarTakeThePresetColours) {
    QTemporaryDir directory;
    QSettings stored(directory.filePath("QuilloToDo.conf"), QSettings::IniFormat);
    const auto appearance = WindowAppearance::from(WindowSettings(stored));
    EXPECT_EQ(appearance.windowColor(), QColor("#0D0D0D"));
    EXPECT_DOUBLE_EQ(appearance.glassDarkness, 0.95);
    EXPECT_EQ(appearance.sidebarColor(), QColor("#121212"));
    // The sidebar has its own colour, so the darkness delta is not used.
    EXPECT_DOUBLE_EQ(appearance.sidebarOpacity(), 0.95);
}

TEST(WindowAppearance, WithoutASidebarColourTheCardIsTheBaseLighterByTheDelta) {
    WindowAppearance appearance{
        .glassDarkness = 0.7, .baseColorHex = "#000000", .sidebarColorHex = "", .sidebarDarknessDelta = 0.05};
    EXPECT_EQ(appearance.sidebarColor(), QColor(Qt::black));
    EXPECT_DOUBLE_EQ(appearance.sidebarOpacity(), 0.7 - 0.05);
    appearance.glassDarkness = 0.03;
    EXPECT_DOUBLE_EQ(appearance.sidebarOpacity(), 0.0);
}

TEST(WindowAppearance, AnUnreadableSidebarColourGivesTheBaseAtTheFullDarkness) {
    const WindowAppearance appearance{
        .glassDarkness = 0.6, .baseColorHex = "#102030", .sidebarColorHex = "#nope", .sidebarDarknessDelta = 0.2};
    EXPECT_EQ(appearance.sidebarColor(), QColor("#102030"));
    EXPECT_DOUBLE_EQ(appearance.sidebarOpacity(), 0.6);
    const WindowAppearance unreadable{
        .glassDarkness = 0.6, .baseColorHex = "#FFF", .sidebarColorHex = "", .sidebarDarknessDelta = 0.0};
    EXPECT_EQ(unreadable.windowColor(), QColor(Qt::black));
    EXPECT_EQ(unreadable.sidebarColor(), QColor(Qt::black));
}
