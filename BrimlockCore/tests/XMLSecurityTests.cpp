#include "BrimlockCore/XML/XMLSecurity.h"
#include "BrimlockCore/XML/XMLSecurityError.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

using brimlock::XMLSecurityError;

namespace {

std::span<const std::uint8_t> bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

bool rejected(std::string_view document) {
    try {
        brimlock::XMLSecurity::rejectXMLEntityDeclarations(bytes(document), "doc");
        return false;
    } catch (const XMLSecurityError&) {
        return true;
    }
}

// A comment that fills the document up to `size` bytes, so that what follows starts exactly there.
std::string commentFilling(std::size_t size) { return "<!--" + std::string(size - 7, 'x') + "-->"; }

}  // namespace

TEST(XMLSecurityTest, RejectionCarriesKindNameAndTheDocumentsName) {
    try {
        brimlock::XMLSecurity::rejectXMLEntityDeclarations(bytes("<!DOCTYPE r [<!ENTITY a \"b\">]><r/>"),
                                                           "Cut 3.fcpxml");
        FAIL() << "not rejected";
    } catch (const XMLSecurityError& error) {
        EXPECT_EQ(error.kind(), XMLSecurityError::Kind::entityDeclarationsRejected);
        EXPECT_EQ(error.documentName(), "Cut 3.fcpxml");
        EXPECT_STREQ(error.what(),
                     "'Cut 3.fcpxml' declares XML entities (<!ENTITY \xE2\x80\xA6>), which Final Cut Pro never "
                     "emits. Refusing to parse: this can be an XXE (local file disclosure) or billion-laughs "
                     "(denial-of-service) payload, or a corrupt blob.");
    }
}

TEST(XMLSecurityTest, DeclarationsAnywhereInTheFirstPrologAreRejected) {
    EXPECT_TRUE(rejected("<?xml version=\"1.0\"?>\n<!-- c -->\n<!DOCTYPE r [\n<!ENTITY a \"b\">\n]>\n<r>&a;</r>"));
    EXPECT_TRUE(rejected("<!DOCTYPE r [<!ENTITY % p SYSTEM \"file:///etc/passwd\"> %p;]><r/>"));
    EXPECT_TRUE(rejected("<!DOCTYPE r [<!ENTITY a SYSTEM \"file:///etc/passwd\">]><r>&a;</r>"));
    // No element begins with a letter, so the whole text is prolog.
    EXPECT_TRUE(rejected("<!-- only a comment <!ENTITY -->"));
    EXPECT_TRUE(rejected("<!ENTITY"));
    // "<" followed by a digit or "!" does not end the prolog.
    EXPECT_TRUE(rejected("<!-- <1 --><!DOCTYPE r [<!ENTITY a \"b\">]><r/>"));
}

TEST(XMLSecurityTest, TextAfterTheRootStartTagAndOtherSpellingsAreNotChecked) {
    EXPECT_FALSE(rejected("<r><!-- <!ENTITY a \"b\"> --></r>"));
    EXPECT_FALSE(rejected("<r><![CDATA[<!ENTITY a \"b\">]]></r>"));
    // The root's first letter may be of any script.
    EXPECT_FALSE(rejected("<\xC3\xA9t\xC3\xA9><!-- <!ENTITY --></\xC3\xA9t\xC3\xA9>"));
    EXPECT_FALSE(rejected("<\xCE\xB1><!-- <!ENTITY --></\xCE\xB1>"));
    EXPECT_FALSE(rejected("<!DOCTYPE r [<!entity a \"b\">]><r/>"));
    EXPECT_FALSE(rejected("<!DOCTYPE r [<!Entity a \"b\">]><r/>"));
    EXPECT_FALSE(rejected(""));
    EXPECT_FALSE(rejected("<!DOCTYPE fcpxml>\n<fcpxml version=\"1.10\"/>"));
}

TEST(XMLSecurityTest, OnlyTheFirst64KiBAreScanned) {
    const std::string declaration = "<!ENTITY a \"b\">";
    const std::size_t limit = brimlock::XMLSecurity::kScannedByteCount;
    ASSERT_EQ(limit, 65'536u);
    // "<!ENTITY" ends exactly at the limit: seen.
    EXPECT_TRUE(rejected(commentFilling(limit - 8) + declaration));
    // Its last letter lies past the limit: not seen.
    EXPECT_FALSE(rejected(commentFilling(limit - 7) + declaration));
    EXPECT_FALSE(rejected(commentFilling(limit) + declaration));
}

TEST(XMLSecurityTest, HeadsThatAreNotUTF8AreNotChecked) {
    const std::string declaration = "<!DOCTYPE r [<!ENTITY a \"b\">]>";
    // The first 64 KiB end inside the two-byte "é".
    const std::string cut = declaration + "<!--" + std::string(65'536 - declaration.size() - 5, 'x') + "\xC3\xA9-->";
    ASSERT_EQ(cut.substr(65'535, 2), "\xC3\xA9");
    EXPECT_FALSE(rejected(cut));
    // One byte less of padding and the head is whole again.
    const std::string whole = declaration + "<!--" + std::string(65'536 - declaration.size() - 6, 'x') + "\xC3\xA9-->";
    EXPECT_TRUE(rejected(whole));

    EXPECT_FALSE(rejected("\xFF" + declaration + "<r/>"));
    EXPECT_FALSE(rejected(declaration + "<!-- \xC0\x80 --><r/>"));
}
