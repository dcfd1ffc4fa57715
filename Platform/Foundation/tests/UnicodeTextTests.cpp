#include "Foundation/UnicodeText.h"

#include <gtest/gtest.h>
#include <unicode/locid.h>

using namespace platform;

namespace {

const std::string kPrecomposedE = "caf\xC3\xA9";   // café with U+00E9
const std::string kDecomposedE = "cafe\xCC\x81";   // café with e + U+0301

class DefaultLocale : public ::testing::Test {
protected:
    void use(const char* name) {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(icu::Locale(name), status);
        ASSERT_TRUE(U_SUCCESS(status));
    }
    void TearDown() override { use("en_US"); }
};

}  // namespace

TEST(UnicodeText, CanonicalEquivalence) {
    EXPECT_TRUE(canonicallyEqual(kPrecomposedE, kDecomposedE));
    EXPECT_EQ(canonicalForm(kDecomposedE), kPrecomposedE);
    EXPECT_FALSE(canonicallyEqual("cafe", kPrecomposedE));
    EXPECT_FALSE(canonicallyEqual("Cafe", "cafe"));
    EXPECT_TRUE(canonicallyEqual("", ""));
}

TEST(UnicodeText, InvalidUTF8BecomesReplacementCharacter) {
    EXPECT_TRUE(isValidUTF8("plain \xC3\xA9"));
    EXPECT_FALSE(isValidUTF8("bad \xC3"));
    EXPECT_FALSE(isValidUTF8("\xED\xA0\x80"));  // an encoded surrogate
    EXPECT_EQ(sanitizedUTF8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(sanitizedUTF8("ok"), "ok");
}

TEST_F(DefaultLocale, ContainmentIgnoresCaseButNotDiacritics) {
    use("en_US");
    EXPECT_TRUE(localizedCaseInsensitiveContains("Fix the COLOR grade", "color"));
    EXPECT_TRUE(localizedCaseInsensitiveContains("Fix the color grade", "COLOR GR"));
    EXPECT_FALSE(localizedCaseInsensitiveContains("Fix the color grade", "colour"));
    EXPECT_TRUE(localizedCaseInsensitiveContains("CAF\xC3\x89 scene", kDecomposedE));  // É vs e + ́
    EXPECT_TRUE(localizedCaseInsensitiveContains(kDecomposedE, "CAF\xC3\x89"));
    EXPECT_FALSE(localizedCaseInsensitiveContains(kPrecomposedE, "cafe"));
    EXPECT_FALSE(localizedCaseInsensitiveContains(kDecomposedE, "cafe"));  // match may not stop before the mark
    EXPECT_TRUE(localizedCaseInsensitiveContains("Stra\xC3\x9F" "e", "STRASSE"));
    EXPECT_TRUE(localizedCaseInsensitiveContains("a b", " "));
    EXPECT_FALSE(localizedCaseInsensitiveContains("ab", " "));
    EXPECT_FALSE(localizedCaseInsensitiveContains("anything", ""));
}

TEST_F(DefaultLocale, TurkishLocaleFoldsDottedAndDotlessI) {
    use("tr_TR");
    // Under Turkish rules "I" is the capital of dotless "ı", not of "i".
    EXPECT_TRUE(localizedCaseInsensitiveContains("KIRMIZI", "\xC4\xB1"));
    EXPECT_FALSE(localizedCaseInsensitiveContains("KIRMIZI", "kirmizi"));
    use("en_US");
    EXPECT_TRUE(localizedCaseInsensitiveContains("KIRMIZI", "kirmizi"));
}

TEST_F(DefaultLocale, ComparisonIgnoresCaseButOrdersAccents) {
    use("en_US");
    EXPECT_EQ(localizedCaseInsensitiveCompare("apple", "APPLE"), std::weak_ordering::equivalent);
    EXPECT_EQ(localizedCaseInsensitiveCompare("apple", "Banana"), std::weak_ordering::less);
    EXPECT_EQ(localizedCaseInsensitiveCompare("cote", "c\xC3\xB4te"), std::weak_ordering::less);
    EXPECT_EQ(localizedCaseInsensitiveCompare(kPrecomposedE, kDecomposedE), std::weak_ordering::equivalent);
}
