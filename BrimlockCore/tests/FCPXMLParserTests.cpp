#include "BrimlockCore/XML/XMLSecurityError.h"
#include "BrimlockCore/Validation/FCPXMLParser.h"

#include "EnglishLocaleTest.h"

#include "testing/Projected.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

namespace fcpxml = brimlock::FCPXMLParser;
using fcpxml::Rational;
using fcpxml::SequenceKind;
using quillo::testing::projected;

namespace {

fcpxml::Document parseText(const std::string& xml, const std::string& name = "test.fcpxml") {
    return fcpxml::parse(std::span(reinterpret_cast<const std::uint8_t*>(xml.data()), xml.size()), name);
}

std::vector<std::string> names(const fcpxml::Document& document) {
    return projected(document.sequences, &fcpxml::Sequence::name);
}

std::vector<std::string> clipNames(const fcpxml::Sequence& sequence) {
    return projected(sequence.clips, &fcpxml::SpineClip::name);
}

// A project with `clips` clips of 1 s on its spine.
std::string project(const std::string& name, int clips) {
    std::string xml = "<project name=\"" + name + "\"><sequence><spine>";
    for (int i = 0; i < clips; ++i)
        xml += "<asset-clip name=\"" + name + std::to_string(i) + "\" offset=\"" + std::to_string(i) +
               "s\" duration=\"1s\"/>";
    return xml + "</spine></sequence></project>";
}

}  // namespace

TEST(FCPXMLRational, ReadsWholeAndFractionalSecondsWithOrWithoutTheUnit) {
    EXPECT_EQ(fcpxml::parseRational("3600s"), (Rational{3600, 1}));
    EXPECT_EQ(fcpxml::parseRational("1001/30000s"), (Rational{1001, 30000}));
    EXPECT_EQ(fcpxml::parseRational("12"), (Rational{12, 1}));
    EXPECT_EQ(fcpxml::parseRational("100/2500"), (Rational{100, 2500}));
    EXPECT_EQ(fcpxml::parseRational("+5/-2s"), (Rational{5, -2}));
    EXPECT_EQ(fcpxml::parseRational("-9223372036854775808s"), (Rational{INT64_MIN, 1}));
    // Spaces and tabs at either end, Unicode space separators included; never line breaks.
    EXPECT_EQ(fcpxml::parseRational(" \t1001/30000s\t "), (Rational{1001, 30000}));
    EXPECT_EQ(fcpxml::parseRational("\u00A0\u30002s\u2003"), (Rational{2, 1}));
    EXPECT_EQ(fcpxml::parseRational("\n2s"), std::nullopt);
    // Unreadable texts.
    for (const char* text : {"", "s", " s ", "abc", "1001/0s", "/30000s", "5/s", "1.5s", "12 s", "1e3s", "2ss", "+-2s",
                             "9223372036854775808s", "1/2/3s", "0x10s"})
        EXPECT_EQ(fcpxml::parseRational(text), std::nullopt) << text;
    EXPECT_EQ(fcpxml::parseRational(std::nullopt), std::nullopt);

    // Never reduced, and a zero denominator counts as no time at all.
    EXPECT_NE((Rational{1, 2}), (Rational{2, 4}));
    EXPECT_EQ((Rational{1, 2}).seconds(), 0.5);
    EXPECT_EQ((Rational{7, 0}).seconds(), 0.0);
}

TEST(FCPXMLParser, NamesSequencesByWhatContainsThem) {
    const auto document = parseText(R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE fcpxml>
<fcpxml version="1.10">
  <resources>
    <media id="r1" name="Opening Compound"><sequence/></media>
    <media id="r2"><sequence/></media>
    <media><sequence/></media>
  </resources>
  <library>
    <event name="Day 1">
      <project name="Cut 3"><sequence/></project>
      <project><sequence/></project>
      <sequence/>
    </event>
  </library>
</fcpxml>)");
    EXPECT_EQ(document.version, "1.10");
    ASSERT_EQ(names(document), (std::vector<std::string>{"Opening Compound", "r2", "Compound", "Cut 3",
                                                         "Untitled Project", "sequence"}));
    const auto& s = document.sequences;
    EXPECT_EQ(s[0].kind, SequenceKind::media);
    EXPECT_EQ(s[2].kind, SequenceKind::media);
    EXPECT_EQ(s[3].kind, SequenceKind::project);
    EXPECT_EQ(s[4].kind, SequenceKind::project);
    EXPECT_EQ(s[5].kind, SequenceKind::other);

    // The name is that of the last project started, even one that has ended; a project without a name
    // clears it.
    const auto later = parseText(R"(<fcpxml><project name="A"><project name="B"/><sequence/></project>
<project name="C"><project/><sequence/></project></fcpxml>)");
    EXPECT_EQ(names(later), (std::vector<std::string>{"B", "Untitled Project"}));
    EXPECT_EQ(later.version, std::nullopt);
}

TEST(FCPXMLParser, SequenceKindsHaveRawTexts) {
    for (const auto kind : {SequenceKind::project, SequenceKind::media, SequenceKind::other})
        EXPECT_EQ(fcpxml::sequenceKindFromRawValue(fcpxml::rawValue(kind)), kind);
    EXPECT_EQ(fcpxml::rawValue(SequenceKind::media), "media");
    EXPECT_EQ(fcpxml::sequenceKindFromRawValue("Project"), std::nullopt);
}

TEST(FCPXMLParser, TheVersionIsTheFirstFcpxmlElementThatHasOne) {
    EXPECT_EQ(parseText(R"(<fcpxml><fcpxml version="1.9"/><fcpxml version="1.11"/></fcpxml>)").version, "1.9");
    EXPECT_EQ(parseText("<fcpxml/>").version, std::nullopt);
}

TEST(FCPXMLParser, FormatsGiveFrameDurationsWhereverTheyAreDeclared) {
    const auto document = parseText(R"(<fcpxml version="1.10">
  <resources>
    <media id="r9" name="Early Compound"><sequence format="r3" tcStart="3600s"><spine/></sequence></media>
    <format id="r1" frameDuration="1001/30000s" name="FFVideoFormat1080p2997"/>
    <format id="r2" name="FFVideoFormatRateUndefined"/>
    <format id="r3" frameDuration="100/2500s"/>
    <format id="r4" frameDuration="0/2500s"/>
  </resources>
  <project name="A"><sequence format="r1" tcStart="108108000/30000s"/></project>
  <project name="B"><sequence/></project>
  <project name="C"><sequence format="r2" tcStart="garbage"/></project>
  <project name="D"><sequence format="r4" tcStart="5/0s"/></project>
  <project name="E"><sequence format="missing"/></project>
</fcpxml>)");
    ASSERT_EQ(document.sequences.size(), 6u);
    const auto& early = document.sequences[0];
    EXPECT_EQ(early.formatID, "r3");
    EXPECT_EQ(early.frameDuration, (Rational{100, 2500}));  // the format comes after the media
    EXPECT_EQ(early.fps(), 25.0);
    EXPECT_EQ(early.tcStartSeconds, 3600.0);

    const auto& a = document.sequences[1];
    EXPECT_EQ(a.frameDuration, (Rational{1001, 30000}));
    EXPECT_DOUBLE_EQ(a.fps(), 30000.0 / 1001.0);
    EXPECT_DOUBLE_EQ(a.tcStartSeconds, 3603.6);

    const auto& b = document.sequences[2];
    EXPECT_EQ(b.formatID, std::nullopt);
    EXPECT_EQ(b.frameDuration, std::nullopt);
    EXPECT_EQ(b.fps(), 24.0);
    EXPECT_EQ(b.tcStartSeconds, 0.0);

    const auto& c = document.sequences[3];  // a format without a frame duration
    EXPECT_EQ(c.formatID, "r2");
    EXPECT_EQ(c.frameDuration, std::nullopt);
    EXPECT_EQ(c.tcStartSeconds, 0.0);

    const auto& d = document.sequences[4];  // a zero frame duration is kept but gives no rate
    EXPECT_EQ(d.frameDuration, (Rational{0, 2500}));
    EXPECT_EQ(d.fps(), 24.0);
    EXPECT_EQ(d.tcStartSeconds, 0.0);

    EXPECT_EQ(document.sequences[5].frameDuration, std::nullopt);
}

TEST(FCPXMLParser, TakesOnlyTheDirectChildrenOfThePrimarySpine) {
    const auto document = parseText(R"(<fcpxml version="1.10">
  <resources>
    <asset id="r2" name="Interview.mov" uid="UID-2"/>
    <asset id="r3" name="No UID.mov"/>
    <media id="r4" name="Compound A">
      <sequence><spine><asset-clip name="Inside" ref="r2" offset="0s" duration="2s"/></spine></sequence>
    </media>
  </resources>
  <library><event><project name="Cut"><sequence format="r1">
    <spine>
      <asset-clip name="One" ref="r2" offset="3600s" start="1001/30000s" duration="5s">
        <asset-clip name="Connected" lane="1" ref="r2" offset="3601s" duration="1s"/>
        <spine lane="-1" offset="3602s"><asset-clip name="Secondary" offset="0s" duration="1s"/></spine>
        <marker start="3601s" duration="1/30s" value="m"/>
      </asset-clip>
      <transition name="Cross Dissolve" offset="3604s" duration="1s"/>
      <gap name="Gap" offset="3605s" start="3600s" duration="2s"/>
      <ref-clip name="Two" ref="r4" offset="3607s" duration=" 3s "/>
      <clip name="Three" ref="r3" offset="abc" start="1.5s" duration="1001/0s"/>
      <title ref="nowhere" offset="3611s" duration="1s"/>
    </spine>
    <spine><asset-clip name="Second Spine Child" offset="0s" duration="1s"/></spine>
  </sequence></project></event></library>
</fcpxml>)");
    ASSERT_EQ(document.sequences.size(), 2u);
    EXPECT_EQ(clipNames(document.sequences[0]), (std::vector<std::string>{"Inside"}));

    const auto& cut = document.sequences[1];
    // A second spine directly under the sequence counts as the primary one too: its children are at the
    // primary spine's level below a spine.
    ASSERT_EQ(clipNames(cut),
              (std::vector<std::string>{"One", "Cross Dissolve", "Gap", "Two", "Three", "", "Second Spine Child"}));
    const auto& one = cut.clips[0];
    EXPECT_EQ(one.elementType, "asset-clip");
    EXPECT_EQ(one.ref, "r2");
    EXPECT_EQ(one.assetUID, "UID-2");
    EXPECT_EQ(one.resourceName, "Interview.mov");
    EXPECT_EQ(one.offset, (Rational{3600, 1}));
    EXPECT_EQ(one.start, (Rational{1001, 30000}));
    EXPECT_EQ(one.duration, (Rational{5, 1}));
    EXPECT_FALSE(one.isGap());
    EXPECT_FALSE(one.isTransition());

    EXPECT_TRUE(cut.clips[1].isTransition());
    EXPECT_EQ(cut.clips[1].start, std::nullopt);
    EXPECT_TRUE(cut.clips[2].isGap());
    EXPECT_EQ(cut.clips[2].ref, std::nullopt);
    EXPECT_EQ(cut.clips[2].resourceName, std::nullopt);

    const auto& two = cut.clips[3];  // a ref-clip names a media resource: no asset
    EXPECT_EQ(two.elementType, "ref-clip");
    EXPECT_EQ(two.assetUID, std::nullopt);
    EXPECT_EQ(two.resourceName, "Compound A");
    EXPECT_EQ(two.duration, (Rational{3, 1}));

    const auto& three = cut.clips[4];  // an asset without uid; unreadable times fall back
    EXPECT_EQ(three.assetUID, std::nullopt);
    EXPECT_EQ(three.resourceName, "No UID.mov");
    EXPECT_EQ(three.offset, (Rational{0, 1}));
    EXPECT_EQ(three.start, std::nullopt);
    EXPECT_EQ(three.duration, (Rational{0, 1}));

    const auto& title = cut.clips[5];  // a ref that names no resource; no name
    EXPECT_EQ(title.name, "");
    EXPECT_EQ(title.ref, "nowhere");
    EXPECT_EQ(title.assetUID, std::nullopt);
    EXPECT_EQ(title.resourceName, std::nullopt);
}

TEST(FCPXMLParser, ResourcesDeclaredAfterTheirUseAreFound) {
    const auto document = parseText(R"(<fcpxml version="1.10"><resources>
  <media id="r1" name="Compound"><sequence format="r4"><spine>
    <asset-clip name="Inside" ref="r3" offset="0s" duration="2s"/>
    <ref-clip name="Nested" ref="r5" offset="2s" duration="2s"/>
  </spine></sequence></media>
  <asset id="r3" name="Late.mov" uid="LATE"/>
  <format id="r4" frameDuration="1/50s"/>
  <media id="r5" name="Late Compound"><sequence/></media>
</resources></fcpxml>)");
    ASSERT_EQ(document.sequences.size(), 2u);
    const auto& compound = document.sequences[0];
    EXPECT_EQ(compound.fps(), 50.0);
    ASSERT_EQ(compound.clips.size(), 2u);
    EXPECT_EQ(compound.clips[0].assetUID, "LATE");
    EXPECT_EQ(compound.clips[0].resourceName, "Late.mov");
    EXPECT_EQ(compound.clips[1].resourceName, "Late Compound");
}

TEST(FCPXMLParser, EventTimelinesAreMediaSequencesThatAnEventRefersTo) {
    // Resources come first in an export, so the event's ref-clips follow the sequences they name.
    const auto document = parseText(R"(<fcpxml version="1.10">
  <resources>
    <media id="r1" name="Browser Compound"><sequence><spine><clip name="a"/><clip name="b"/></spine></sequence></media>
    <media id="r2" name="Used In Timeline"><sequence><spine><clip name="c"/><clip name="d"/><clip name="e"/></spine></sequence></media>
    <media name="Without Id"><sequence/></media>
  </resources>
  <library><event name="Day 1">
    <ref-clip name="Browser Compound" ref="r1"/>
    <keyword-collection name="k"><ref-clip ref="r2"/></keyword-collection>
    <ref-clip name="Nameless"/>
  </event></library>
</fcpxml>)");
    ASSERT_EQ(document.sequences.size(), 3u);
    EXPECT_TRUE(document.sequences[0].isEventTimeline);
    EXPECT_FALSE(document.sequences[1].isEventTimeline);  // its ref-clip is not directly in the event
    EXPECT_FALSE(document.sequences[2].isEventTimeline);
    // No project and one event timeline: that one, although another sequence has more clips.
    ASSERT_NE(document.primaryTimeline(), nullptr);
    EXPECT_EQ(document.primaryTimeline()->name, "Browser Compound");
}

TEST(FCPXMLParser, ThePrimaryTimelineIsTheProjectOrTheLargestSequence) {
    const auto one = parseText("<fcpxml><media id=\"m\"><sequence><spine><clip/><clip/></spine></sequence></media>" +
                               project("Only", 1) + "</fcpxml>");
    EXPECT_EQ(one.primaryTimeline(), &one.sequences[1]);

    const auto two =
        parseText("<fcpxml>" + project("Small", 1) + project("Large", 3) + project("Also Large", 3) + "</fcpxml>");
    EXPECT_EQ(two.primaryTimeline(), &two.sequences[1]);

    const auto tie = parseText("<fcpxml>" + project("First", 2) + project("Second", 2) + "</fcpxml>");
    EXPECT_EQ(tie.primaryTimeline(), &tie.sequences[0]);

    // Two event timelines and no project: the one with more clips.
    const auto events = parseText(R"(<fcpxml><resources>
  <media id="a"><sequence><spine><clip/></spine></sequence></media>
  <media id="b"><sequence><spine><clip/><clip/></spine></sequence></media>
</resources><event><ref-clip ref="a"/><ref-clip ref="b"/></event></fcpxml>)");
    EXPECT_EQ(events.primaryTimeline(), &events.sequences[1]);

    EXPECT_EQ(parseText("<fcpxml/>").primaryTimeline(), nullptr);
}

using FCPXMLParserNames = EnglishLocaleTest;

TEST_F(FCPXMLParserNames, FindsSequencesByNameIgnoringCasePreferringProjects) {
    const auto document = parseText(R"(<fcpxml>
  <media id="m1" name="Main Edit"><sequence/></media>
  <media id="m2" name="Compound Only"><sequence/></media>
  <project name="main edit"><sequence><spine><clip name="x"/></spine></sequence></project>
</fcpxml>)");
    const auto* main = document.sequence("MAIN EDIT");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main, &document.sequences[2]);
    EXPECT_EQ(document.sequence("compound only"), &document.sequences[1]);
    EXPECT_EQ(document.sequence("Main"), nullptr);
}

TEST(FCPXMLParser, ASequenceInsideAnotherReplacesIt) {
    // The outer sequence is dropped; its end then finds no sequence open and does nothing.
    const auto document = parseText(R"(<fcpxml><project name="P"><sequence format="r1"><spine>
  <clip name="outer"/><sequence><spine><clip name="inner"/></spine></sequence><clip name="after"/>
</spine></sequence></project></fcpxml>)");
    ASSERT_EQ(document.sequences.size(), 1u);
    EXPECT_EQ(document.sequences[0].name, "sequence");
    EXPECT_EQ(clipNames(document.sequences[0]), (std::vector<std::string>{"inner"}));
}

TEST(FCPXMLParser, MalformedXMLIsAnErrorWithItsLine) {
    try {
        parseText("<fcpxml>\n<project>\n</fcpxml>");
        FAIL() << "no error";
    } catch (const fcpxml::ParseError& error) {
        EXPECT_EQ(error.kind(), fcpxml::ParseError::Kind::xmlError);
        EXPECT_EQ(error.xmlMessage(), "mismatched tag (line 3)");
        EXPECT_STREQ(error.what(), "FCPXML could not be parsed: mismatched tag (line 3)");
    }
    // An undefined entity is an error too, not silently dropped text.
    try {
        parseText(R"(<!DOCTYPE fcpxml SYSTEM "x.dtd"><fcpxml>a&x;b</fcpxml>)");
        ADD_FAILURE() << "no error";
    } catch (const fcpxml::ParseError& error) {
        EXPECT_EQ(error.xmlMessage(), "undefined entity (line 1)");
    }
    EXPECT_THROW(parseText(""), fcpxml::ParseError);
}

TEST(FCPXMLParser, EntityDeclarationsAreRefusedWhereverTheyStand) {
    const auto expectRefused = [](const std::string& xml) {
        try {
            parseText(xml, "evil.fcpxml");
            ADD_FAILURE() << "not refused: " << xml;
        } catch (const brimlock::XMLSecurityError& error) {
            EXPECT_EQ(error.kind(), brimlock::XMLSecurityError::Kind::entityDeclarationsRejected);
            EXPECT_EQ(error.documentName(), "evil.fcpxml");
        }
    };
    // In the prolog: the textual guard.
    expectRefused(R"(<?xml version="1.0"?><!DOCTYPE fcpxml [<!ENTITY a "aaaa">]><fcpxml/>)");
    // After a comment that looks like a start tag, the textual guard stops looking; expat still refuses.
    expectRefused(R"(<!DOCTYPE fcpxml [<!-- <a --> <!ENTITY b "bbbb">]><fcpxml><project name="&b;"/></fcpxml>)");
    // Past the textual guard's first 64 KiB.
    expectRefused("<!DOCTYPE fcpxml [<!--" + std::string(70'000, ' ') + "--><!ENTITY c \"c\">]><fcpxml/>");
}
