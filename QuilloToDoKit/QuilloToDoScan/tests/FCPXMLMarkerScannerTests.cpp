#include "QuilloToDoKit/QuilloToDoScan/FCPXMLMarkerScanner.h"

#include "Platform/Foundation/Coding.h"
#include "testing/TemporaryDirectory.h"

#include "testing/ToolRun.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <span>
#include <stdexcept>

using quillo::FCPXMLMarkerScanner::ScanError;
using quillo::FCPXMLMarkerScanner::ScannedMarker;
using quillo::testing::TemporaryDirectory;

namespace {

std::vector<ScannedMarker> scanText(const std::string& xml) {
    return quillo::FCPXMLMarkerScanner::scan(std::span(reinterpret_cast<const std::uint8_t*>(xml.data()), xml.size()),
                                             "test.fcpxml");
}

const ScannedMarker& withText(const std::vector<ScannedMarker>& markers, const std::string& text) {
    for (const auto& marker : markers)
        if (marker.text == text) return marker;
    throw std::runtime_error("no marker " + text);
}

ScanError scanError(const std::function<void()>& call) {
    try {
        call();
    } catch (const ScanError& error) {
        return error;
    }
    throw std::runtime_error("no ScanError");
}

void write(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

const std::string kMarkedProject =
    R"(<fcpxml version="1.10"><resources><format id="r1" frameDuration="100/2500s"/></resources>
<project name="Edit"><sequence format="r1"><spine>
  <asset-clip name="Interview" role="Anna.Anna-1" offset="0s" start="1200/2400s" duration="10s">
    <marker start="3600/2400s" duration="100/2500s" value="fix the colour" completed="0"/>
  </asset-clip>
</spine></sequence></project></fcpxml>)";

}  // namespace

TEST(FCPXMLMarkerScanner, PositionsMarkersOnTheTimelineThroughTheirClip) {
    const auto markers = scanText(R"(<fcpxml version="1.10"><project name="Edit"><sequence><spine>
  <marker start="7s" value="on the spine"/>
  <asset-clip name="Trimmed" role="dialogue.dialogue-1" offset="0s" start="1200/2400s" duration="5s">
    <marker start="3600/2400s" value="trimmed"/>
  </asset-clip>
  <asset-clip name="Untrimmed" offset="3s" duration="5s"><marker start="2s" value="untrimmed"/></asset-clip>
  <clip name="Bad Start" offset="10s" start="later" duration="5s"><marker start="12s" value="bad start"/></clip>
  <transition name="Dissolve" offset="20s" duration="1s"><marker start="21s" value="in transition"/></transition>
  <audition offset="30s"><asset-clip name="Pick" offset="30s" start="4s" duration="2s"/><marker start="31s" value="in audition"/></audition>
  <asset-clip name="Outer" offset="40s" start="100s" duration="10s">
    <asset-clip name="Connected" lane="1" offset="102s" start="0s" duration="2s"><marker start="1s" value="connected"/></asset-clip>
    <marker start="oops" value="bad marker start"/>
  </asset-clip>
</spine></sequence></project></fcpxml>)");
    ASSERT_EQ(markers.size(), 8u);
    const auto& spine = withText(markers, "on the spine");
    EXPECT_EQ(spine.positionSeconds, 7.0);
    EXPECT_EQ(spine.roleAttribute, std::nullopt);
    EXPECT_EQ(spine.containingClipName, std::nullopt);

    const auto& trimmed = withText(markers, "trimmed");
    EXPECT_EQ(trimmed.positionSeconds, 1.0);
    EXPECT_EQ(trimmed.roleAttribute, "dialogue.dialogue-1");
    EXPECT_EQ(trimmed.containingClipName, "Trimmed");

    // A clip without "start" begins at its own time 0.
    EXPECT_EQ(withText(markers, "untrimmed").positionSeconds, 5.0);
    // An unreadable start falls back to the offset; so do a transition's and an audition's.
    EXPECT_EQ(withText(markers, "bad start").positionSeconds, 12.0);
    EXPECT_EQ(withText(markers, "in transition").positionSeconds, 21.0);
    EXPECT_EQ(withText(markers, "in audition").positionSeconds, 31.0);
    EXPECT_EQ(withText(markers, "in audition").containingClipName, std::nullopt);
    // Only the innermost clip counts: a connected clip's offset is in its parent's time.
    EXPECT_EQ(withText(markers, "connected").positionSeconds, 103.0);
    EXPECT_EQ(withText(markers, "connected").containingClipName, "Connected");
    // An unreadable marker start counts as 0.
    EXPECT_EQ(withText(markers, "bad marker start").positionSeconds, -60.0);
    EXPECT_EQ(withText(markers, "bad marker start").containingClipName, "Outer");

    for (const auto& marker : markers) {
        EXPECT_EQ(marker.sequenceName, "Edit");
        EXPECT_EQ(marker.framesPerSecond, 24.0);
    }
}

TEST(FCPXMLMarkerScanner, OnlyTheElementThatOpenedAClipClosesIt) {
    // The inner asset-clip has no readable offset, so it is no clip; its end must not close "Outer".
    const auto markers = scanText(R"(<fcpxml><sequence><spine>
  <asset-clip name="Outer" offset="10s" start="0s" duration="10s">
    <asset-clip name="Inner" offset="n/a"><marker start="1s" value="inside inner"/></asset-clip>
    <marker start="2s" value="after inner"/>
  </asset-clip>
  <marker start="3s" value="after outer"/>
</spine></sequence></fcpxml>)");
    ASSERT_EQ(markers.size(), 3u);
    EXPECT_EQ(markers[0].containingClipName, "Outer");
    EXPECT_EQ(markers[0].positionSeconds, 11.0);
    EXPECT_EQ(markers[1].containingClipName, "Outer");
    EXPECT_EQ(markers[1].positionSeconds, 12.0);
    EXPECT_EQ(markers[2].containingClipName, std::nullopt);
    EXPECT_EQ(markers[2].positionSeconds, 3.0);
}

TEST(FCPXMLMarkerScanner, ReadsKindsCompletionAndChapterNotes) {
    const auto markers =
        scanText(R"(<fcpxml><project name="P"><sequence><spine><gap offset="0s" start="0s" duration="60s">
  <marker start="1s" value="done" completed="1"/>
  <marker start="2s" value="open" completed="0"/>
  <marker start="3s" value="wordy" completed="true"/>
  <marker start="4s" value="plain" note="ignored"/>
  <chapter-marker start="5s" value="Act One" note="the opening" completed="1"/>
  <chapter-marker start="6s" posterOffset="0s"/>
</gap></spine></sequence></project></fcpxml>)");
    ASSERT_EQ(markers.size(), 6u);
    EXPECT_TRUE(markers[0].isTodo);
    EXPECT_EQ(markers[0].completed, true);
    EXPECT_TRUE(markers[1].isTodo);
    EXPECT_EQ(markers[1].completed, false);
    EXPECT_TRUE(markers[2].isTodo);
    EXPECT_EQ(markers[2].completed, false);
    EXPECT_FALSE(markers[3].isTodo);
    EXPECT_EQ(markers[3].completed, std::nullopt);
    EXPECT_EQ(markers[3].chapterNote, std::nullopt);
    EXPECT_FALSE(markers[3].isChapter);

    const auto& chapter = markers[4];
    EXPECT_TRUE(chapter.isChapter);
    EXPECT_FALSE(chapter.isTodo);
    EXPECT_EQ(chapter.completed, true);
    EXPECT_EQ(chapter.chapterNote, "the opening");
    EXPECT_EQ(chapter.containingClipName, std::nullopt);  // the gap has no name
    EXPECT_EQ(markers[5].text, "");
    EXPECT_EQ(markers[5].chapterNote, std::nullopt);
}

TEST(FCPXMLMarkerScanner, SequencesGiveNamesAndRates) {
    const auto markers = scanText(R"(<fcpxml version="1.10">
  <marker start="1s" value="outside"/>
  <resources>
    <media id="r5" name="Compound"><sequence format="r3"><spine><marker start="0s" value="early format"/></spine></sequence></media>
    <format id="r1" frameDuration="100/2500s"/>
    <format id="r2" frameDuration="0/1s"/>
    <format id="r3" frameDuration="1001/24000s"/>
  </resources>
  <project name="First"><sequence format="r1"><marker start="1s" value="pal"/></sequence></project>
  <sequence format="r2"><marker start="1s" value="zero duration"/></sequence>
  <project><sequence format="unknown"><marker start="1s" value="unnamed"/></sequence></project>
</fcpxml>)");
    ASSERT_EQ(markers.size(), 4u);  // the marker outside any sequence is ignored
    EXPECT_EQ(markers[0].text, "early format");
    EXPECT_EQ(markers[0].sequenceName, "Untitled");
    EXPECT_DOUBLE_EQ(markers[0].framesPerSecond, 24000.0 / 1001.0);
    EXPECT_EQ(markers[1].sequenceName, "First");
    EXPECT_EQ(markers[1].framesPerSecond, 25.0);
    // The project has ended; its name stays until the next project starts.
    EXPECT_EQ(markers[2].sequenceName, "First");
    EXPECT_EQ(markers[2].framesPerSecond, 24.0);
    EXPECT_EQ(markers[3].sequenceName, "Untitled");
    EXPECT_EQ(markers[3].framesPerSecond, 24.0);
}

TEST(FCPXMLMarkerScanner, MalformedOrDangerousXMLIsAnError) {
    const auto broken = scanError([] { scanText("<fcpxml>\n<sequence>\n<marker></sequence>"); });
    EXPECT_EQ(broken.kind(), ScanError::Kind::xmlError);
    EXPECT_EQ(broken.payload(), "mismatched tag (line 3)");
    EXPECT_STREQ(broken.what(), "FCPXML could not be parsed: mismatched tag (line 3)");

    // Entity declarations are refused, not expanded; no partial list.
    const auto entity = scanError([] {
        scanText(
            R"(<!DOCTYPE fcpxml [<!-- <x --><!ENTITY a "aaaaaaaa">]><fcpxml><sequence><marker value="&a;"/></sequence></fcpxml>)");
    });
    EXPECT_EQ(entity.kind(), ScanError::Kind::xmlError);
    EXPECT_EQ(entity.payload().rfind("'test.fcpxml' declares XML entities", 0), 0u) << entity.payload();
}

TEST(FCPXMLMarkerScanner, ReadsFilesAndBundles) {
    TemporaryDirectory dir;
    write(dir.path() / "Export.fcpxml", kMarkedProject);
    const auto markers = quillo::FCPXMLMarkerScanner::scan(dir.path() / "Export.fcpxml");
    ASSERT_EQ(markers.size(), 1u);
    EXPECT_EQ(markers[0].positionSeconds, 1.0);
    EXPECT_EQ(markers[0].framesPerSecond, 25.0);

    for (const char* bundle : {"Cut.fcpxmld", "Cut.FcpXmlD", "Folder"}) {
        std::filesystem::create_directory(dir.path() / bundle);
        write(dir.path() / bundle / "Info.fcpxml", kMarkedProject);
        EXPECT_EQ(quillo::FCPXMLMarkerScanner::scan(dir.path() / bundle), markers) << bundle;
    }

    const auto missing = dir.path() / "Gone.fcpxml";
    const auto notFound = scanError([&] { quillo::FCPXMLMarkerScanner::scan(missing); });
    EXPECT_EQ(notFound.kind(), ScanError::Kind::fileNotFound);
    EXPECT_EQ(std::string(notFound.what()), "FCPXML file not found: " + missing.string());

    std::filesystem::create_directory(dir.path() / "Empty.fcpxmld");
    const auto unreadable = scanError([&] { quillo::FCPXMLMarkerScanner::scan(dir.path() / "Empty.fcpxmld"); });
    EXPECT_EQ(unreadable.kind(), ScanError::Kind::notReadable);
    EXPECT_EQ(std::string(unreadable.what()),
              "FCPXML file could not be read: " + (dir.path() / "Empty.fcpxmld").string());
}

namespace {

using quillo::testing::runCommand;
using quillo::testing::shellQuoted;

}  // namespace

TEST(FCPXMLMarkersTool, PrintsTheMarkersAsOneJSONArray) {
    TemporaryDirectory dir;
    write(dir.path() / "Export.fcpxml", R"(<fcpxml><project name="Edit"><sequence><spine>
  <chapter-marker start="1s" value="Act One" note="intro"/>
  <asset-clip name="Interview" role="Anna.Anna-1" offset="10s" duration="5s"><marker start="2s" value="@anna fix" completed="1"/></asset-clip>
</spine></sequence></project></fcpxml>)");
    const auto [output, status] =
        runCommand(std::string(FCPXML_MARKERS_TOOL) + " " + shellQuoted(dir.path() / "Export.fcpxml"));
    ASSERT_EQ(status, 0);
    EXPECT_EQ(output.find('\n'), output.size() - 1);
    const auto markers = platform::parseJSON(output);
    ASSERT_TRUE(markers.is_array());
    ASSERT_EQ(markers.size(), 2u);
    EXPECT_EQ(markers[0], (platform::JSON{{"text", "Act One"},
                                          {"isChapter", true},
                                          {"isTodo", false},
                                          {"chapterNote", "intro"},
                                          {"sequenceName", "Edit"},
                                          {"positionSeconds", 1.0},
                                          {"framesPerSecond", 24.0}}));
    EXPECT_EQ(markers[1], (platform::JSON{{"text", "@anna fix"},
                                          {"isChapter", false},
                                          {"isTodo", true},
                                          {"completed", true},
                                          {"roleAttribute", "Anna.Anna-1"},
                                          {"containingClipName", "Interview"},
                                          {"sequenceName", "Edit"},
                                          {"positionSeconds", 12.0},
                                          {"framesPerSecond", 24.0}}));

    const auto missing = dir.path() / "gone.fcpxml";
    const auto failed = runCommand(std::string(FCPXML_MARKERS_TOOL) + " " + shellQuoted(missing) + " 2>&1 >/dev/null");
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.output, "FCPXML file not found: " + missing.string() + "\n");
    EXPECT_NE(runCommand(std::string(FCPXML_MARKERS_TOOL) + " 2>/dev/null").status, 0);
}
