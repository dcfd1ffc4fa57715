#include "QuilloToDo/Views/Panels/MiddleElidedLabel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace quillo {
namespace {

TEST(MiddleElidedLabel, CutsLongTextsInTheMiddleToTwoLines) {
    const QFont font;
    const QString shortText = QStringLiteral("Main Edit");
    EXPECT_EQ(middleElidedLines(shortText, font, 300, 2), QStringList{shortText});

    QString longText = QStringLiteral("BEGIN ");
    for (int i = 0; i < 60; ++i) longText += QStringLiteral("word%1 ").arg(i);
    longText += QStringLiteral("END");
    const QStringList lines = middleElidedLines(longText, font, 150, 2);
    ASSERT_EQ(lines.size(), 2);
    const QString shown = lines.join(QLatin1Char(' '));
    EXPECT_TRUE(shown.startsWith(QStringLiteral("BEGIN")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("END")));
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    const QFontMetricsF metrics(font);
    for (const QString& line : lines) EXPECT_LE(metrics.horizontalAdvance(line), 150.5);
}

// What is copied is the value, not the cut text shown; an uncut value copies what is selected.
TEST(MiddleElidedLabel, CopyingACutValueCopiesTheWholeValue) {
    MiddleElidedLabel label(2);
    QString value = QStringLiteral("BEGIN ");
    for (int i = 0; i < 60; ++i) value += QStringLiteral("word%1 ").arg(i);
    label.setFullText(value + QStringLiteral("END"));
    label.resize(150, 40);
    ASSERT_TRUE(label.text().contains(QChar(0x2026)));
    label.setSelection(0, int(label.text().size()));
    QTest::keySequence(&label, QKeySequence::Copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), label.fullText());

    label.setFullText(QStringLiteral("Main Edit"));
    label.resize(300, 40);
    label.setSelection(0, 4);
    QTest::keySequence(&label, QKeySequence::Copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Main"));
}

}  // namespace
}  // namespace quillo
