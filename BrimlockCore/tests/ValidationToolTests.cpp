#include "Platform/Foundation/Coding.h"
#include "testing/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include "testing/ToolRun.h"

#include <filesystem>
#include <fstream>
#include <string>

using quillo::testing::TemporaryDirectory;

namespace {

using quillo::testing::runCommand;
using quillo::testing::shellQuoted;

std::string sequencesTool() { return FCPXML_SEQUENCES_TOOL; }
std::string timecodeTool() { return QUILLOTODO_TIMECODE_TOOL; }

}  // namespace

TEST(FCPXMLSequencesTool, PrintsTheDocumentAsOneJSONObject) {
    TemporaryDirectory dir;
    std::filesystem::create_directory(dir.path() / "Cut.fcpxmld");
    std::ofstream(dir.path() / "Cut.fcpxmld" / "Info.fcpxml") << R"(<fcpxml version="1.11"><resources>
  <media id="m1" name="Compound"><sequence format="r1"><spine><clip name="x"/><clip name="y"/></spine></sequence></media>
  <format id="r1" frameDuration="1001/30000s"/><asset id="r2" name="A.mov" uid="UID"/>
</resources><project name="Edit"><sequence format="r1" tcStart="3600s"><spine>
  <asset-clip name="A" ref="r2" offset="3600s" start="1001/30000s" duration="5s"/><gap offset="3605s" duration="1s"/>
</spine></sequence></project></fcpxml>)";
    const auto [output, status] = runCommand(sequencesTool() + " " + shellQuoted(dir.path() / "Cut.fcpxmld"));
    ASSERT_EQ(status, 0);
    EXPECT_EQ(output.find('\n'), output.size() - 1);
    const auto document = platform::parseJSON(output);
    EXPECT_EQ(document["version"], "1.11");
    EXPECT_EQ(document["primaryTimelineIndex"], 1);
    ASSERT_EQ(document["sequences"].size(), 2u);

    const auto& compound = document["sequences"][0];
    EXPECT_EQ(compound["kind"], "media");
    EXPECT_EQ(compound["isEventTimeline"], false);
    EXPECT_EQ(compound["frameDuration"], (platform::JSON{{"numerator", 1001}, {"denominator", 30000}}));
    EXPECT_EQ(compound["clips"][0]["ref"], nullptr);
    EXPECT_EQ(compound["clips"][0]["start"], nullptr);

    const auto& edit = document["sequences"][1];
    EXPECT_EQ(edit["name"], "Edit");
    EXPECT_EQ(edit["kind"], "project");
    EXPECT_EQ(edit["formatID"], "r1");
    EXPECT_EQ(edit["tcStartSeconds"], 3600.0);
    EXPECT_DOUBLE_EQ(edit["fps"].get<double>(), 30000.0 / 1001.0);
    ASSERT_EQ(edit["clips"].size(), 2u);
    EXPECT_EQ(edit["clips"][0], (platform::JSON{{"elementType", "asset-clip"},
                                                {"name", "A"},
                                                {"ref", "r2"},
                                                {"assetUID", "UID"},
                                                {"resourceName", "A.mov"},
                                                {"offset", {{"numerator", 3600}, {"denominator", 1}}},
                                                {"start", {{"numerator", 1001}, {"denominator", 30000}}},
                                                {"duration", {{"numerator", 5}, {"denominator", 1}}},
                                                {"isGap", false},
                                                {"isTransition", false}}));
    EXPECT_EQ(edit["clips"][1]["isGap"], true);
    EXPECT_EQ(edit["clips"][1]["name"], "");

    // No sequences: no primary timeline.
    std::ofstream(dir.path() / "empty.fcpxml") << "<fcpxml/>";
    const auto empty =
        platform::parseJSON(runCommand(sequencesTool() + " " + shellQuoted(dir.path() / "empty.fcpxml")).output);
    EXPECT_EQ(empty,
              (platform::JSON{
                  {"version", nullptr}, {"sequences", platform::JSON::array()}, {"primaryTimelineIndex", nullptr}}));
}

TEST(FCPXMLSequencesTool, ReportsErrorsOnStandardErrorWithStatus1) {
    TemporaryDirectory dir;
    const auto missing = dir.path() / "gone.fcpxml";
    const auto notFound = runCommand(sequencesTool() + " " + shellQuoted(missing) + " 2>&1 >/dev/null");
    EXPECT_EQ(notFound.status, 1);
    EXPECT_EQ(notFound.output, "FCPXML file not found: " + missing.string() + "\n");

    std::ofstream(dir.path() / "broken.fcpxml") << "<fcpxml>\n<a></b>";
    const auto broken =
        runCommand(sequencesTool() + " " + shellQuoted(dir.path() / "broken.fcpxml") + " 2>&1 >/dev/null");
    EXPECT_EQ(broken.status, 1);
    EXPECT_EQ(broken.output, "FCPXML could not be parsed: mismatched tag (line 2)\n");

    std::ofstream(dir.path() / "entity.fcpxml") << R"(<!DOCTYPE fcpxml [<!ENTITY e "e">]><fcpxml/>)";
    const auto entity =
        runCommand(sequencesTool() + " " + shellQuoted(dir.path() / "entity.fcpxml") + " 2>&1 >/dev/null");
    EXPECT_EQ(entity.status, 1);
    EXPECT_EQ(entity.output.rfind("'entity.fcpxml' declares XML entities", 0), 0u) << entity.output;
}

TEST(TimecodeTool, PrintsTheLabelOfEachFrameCount) {
    const auto ndf = runCommand(timecodeTool() + " fps25 0 25 90000 -3");
    EXPECT_EQ(ndf.status, 0);
    EXPECT_EQ(ndf.output, "00:00:00:00\n00:00:01:00\n01:00:00:00\n00:00:00:00\n");
    // Drop-frame numbering skips ;00 and ;01 at the start of each minute but every tenth.
    const auto df = runCommand(timecodeTool() + " fps29_97df 1799 1800 17982");
    EXPECT_EQ(df.output, "00:00:59;29\n00:01:00;02\n00:10:00;00\n");

    const auto frames = runCommand(timecodeTool() + " --to-frames fps29_97df '00:01:00;02' 00:10:00:00 garbage");
    EXPECT_EQ(frames.status, 0);
    EXPECT_EQ(frames.output, "1800\n17982\nnone\n");
}

TEST(TimecodeTool, RefusesUnknownRatesAndFrameCounts) {
    const auto unknown = runCommand(timecodeTool() + " fps29_97 10 2>&1");
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.output.find("fps29_97"), std::string::npos);
    EXPECT_EQ(runCommand(timecodeTool() + " --to-frames 24 00:00:00:00 2>/dev/null").status, 1);
    EXPECT_EQ(runCommand(timecodeTool() + " fps24 1.5 2>/dev/null").status, 1);
    EXPECT_NE(runCommand(timecodeTool() + " 2>/dev/null").status, 0);
}
