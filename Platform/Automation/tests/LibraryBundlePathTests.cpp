#include "Platform/Automation/LibraryBundlePath.h"

#include <gtest/gtest.h>

namespace path = platform::LibraryBundlePath;

TEST(LibraryBundlePath, ExtensionAndNameFollowFileURLs) {
    EXPECT_EQ(path::extension("/Work/Spot.fcpbundle/"), "fcpbundle");
    EXPECT_EQ(path::name("/Work/Spot.fcpbundle/"), "Spot");
    EXPECT_EQ(path::name("/Work/Spot.v2.fcpbundle"), "Spot.v2");
    EXPECT_FALSE(path::isBundle("/Work/Spot.FCPBUNDLE"));
    EXPECT_FALSE(path::isBundle("/Work/.fcpbundle"));  // a hidden file has no extension
    EXPECT_EQ(path::lastComponent("/"), "/");
}

TEST(LibraryBundlePath, EnclosingBundleWalksUpToTheRoot) {
    EXPECT_EQ(path::enclosingBundle("/V/Shared/Spot.fcpbundle/Day 1/CurrentVersion.fcpevent"),
              QString("/V/Shared/Spot.fcpbundle"));
    EXPECT_EQ(path::enclosingBundle("/V/Spot.fcpbundle/CurrentVersion.flexolibrary"), QString("/V/Spot.fcpbundle"));
    // The nearest bundle wins.
    EXPECT_EQ(path::enclosingBundle("/A.fcpbundle/B.fcpbundle/E/CurrentVersion.fcpevent"),
              QString("/A.fcpbundle/B.fcpbundle"));
    EXPECT_EQ(path::enclosingBundle("/V/Spot/Day 1/CurrentVersion.fcpevent"), std::nullopt);
    EXPECT_EQ(path::enclosingBundle("no slash"), std::nullopt);
}
