#include "Platform/Updater/VersionNumber.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(VersionNumber, ComponentsCompareAsNumbersNotText) {
    EXPECT_EQ(compareVersions("0.10.0", "0.9.2"), std::strong_ordering::greater);
    EXPECT_EQ(compareVersions("1.2", "1.10"), std::strong_ordering::less);
    EXPECT_EQ(compareVersions("20261209123456789012345", "20261209123456789012344"), std::strong_ordering::greater);
    EXPECT_EQ(compareVersions("007", "7"), std::strong_ordering::equal);
}

TEST(VersionNumber, MissingComponentsCountAsZero) {
    EXPECT_EQ(compareVersions("1.0", "1.0.0"), std::strong_ordering::equal);
    EXPECT_EQ(compareVersions(" 0.1.0\n", "0.1"), std::strong_ordering::equal);
    EXPECT_EQ(compareVersions("0.1.1", "0.1"), std::strong_ordering::greater);
}

TEST(VersionNumber, ALeadingVBeforeTheFirstDigitIsNoComponent) {
    EXPECT_EQ(compareVersions("v2.0", "2.0"), std::strong_ordering::equal);
    EXPECT_EQ(compareVersions(" V2.0", "1.9.9"), std::strong_ordering::greater);
    EXPECT_EQ(compareVersions("va", "a"), std::strong_ordering::greater);  // a label, not a prefix
}

TEST(VersionNumber, PreReleaseLabelsComeBeforeTheRelease) {
    EXPECT_EQ(compareVersions("1.0b2", "1.0"), std::strong_ordering::less);
    EXPECT_EQ(compareVersions("1.0-beta", "1.0.1"), std::strong_ordering::less);
    EXPECT_EQ(compareVersions("1.0b2", "1.0b10"), std::strong_ordering::less);
    EXPECT_EQ(compareVersions("1.0beta", "1.0alpha"), std::strong_ordering::greater);
}

}  // namespace
}  // namespace platform
