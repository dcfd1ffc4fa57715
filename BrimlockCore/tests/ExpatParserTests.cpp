#include "BrimlockCore/XML/ExpatParser.h"
#include "BrimlockCore/XML/XMLSecurityError.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace ExpatParser = brimlock::ExpatParser;
using brimlock::XMLSecurityError;

namespace {

std::span<const std::uint8_t> bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Writes every event as one line: "<name a=v>", "</name>", or the text run.
class Recorder : public ExpatParser::Handler {
public:
    std::vector<std::string> events;
    std::string text;

    void startElement(std::string_view name, const ExpatParser::Attributes& attributes) override {
        flushText();
        std::string event = "<" + std::string(name);
        for (const char* attribute : {"id", "name", "empty"}) {
            if (const auto value = attributes.value(attribute))
                event += " " + std::string(attribute) + "=" + std::string(*value);
        }
        events.push_back(event + ">");
    }
    void endElement(std::string_view name) override {
        flushText();
        events.push_back("</" + std::string(name) + ">");
    }
    void characterData(std::string_view piece) override {
        pending_ += piece;
        text += piece;
    }

private:
    void flushText() {
        if (!pending_.empty()) events.push_back(pending_);
        pending_.clear();
    }
    std::string pending_;
};

ExpatParser::Result parse(std::string_view document, Recorder& recorder) {
    return ExpatParser::parse(bytes(document), "doc", recorder);
}

bool refused(std::string_view document, Recorder& recorder) {
    try {
        parse(document, recorder);
        return false;
    } catch (const XMLSecurityError& error) {
        EXPECT_EQ(error.documentName(), "doc");
        return true;
    }
}

// A prolog comment of `size` bytes: it pushes what follows past the textual guard's reach.
std::string longComment(std::size_t size) { return "<!--" + std::string(size - 7, 'x') + "-->"; }

// `prolog`, then a comment whose "é" straddles the 64 KiB mark.
std::string headCutInsideACharacter(const std::string& prolog) {
    std::string head = prolog + "<!--" + std::string(65'535 - prolog.size() - 4, 'x') + "\xC3\xA9-->";
    EXPECT_EQ(head.substr(65'535, 2), "\xC3\xA9");
    return head;
}

class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& contents)
        : path_(std::filesystem::temp_directory_path() /
                ("expat-secret-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)) + ".txt")) {
        std::ofstream(path_) << contents;
    }
    ~TemporaryFile() { std::filesystem::remove(path_); }
    std::string url() const { return "file://" + path_.string(); }

private:
    std::filesystem::path path_;
};

}  // namespace

TEST(ExpatParserTest, DeliversEventsInOrderWithAttributesAndDecodedText) {
    Recorder recorder;
    const auto result = parse(
        "<?xml version=\"1.0\"?>\n<!DOCTYPE scene>\n"
        "<scene id=\"1\"><p name=\"A &amp; B\" empty=\"\">x &lt; y<![CDATA[<raw>]]>&#233;</p><q/></scene>",
        recorder);
    EXPECT_TRUE(result.wellFormed);
    EXPECT_EQ(result.errorDescription, "");
    EXPECT_EQ(result.errorLine, 0u);
    const std::vector<std::string> expected{
        "<scene id=1>", "<p name=A & B empty=>", "x < y<raw>\xC3\xA9", "</p>", "<q>", "</q>", "</scene>"};
    EXPECT_EQ(recorder.events, expected);
}

TEST(ExpatParserTest, TextOfOtherEncodingsArrivesAsUTF8) {
    Recorder recorder;
    const std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r>caf\xE9</r>";
    EXPECT_TRUE(parse(latin1, recorder).wellFormed);
    EXPECT_EQ(recorder.text, "caf\xC3\xA9");

    Recorder utf16Recorder;
    const std::u16string utf16 = u"\uFEFF<r>\u00E9t\u00E9</r>";
    const std::string utf16Bytes(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2);
    EXPECT_TRUE(parse(utf16Bytes, utf16Recorder).wellFormed);
    EXPECT_EQ(utf16Recorder.text, "\xC3\xA9t\xC3\xA9");
}

TEST(ExpatParserTest, MalformedDocumentsReportTheErrorAndKeepEarlierEvents) {
    Recorder recorder;
    const auto result = parse("<a>\n<b>one</b>\n<c>two</d>\n<e/></a>", recorder);
    EXPECT_FALSE(result.wellFormed);
    EXPECT_EQ(result.errorDescription, "mismatched tag");
    EXPECT_EQ(result.errorLine, 3u);
    const std::vector<std::string> expected{"<a>", "\n", "<b>", "one", "</b>", "\n", "<c>"};
    EXPECT_EQ(recorder.events, expected);

    for (const std::string_view bad : {"", "<r>", "<r a='1' a='2'/>", "<r>&undefined;</r>", "<r/><s/>", "\x01"}) {
        Recorder other;
        const auto outcome = parse(bad, other);
        EXPECT_FALSE(outcome.wellFormed) << bad;
        EXPECT_FALSE(outcome.errorDescription.empty()) << bad;
        EXPECT_EQ(outcome.errorLine, 1u) << bad;
    }
}

TEST(ExpatParserTest, UndeclaredEntitiesAreErrorsEvenBehindAnExternalDocumentType) {
    // With an external DTD named, expat would skip the reference and the text would lose it.
    Recorder recorder;
    const auto result = parse(
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"x.dtd\">\n"
        "<plist><string>a&foo;b</string></plist>",
        recorder);
    EXPECT_FALSE(result.wellFormed);
    EXPECT_EQ(result.errorDescription, "undefined entity");
    EXPECT_EQ(result.errorLine, 2u);
    EXPECT_EQ(recorder.text.find("ab"), std::string::npos);
}

TEST(ExpatParserTest, UndeclaredEntitiesInAttributesAreErrorsToo) {
    Recorder recorder;
    const auto result =
        parse("<!DOCTYPE fcpxml SYSTEM \"x.dtd\">\n<fcpxml>\n<marker value=\"a&x;b\"/></fcpxml>", recorder);
    EXPECT_FALSE(result.wellFormed);
    EXPECT_EQ(result.errorDescription, "undefined entity");
    EXPECT_EQ(result.errorLine, 3u);
    // Predefined and character references stay fine.
    Recorder fine;
    EXPECT_TRUE(parse("<!DOCTYPE r SYSTEM \"x.dtd\"><r a=\"&amp;&lt;&gt;&quot;&apos;&#65;&#x42;\"/>", fine).wellFormed);
}

TEST(ExpatParserTest, DocumentsLargerThanOneFeedAreReadWhole) {
    Recorder recorder;
    const std::string filler(3 * 1024 * 1024 + 17, 'z');
    const auto result = parse("<r><a>" + filler + "</a><b name=\"last\"/></r>", recorder);
    EXPECT_TRUE(result.wellFormed);
    EXPECT_EQ(recorder.text, filler);
    ASSERT_GE(recorder.events.size(), 3u);
    EXPECT_EQ(recorder.events[recorder.events.size() - 3], "<b name=last>");
}

TEST(ExpatParserTest, AHandlerExceptionStopsTheParseAndComesOutUnchanged) {
    struct Throwing : Recorder {
        void startElement(std::string_view name, const ExpatParser::Attributes& attributes) override {
            if (name == "boom") throw std::range_error("from handler");
            Recorder::startElement(name, attributes);
        }
    } recorder;
    EXPECT_THROW(parse("<r><a/><boom/><after/>text</r>", recorder), std::range_error);
    const std::vector<std::string> expected{"<r>", "<a>", "</a>"};
    EXPECT_EQ(recorder.events, expected);
    EXPECT_EQ(recorder.text, "");
}

TEST(ExpatParserTest, EntityDeclarationsTheTextualGuardCannotSeeAreRefusedByExpat) {
    const std::string declaration = "<!DOCTYPE r [<!ENTITY a \"expanded\">]><r>&a;</r>";
    const std::vector<std::string> documents{
        // Past the first 64 KiB.
        longComment(70'000) + declaration,
        // After a prolog comment holding "<" and a letter, where the textual guard's prolog ends.
        "<!-- see <b>notes</b> -->" + declaration,
        "<?note <b>?>" + declaration,
        // The first 64 KiB end inside a multi-byte character, so the textual guard makes no check.
        headCutInsideACharacter("<!DOCTYPE r [<!ENTITY a \"expanded\">]>") + "<r>&a;</r>",
        // A parameter entity, declared past the textual guard's reach.
        longComment(70'000) + "<!DOCTYPE r [<!ENTITY % p \"x\">]><r/>",
        // After an unresolved parameter-entity reference expat skips declarations instead of reporting them.
        longComment(70'000) + "<!DOCTYPE r [ %p; <!ENTITY a \"expanded\"> ]><r>&a;</r>",
        // Unparsed (NDATA) entities.
        longComment(70'000) + "<!DOCTYPE r [<!NOTATION n SYSTEM \"n\"><!ENTITY u SYSTEM \"u\" NDATA n>]><r/>",
    };
    for (const std::string& document : documents) {
        Recorder recorder;
        EXPECT_TRUE(refused(document, recorder)) << document.substr(0, 120);
        EXPECT_TRUE(recorder.events.empty());
    }

    // UTF-16 interleaves zero bytes, so "<!ENTITY" never appears as UTF-8 text.
    const std::u16string utf16 = u"\uFEFF<!DOCTYPE r [<!ENTITY a \"expanded\">]><r>&a;</r>";
    Recorder recorder;
    EXPECT_TRUE(refused(std::string(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2), recorder));
}

TEST(ExpatParserTest, BillionLaughsIsRefusedBeforeAnyExpansion) {
    std::string declarations = "<!ENTITY lol0 \"lol\">";
    for (int level = 1; level <= 9; ++level) {
        std::string body;
        for (int copy = 0; copy < 10; ++copy) body += "&lol" + std::to_string(level - 1) + ";";
        declarations += "<!ENTITY lol" + std::to_string(level) + " \"" + body + "\">";
    }
    const std::string laughs = "<!DOCTYPE lolz [" + declarations + "]><lolz>&lol9;</lolz>";
    for (const std::string& document : {laughs, longComment(70'000) + laughs}) {
        Recorder recorder;
        EXPECT_TRUE(refused(document, recorder));
        EXPECT_EQ(recorder.text, "");
    }
}

TEST(ExpatParserTest, ExternalEntitiesAreNeverRead) {
    const std::string secret = "secret-contents-of-a-local-file";
    const TemporaryFile file(secret);

    // Declared: refused, whether the textual guard sees the declaration or only expat does.
    const std::string declared = "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + file.url() + "\">]><r>&x;</r>";
    for (const std::string& document : {declared, longComment(70'000) + declared}) {
        Recorder recorder;
        EXPECT_TRUE(refused(document, recorder));
        EXPECT_EQ(recorder.text.find(secret), std::string::npos);
    }

    // An external DTD subset that would declare the entity is not loaded: the reference is undefined.
    const TemporaryFile dtd("<!ENTITY x \"" + secret + "\">");
    Recorder recorder;
    const auto result = parse("<!DOCTYPE r SYSTEM \"" + dtd.url() + "\"><r>[&x;]</r>", recorder);
    EXPECT_FALSE(result.wellFormed);
    EXPECT_EQ(result.errorDescription, "undefined entity");
    EXPECT_EQ(recorder.text.find(secret), std::string::npos);
}

TEST(ExpatParserTest, DocumentTypesWithoutEntitiesAreAccepted) {
    Recorder recorder;
    const auto result = parse(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\"><string>a &lt;!ENTITY&gt; b</string></plist>",
        recorder);
    EXPECT_TRUE(result.wellFormed);
    EXPECT_EQ(recorder.text, "a <!ENTITY> b");

    Recorder withSubset;
    EXPECT_TRUE(parse("<!DOCTYPE r [<!ELEMENT r ANY><!ATTLIST r id CDATA \"7\">]><r/>", withSubset).wellFormed);
    EXPECT_EQ(withSubset.events.front(), "<r id=7>");
}
