#include "BrimlockCore/XML/XMLSecurityError.h"
#include "BrimlockCore/Validation/FCPXMLParser.h"

#include "testing/TemporaryDirectory.h"

#include "testing/Thrown.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fcpxml = brimlock::FCPXMLParser;
using quillo::testing::TemporaryDirectory;

namespace {

const std::string kOneProject = R"(<?xml version="1.0" encoding="UTF-8"?>
<fcpxml version="1.11"><project name="From File"><sequence><spine><gap offset="0s" duration="1s"/></spine></sequence></project></fcpxml>
)";

void write(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

fcpxml::ParseError parseError(const std::filesystem::path& path) {
    return quillo::testing::thrownBy<fcpxml::ParseError>([&] { fcpxml::parse(path); });
}
}  // namespace

TEST(FCPXMLParserFile, ReadsAFile) {
    TemporaryDirectory dir;
    write(dir.path() / "Export.fcpxml", kOneProject);
    const auto document = fcpxml::parse(dir.path() / "Export.fcpxml");
    EXPECT_EQ(document.version, "1.11");
    ASSERT_EQ(document.sequences.size(), 1u);
    EXPECT_EQ(document.sequences[0].name, "From File");
}

TEST(FCPXMLParserFile, ReadsBundlesThroughTheirInfoFile) {
    TemporaryDirectory dir;
    for (const char* bundle : {"Cut.fcpxmld", "Cut.FCPXMLD", "Plain Folder"}) {
        std::filesystem::create_directory(dir.path() / bundle);
        write(dir.path() / bundle / "Info.fcpxml", kOneProject);
        EXPECT_EQ(fcpxml::parse(dir.path() / bundle).sequences.size(), 1u) << bundle;
    }
    // A file named like a bundle is read as it is.
    write(dir.path() / "Flat.fcpxmld", kOneProject);
    EXPECT_EQ(fcpxml::parse(dir.path() / "Flat.fcpxmld").sequences.size(), 1u);

    // A bundle without its Info file cannot be read; the message names the bundle.
    std::filesystem::create_directory(dir.path() / "Empty.fcpxmld");
    const auto error = parseError(dir.path() / "Empty.fcpxmld");
    EXPECT_EQ(error.kind(), fcpxml::ParseError::Kind::notReadable);
    EXPECT_EQ(std::string(error.what()), "FCPXML file could not be read: " + (dir.path() / "Empty.fcpxmld").string());
}

TEST(FCPXMLParserFile, AMissingPathIsNotFound) {
    TemporaryDirectory dir;
    const auto missing = dir.path() / "Gone.fcpxml";
    const auto error = parseError(missing);
    EXPECT_EQ(error.kind(), fcpxml::ParseError::Kind::fileNotFound);
    EXPECT_EQ(error.path(), missing.string());
    EXPECT_EQ(std::string(error.what()), "FCPXML file not found: " + missing.string());

    std::filesystem::create_symlink(dir.path() / "nowhere", dir.path() / "dangling.fcpxml");
    EXPECT_EQ(parseError(dir.path() / "dangling.fcpxml").kind(), fcpxml::ParseError::Kind::fileNotFound);
}

TEST(FCPXMLParserFile, EntityErrorsNameTheFileRead) {
    TemporaryDirectory dir;
    std::filesystem::create_directory(dir.path() / "Evil.fcpxmld");
    write(dir.path() / "Evil.fcpxmld" / "Info.fcpxml", R"(<!DOCTYPE fcpxml [<!ENTITY x "y">]><fcpxml/>)");
    try {
        fcpxml::parse(dir.path() / "Evil.fcpxmld");
        FAIL() << "not refused";
    } catch (const brimlock::XMLSecurityError& error) {
        EXPECT_EQ(error.documentName(), "Info.fcpxml");
    }
}

TEST(FCPXMLParserFile, TheSizeGuardStopsAt200MiB) {
    TemporaryDirectory dir;
    const auto path = dir.path() / "Huge.fcpxml";
    // Sparse: the document is followed by zero bytes, which expat refuses after the guard let it through.
    write(path, kOneProject);
    std::filesystem::resize_file(path, fcpxml::kMaximumFileBytes);
    EXPECT_EQ(parseError(path).kind(), fcpxml::ParseError::Kind::xmlError);

    std::filesystem::resize_file(path, fcpxml::kMaximumFileBytes + 1);
    const auto error = parseError(path);
    EXPECT_EQ(error.kind(), fcpxml::ParseError::Kind::tooLarge);
    EXPECT_EQ(error.byteCount(), 209'715'201);
    EXPECT_EQ(std::string(error.what()), "FCPXML file is too large to validate (200 MB): " + path.string() +
                                             ". A real FCPXML export is a few MB at most \u2014 this file may be "
                                             "corrupt or crafted.");
}

TEST(FCPXMLParserFile, ADeviceOrFIFOIsNeverReadWithoutBound) {
    // A device without a recorded size: the read stops one byte past the limit.
    if (std::filesystem::exists("/dev/zero")) {
        const auto error = parseError("/dev/zero");
        EXPECT_EQ(error.kind(), fcpxml::ParseError::Kind::tooLarge);
        EXPECT_EQ(error.byteCount(), 209'715'201);
        EXPECT_EQ(error.path(), "/dev/zero");
    }

    TemporaryDirectory dir;
    const auto fifo = dir.path() / "pipe.fcpxml";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Without a writer the FIFO reads as empty instead of blocking the caller.
    EXPECT_EQ(parseError(fifo).kind(), fcpxml::ParseError::Kind::xmlError);
}
