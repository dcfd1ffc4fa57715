#include "QuilloToDo/Views/Shared/ViewTexts.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

TEST(ViewTexts, CountsAndPlurals) {
    EXPECT_EQ(markerCountText(0), QStringLiteral("0 markers"));
    EXPECT_EQ(markerCountText(1), QStringLiteral("1 marker"));
    EXPECT_EQ(markerCountText(2), QStringLiteral("2 markers"));
    EXPECT_EQ(connectedExtensionsText(0), QStringLiteral("0 connected"));
    EXPECT_EQ(pollingNamesText(1), QStringLiteral("polling 1 name"));
    EXPECT_EQ(pollingNamesText(2), QStringLiteral("polling 2 names"));
    EXPECT_EQ(lastScanText(std::nullopt), QStringLiteral("\u2013"));
    EXPECT_EQ(detailValueText(std::nullopt), QStringLiteral("\u2013"));
    EXPECT_EQ(detailValueText(std::string()), QString());
}

}  // namespace
}  // namespace quillo
