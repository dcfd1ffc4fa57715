#include "QuilloDesignKit/QuilloColor.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

// Components as 0...255 integers, the way the parser's results are meant to be compared.
std::array<int, 4> rgba(const QColor& c) { return {c.red(), c.green(), c.blue(), c.alpha()}; }

TEST(ColorFromHex, AcceptsNumberSignsCaseAndSurroundingWhiteSpace) {
    for (const char* text : {"#0D0D0D", "0D0D0D", "##0D0D0D", "  #0d0d0d \n", "#0D#0D#0D"}) {
        const auto color = Color::fromHex(QString::fromLatin1(text));
        ASSERT_TRUE(color.has_value()) << text;
        EXPECT_EQ(rgba(*color), (std::array<int, 4>{13, 13, 13, 255})) << text;
    }
}

TEST(ColorFromHex, RefusesAnythingButSixCharacters) {
    for (const char* text : {"#FFF", "", "#", "#1234567", "12345", "# 12345"})
        EXPECT_FALSE(Color::fromHex(QString::fromLatin1(text)).has_value()) << text;
}

TEST(ColorFromHex, ReadsTheDigitsBeforeTheFirstNonDigit) {
    EXPECT_EQ(rgba(*Color::fromHex(u"12345G")), (std::array<int, 4>{0x01, 0x23, 0x45, 255}));
    EXPECT_EQ(rgba(*Color::fromHex(u"0x1234")), (std::array<int, 4>{0, 0x12, 0x34, 255}));
    EXPECT_EQ(rgba(*Color::fromHex(u"0X00ff")), (std::array<int, 4>{0, 0, 0xFF, 255}));
    EXPECT_FALSE(Color::fromHex(u"GGGGGG").has_value());
    EXPECT_FALSE(Color::fromHex(u"0xGGGG").has_value());
}

TEST(ColorTokens, DerivedColoursKeepTheirBaseAtTheirOpacity) {
    EXPECT_EQ(rgba(Color::quilloAccent()), (std::array<int, 4>{0, 140, 216, 255}));
    const QColor selection = Color::quilloSelection();
    EXPECT_EQ(selection.rgb(), Color::quilloAccent().rgb());
    EXPECT_NEAR(selection.alphaF(), 0.25, 0.003);
    EXPECT_NEAR(Color::quilloTextTertiary().alphaF(), 0.5, 0.003);
    EXPECT_EQ(Color::quilloDivider().rgb(), QColor(Qt::white).rgb());
    // Made once: every call hands out the same object.
    EXPECT_EQ(&Color::quilloChipFill(), &Color::quilloChipFill());
}

}  // namespace
}  // namespace quillo
