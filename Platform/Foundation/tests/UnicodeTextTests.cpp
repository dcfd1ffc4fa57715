#include "Platform/Foundation/UnicodeText.h"

#include <gtest/gtest.h>
#include <unicode/locid.h>

using namespace platform;

namespace {

const std::string kPrecomposedE = "caf\xC3\xA9";  // café with U+00E9
const std::string kDecomposedE = "cafe\xCC\x81";  // café with e + U+0301

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
    EXPECT_EQ(sanitizedUTF8("a\xFF"
                            "b"),
              "a\xEF\xBF\xBD"
              "b");
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
    EXPECT_TRUE(
        localizedCaseInsensitiveContains("Stra\xC3\x9F"
                                         "e",
                                         "STRASSE"));
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
    use("en_US_POSIX");  // what the C locale becomes
    EXPECT_EQ(localizedCaseInsensitiveCompare("apple", "APPLE"), std::weak_ordering::equivalent);
    use("en_US");
    EXPECT_EQ(localizedCaseInsensitiveCompare("apple", "APPLE"), std::weak_ordering::equivalent);
    EXPECT_EQ(localizedCaseInsensitiveCompare("apple", "Banana"), std::weak_ordering::less);
    EXPECT_EQ(localizedCaseInsensitiveCompare("cote", "c\xC3\xB4te"), std::weak_ordering::less);
    EXPECT_EQ(localizedCaseInsensitiveCompare(kPrecomposedE, kDecomposedE), std::weak_ordering::equivalent);
}

TEST(UnicodeText, GraphemeClustersKeepCombiningSequencesAndEmojiTogether) {
    const std::string text =
        "e\xCC\x81"
        "a\r\nb\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB";  // é, a, CRLF, b, 👩‍💻
    const auto clusters = graphemeClusters(text);
    ASSERT_EQ(clusters.size(), 5u);
    EXPECT_EQ(clusters[0], "e\xCC\x81");
    EXPECT_EQ(clusters[2], "\r\n");
    EXPECT_EQ(clusters[4], "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB");
    EXPECT_EQ(graphemeClusters("a\r\nb").size(), 3u);
    EXPECT_TRUE(graphemeClusters("").empty());
    std::string joined;
    for (const auto cluster : graphemeClusters("x\xFFy")) joined += cluster;  // ill-formed bytes stay in place
    EXPECT_EQ(joined, "x\xFFy");
}

TEST(UnicodeText, WhitespaceClasses) {
    EXPECT_TRUE(startsWithWhitespace(" a"));
    EXPECT_TRUE(startsWithWhitespace("\n"));
    EXPECT_TRUE(startsWithWhitespace("\xC2\xA0x"));     // no-break space
    EXPECT_TRUE(startsWithWhitespace("\xE2\x80\xA8"));  // line separator
    EXPECT_FALSE(startsWithWhitespace("a "));
    EXPECT_FALSE(startsWithWhitespace(""));
    EXPECT_TRUE(isSpaceSeparatorOrTab(" "));
    EXPECT_TRUE(isSpaceSeparatorOrTab("\t"));
    EXPECT_TRUE(isSpaceSeparatorOrTab("\xE3\x80\x80"));  // ideographic space
    EXPECT_FALSE(isSpaceSeparatorOrTab("\n"));
    EXPECT_FALSE(isSpaceSeparatorOrTab("\xE2\x80\xA8"));  // a line separator is Zl, not Zs
}

TEST(UnicodeText, TrimmingDropsWholeScalarsOfItsClassAndStopsAtIllFormedBytes) {
    EXPECT_EQ(trimmedWhitespace(" \t\n\xC2\xA0"
                                "a b\xE2\x80\xA8\r"),
              "a b");
    EXPECT_EQ(trimmedWhitespace(" \n "), "");
    EXPECT_EQ(trimmedWhitespace(""), "");
    EXPECT_EQ(trimmedSpaceSeparatorsAndTabs("\t\xE3\x80\x80"
                                            "1s "),
              "1s");
    EXPECT_EQ(trimmedSpaceSeparatorsAndTabs("\n1s\xE2\x80\xA8"), "\n1s\xE2\x80\xA8");  // Zl and line feeds stay
    // A lone continuation byte or a cut-off sequence is kept, with what lies inside it.
    EXPECT_EQ(trimmedWhitespace(" \x80 a "), "\x80 a");
    EXPECT_EQ(trimmedWhitespace(" a \xC2"), "a \xC2");
    EXPECT_EQ(trimmedSpaceSeparatorsAndTabs("\xC2 a "), "\xC2 a");
}

TEST_F(DefaultLocale, APreparedSearchAgreesWithTheOneShotTest) {
    use("en_US");
    const std::vector<std::string> texts{"plain ascii",
                                         "CAF\xC3\x89 au lait",
                                         "Stra\xC3\x9F"
                                         "e",
                                         "cafe\xCC\x81",
                                         "ete",
                                         "\xC3\xA9t\xC3\xA9",
                                         "",
                                         "ss",
                                         "KELVIN"};
    const std::vector<std::string> needles{"ascii",
                                           "caf\xC3\xA9",
                                           "STRASSE",
                                           "\xC3\xA9t\xC3\xA9",
                                           "ete",
                                           "\xC3\x9F",
                                           "\xE2\x84\xAA" /* Kelvin sign folds to k */,
                                           "e"};
    for (const auto& needle : needles) {
        const CaseInsensitiveSearch search(needle);
        for (const auto& text : texts)
            EXPECT_EQ(search.foundIn(text), localizedCaseInsensitiveContains(text, needle)) << needle << " in " << text;
    }
    EXPECT_TRUE(CaseInsensitiveSearch("\xC3\x9F").foundIn("ss"));  // ß folds to ss: found in ASCII text
    EXPECT_TRUE(CaseInsensitiveSearch("\xE2\x84\xAA").foundIn("KELVIN"));
    EXPECT_FALSE(CaseInsensitiveSearch("\xC3\xA9t\xC3\xA9").foundIn("ete"));
    EXPECT_FALSE(CaseInsensitiveSearch("").foundIn("anything"));
}
