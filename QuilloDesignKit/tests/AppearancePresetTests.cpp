#include "QuilloDesignKit/QuilloAppearancePreset.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

TEST(AppearancePreset, BuiltInListsThePresetsInPickerOrder) {
    const auto& presets = QuilloAppearancePreset::builtIn();
    ASSERT_EQ(presets.size(), 3);
    EXPECT_EQ(presets[0], QuilloAppearancePreset::deepBlack());
    EXPECT_EQ(presets[1], QuilloAppearancePreset::soft());
    EXPECT_EQ(presets[2], QuilloAppearancePreset::claudeColors());

    const auto& claude = QuilloAppearancePreset::claudeColors();
    EXPECT_EQ(claude.id, "claudeColors");
    EXPECT_EQ(claude.name, "Claude Colors");
    EXPECT_EQ(claude.baseDarkness, 0.95);
    EXPECT_EQ(claude.baseColorHex, "#0D0D0D");
    EXPECT_EQ(claude.sidebarColorHex, QString("#121212"));
    EXPECT_EQ(claude.selectionColorHex, QString("#454545"));
}

TEST(AppearancePreset, DeepBlackAndSoftDifferOnlyInIdNameAndDarkness) {
    QuilloAppearancePreset soft = QuilloAppearancePreset::soft();
    EXPECT_NE(soft, QuilloAppearancePreset::deepBlack());
    soft.id = "deepBlack";
    soft.name = "Deep Black";
    soft.baseDarkness = 0.7;
    EXPECT_EQ(soft, QuilloAppearancePreset::deepBlack());
}

TEST(AppearancePreset, AbsentAndPresentOptionalsAreNotEqual) {
    QuilloAppearancePreset a = QuilloAppearancePreset::deepBlack();
    QuilloAppearancePreset b = a;
    b.selectionColorHex = "#454545";
    EXPECT_NE(a, b);
    a.selectionColorHex = "#454545";
    EXPECT_EQ(a, b);
}

}  // namespace
}  // namespace quillo
