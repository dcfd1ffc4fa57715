#include "BrimlockCore/PropertyList/PropertyListReader.h"

#include "PropertyListTestSupport.h"

#include "testing/Thrown.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace brimlock;
using plisttest::bytesOf;
using Kind = PropertyListKind;

namespace {

const std::string kProlog =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n";

PropertyListValue parseXML(const std::string& body) { return PropertyListReader::parse(bytesOf(kProlog + body)); }

std::string failureOf(const std::string& document) {
    return quillo::testing::thrownBy<PropertyListError>([&] { PropertyListReader::parse(bytesOf(document)); }).what();
}
std::string failureOfBody(const std::string& body) { return failureOf(kProlog + body); }

std::string nestedArrays(int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "<array>";
    for (int i = 0; i < depth; ++i) text += "</array>";
    return "<plist>" + text + "</plist>";
}

}  // namespace

TEST(XMLPropertyList, DecodesEveryKind) {
    const auto value = parseXML(R"(<plist version="1.0">
<dict>
    <key>text</key>      <string>a &lt;b&gt; &amp; &#x1F3AC; caf&#233;</string>
    <key>cdata</key>     <string><![CDATA[<raw> & text]]></string>
    <key>empty</key>     <string/>
    <key>negative</key>  <integer>-9223372036854775808</integer>
    <key>positive</key>  <integer> +42 </integer>
    <key>unsigned</key>  <integer>18446744073709551615</integer>
    <key>real</key>      <real>-1.25e3</real>
    <key>infinite</key>  <real>-infinity</real>
    <key>yes</key>       <true/>
    <key>no</key>        <false/>
    <key>data</key>      <data>
        AAEC
        /w==
    </data>
    <key>date</key>      <date>2024-02-29T12:00:00Z</date>
    <key>epoch</key>     <date>1970-01-01T00:00:00Z</date>
    <key>list</key>      <array><integer>1</integer><array/><dict/></array>
    <key>reference</key> <dict><key>CF$UID</key><integer>7</integer></dict>
</dict>
</plist>)");
    ASSERT_EQ(value.kind(), Kind::dictionary);
    EXPECT_EQ(value.keyAt(0), "text");
    EXPECT_EQ(value.find("text")->string(), "a <b> & \U0001F3AC caf\u00e9");
    EXPECT_EQ(value.find("cdata")->string(), "<raw> & text");
    EXPECT_EQ(value.find("empty")->string(), "");
    EXPECT_EQ(value.find("negative")->integer(), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(value.find("positive")->integer(), 42);
    EXPECT_FALSE(value.find("unsigned")->integer());
    EXPECT_EQ(value.find("unsigned")->unsignedInteger(), std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(value.find("real")->real(), -1250.0);
    EXPECT_EQ(value.find("infinite")->real(), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(value.find("yes")->boolean(), true);
    EXPECT_EQ(value.find("no")->boolean(), false);
    const auto data = value.find("data")->data();
    ASSERT_TRUE(data);
    EXPECT_EQ(plisttest::Bytes(data->begin(), data->end()), (plisttest::Bytes{0, 1, 2, 0xFF}));
    // 2024-02-29T12:00:00Z is 730,900,800 s after 2001-01-01T00:00:00Z.
    EXPECT_EQ(value.find("date")->date(), 730900800.0);
    EXPECT_EQ(value.find("epoch")->date(), -978307200.0);
    const auto list = *value.find("list");
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1].kind(), Kind::array);
    EXPECT_EQ(list[2].kind(), Kind::dictionary);
    // A reference in XML form stays the dictionary it is written as.
    const auto reference = *value.find("reference");
    EXPECT_EQ(reference.kind(), Kind::dictionary);
    EXPECT_EQ(reference.find("CF$UID")->integer(), 7);
}

TEST(XMLPropertyList, ReadsABareValueAndTheLaterOfTwoEqualKeys) {
    EXPECT_EQ(PropertyListReader::parse(bytesOf("<string>alone</string>")).string(), "alone");
    const auto value =
        parseXML("<plist><dict><key>k</key><integer>1</integer><key>k</key><integer>2</integer></dict></plist>");
    EXPECT_EQ(value.size(), 2u);
    EXPECT_EQ(value.find("k")->integer(), 2);
}

TEST(XMLPropertyList, RefusesMisplacedOrUnknownElements) {
    EXPECT_NE(failureOfBody("<plist><set/></plist>").find("unknown element <set>"), std::string::npos);
    EXPECT_NE(failureOfBody("<plist><key>k</key></plist>").find("misplaced"), std::string::npos);
    EXPECT_NE(failureOfBody("<key>k</key>").find("<key> outside a dictionary"), std::string::npos);
    EXPECT_NE(failureOfBody("<plist><dict><string>v</string></dict></plist>").find("value without a <key>"),
              std::string::npos);
    EXPECT_NE(failureOfBody("<plist><dict><key>a</key><key>b</key></dict></plist>").find("<key> without a value"),
              std::string::npos);
    EXPECT_NE(failureOfBody("<plist><dict><key>a</key></dict></plist>").find("<key> without a value"),
              std::string::npos);
    EXPECT_NE(failureOfBody("<plist><array><key>a</key></array></plist>").find("misplaced"), std::string::npos);
    EXPECT_NE(failureOfBody("<plist><string>a<string>b</string></string></plist>").find("inside a scalar"),
              std::string::npos);
    EXPECT_NE(failureOfBody("<plist><true/><false/></plist>").find("exactly one value"), std::string::npos);
    EXPECT_NE(failureOfBody("<plist></plist>").find("exactly one value"), std::string::npos);
    EXPECT_NE(failureOfBody("<plist><array>loose</array></plist>").find("text outside a value"), std::string::npos);
    EXPECT_NE(failureOfBody("<plist><plist><true/></plist></plist>").find("misplaced"), std::string::npos);
}

TEST(XMLPropertyList, RefusesMalformedScalars) {
    for (const char* body :
         {"<integer>12a</integer>", "<integer></integer>", "<integer>--1</integer>", "<integer>0x10</integer>",
          "<real>1.5.5</real>", "<real></real>", "<real>1e999</real>", "<date>2023-02-29T00:00:00Z</date>",
          "<date>2023-13-01T00:00:00Z</date>", "<date>2023-01-01T24:00:00Z</date>", "<date>2023-01-01 00:00:00Z</date>",
          "<date>2023-01-01T00:00:00</date>", "<data>AA*A</data>", "<data>AA==AA</data>", "<true>yes</true>"}) {
        EXPECT_NE(failureOfBody(std::string("<plist>") + body + "</plist>").find("Malformed XML property list"),
                  std::string::npos)
            << body;
    }
    EXPECT_NE(failureOfBody("<plist><integer>18446744073709551616</integer></plist>").find("64-bit range"),
              std::string::npos);
    EXPECT_NE(failureOfBody("<plist><integer>-9223372036854775809</integer></plist>").find("64-bit range"),
              std::string::npos);
}

TEST(XMLPropertyList, RefusesEntityDeclarationsWhateverTheirKind) {
    const std::string internal =
        "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY name \"value\">]><plist><string>&name;</string></plist>";
    const std::string external =
        "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY file SYSTEM \"file:///etc/passwd\">]>"
        "<plist><string>&file;</string></plist>";
    const std::string laughs =
        "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]><plist><string>&c;</string></plist>";
    const std::string parameter =
        "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY % p \"<!ELEMENT x ANY>\"> %p;]><plist><true/></plist>";
    for (const auto& document : {internal, external, laughs, parameter}) {
        EXPECT_NE(failureOf(document).find("declares XML entities"), std::string::npos) << document;
    }
}

TEST(XMLPropertyList, ReportsIllFormedXMLWithItsLine) {
    EXPECT_NE(failureOf("<plist>\n<array>\n</dict></plist>").find("mismatched tag at line 3"), std::string::npos);
    EXPECT_NE(failureOf("").find("Malformed XML property list"), std::string::npos);
    EXPECT_NE(failureOf("<plist><string>\xFF</string></plist>").find("Malformed XML property list"), std::string::npos);
}

TEST(XMLPropertyList, NestingIsCapped) {
    EXPECT_NO_THROW(PropertyListReader::parse(bytesOf(nestedArrays(PropertyListReader::kMaximumDepth))));
    EXPECT_NE(failureOf(nestedArrays(PropertyListReader::kMaximumDepth + 1)).find("nesting too deep"),
              std::string::npos);
    EXPECT_NE(failureOf(nestedArrays(200'000)).find("nesting too deep"), std::string::npos);
}
