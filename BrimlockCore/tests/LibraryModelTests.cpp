#include "BrimlockCore/Model/ActiveRoleClip.h"
#include "BrimlockCore/Model/ClipCategory.h"
#include "BrimlockCore/Model/EditEntry.h"
#include "BrimlockCore/Model/FCPMetadata.h"
#include "BrimlockCore/Model/MarkerInfo.h"
#include "BrimlockCore/Model/MarkerType.h"
#include "BrimlockCore/Model/StackedLayerInfo.h"
#include "BrimlockCore/Protocol/BrimlockQuery.h"

#include "testing/Thrown.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <type_traits>

using quillo::testing::thrownBy;
using namespace brimlock;
using platform::CodingPath;
using platform::DecodingError;
using platform::JSON;
using Kind = DecodingError::Kind;

namespace {

std::vector<std::string> keysOf(const JSON& object) {
    std::vector<std::string> keys;
    for (const auto& [key, value] : object.items()) keys.push_back(key);
    return keys;
}

// Through text, as documents travel.
JSON reparsed(const JSON& value) { return platform::parseJSON(platform::serializeJSON(value)); }

const std::vector<std::string> kMetadataKeys = {"sourceClipName",
                                                "sourceFileName",
                                                "mediaIdentifier",
                                                "sourceTimecode",
                                                "sourceFrameNumber",
                                                "projectTimecode",
                                                "frameRate",
                                                "reelName",
                                                "cameraName",
                                                "scene",
                                                "shot",
                                                "take",
                                                "angle",
                                                "notes",
                                                "videoRole",
                                                "audioRoles",
                                                "clipDuration",
                                                "clipType",
                                                "resolutionWidth",
                                                "resolutionHeight",
                                                "positionX",
                                                "positionY",
                                                "scaleX",
                                                "scaleY",
                                                "rotation",
                                                "speedRate",
                                                "isReversed",
                                                "isFreezeFrame",
                                                "appliedEffects",
                                                "hasStabilization",
                                                "hasRollingShutterFix",
                                                "markers",
                                                "stackedVideoClips",
                                                "activeRoleClips",
                                                "stackedLayers"};

StackedLayerInfo fullLayer() {
    return StackedLayerInfo{.videoLaneNumber = 2,
                            .reelName = "R7",
                            .sceneShot = "12/3",
                            .sourceFileName = "A001.mov",
                            .sourceTimecode = "01:00:00:00",
                            .sourceFrameNumber = 86'400,
                            .layerTimelineStart = 3.5,
                            .correctedSourceStart = 1.25,
                            .sourceFpsNum = 24'000,
                            .sourceFpsDen = 1'001,
                            .sourceRateString = "23.976"};
}

FCPMetadata fullMetadata() {
    FCPMetadata m;
    m.sourceClipName = "Interview";
    m.sourceFileName = "A001.mov";
    m.mediaIdentifier = "MID-1";
    m.sourceTimecode = "01:00:00:05";
    m.sourceFrameNumber = 86'405;
    m.projectTimecode = "00:00:10:00";
    m.frameRate = 23.976;
    m.reelName = "R1";
    m.cameraName = "A cam";
    m.scene = "12";
    m.shot = "3";
    m.take = "4";
    m.angle = "wide";
    m.notes = "good";
    m.videoRole = "Video";
    m.audioRoles = std::vector<std::string>{"Dialogue", "Music"};
    m.clipDuration = "00:00:05:00";
    m.clipType = ClipCategory::multicam;
    m.resolutionWidth = 1920;
    m.resolutionHeight = 1080;
    m.positionX = -10.5;
    m.positionY = 4;
    m.scaleX = 1.5;
    m.scaleY = 0.5;
    m.rotation = 90;
    m.speedRate = 0.5;
    m.isReversed = false;
    m.isFreezeFrame = true;
    m.appliedEffects = std::vector<std::string>{"Blur"};
    m.hasStabilization = true;
    m.hasRollingShutterFix = false;
    m.markers = std::vector<MarkerInfo>{{"Fix", MarkerType::todo, std::nullopt}, {"Act 1", MarkerType::chapter, "n"}};
    m.stackedVideoClips = std::vector<std::string>{"B-roll"};
    m.activeRoleClips = std::map<std::string, ActiveRoleClip>{{"Dialogue", ActiveRoleClip("Dialogue", "d.wav")}};
    m.stackedLayers = std::vector<StackedLayerInfo>{fullLayer()};
    return m;
}

}  // namespace

TEST(LibraryModelEnumerations, ClipCategoryRawValuesAreExact) {
    const std::pair<ClipCategory, const char*> cases[] = {
        {ClipCategory::simple, "simple"}, {ClipCategory::compound, "compound"}, {ClipCategory::multicam, "multicam"},
        {ClipCategory::sync, "sync"},     {ClipCategory::gap, "gap"},           {ClipCategory::generator, "generator"},
        {ClipCategory::title, "title"}};
    for (const auto& [category, text] : cases) {
        EXPECT_EQ(rawValue(category), text);
        EXPECT_EQ(clipCategoryFromRawValue(text), category);
        EXPECT_EQ(decodeClipCategory(reparsed(encode(category))), category);
    }
    for (const char* text : {"Title", "GAP", " gap", "gap ", "", "clip"})
        EXPECT_EQ(clipCategoryFromRawValue(text), std::nullopt) << text;
}

TEST(LibraryModelEnumerations, MarkerTypeCasesInOrderWithExactRawValues) {
    ASSERT_EQ(kAllMarkerTypes.size(), 3u);
    EXPECT_EQ(kAllMarkerTypes[0], MarkerType::chapter);
    EXPECT_EQ(kAllMarkerTypes[1], MarkerType::todo);
    EXPECT_EQ(kAllMarkerTypes[2], MarkerType::standard);
    EXPECT_EQ(rawValue(MarkerType::chapter), "chapter");
    EXPECT_EQ(rawValue(MarkerType::todo), "todo");
    EXPECT_EQ(rawValue(MarkerType::standard), "standard");
    for (const MarkerType type : kAllMarkerTypes) EXPECT_EQ(markerTypeFromRawValue(rawValue(type)), type);
    EXPECT_EQ(markerTypeFromRawValue("ToDo"), std::nullopt);
    EXPECT_EQ(markerTypeFromRawValue("to-do"), std::nullopt);
}

TEST(LibraryModelEnumerations, UnknownOrMistypedTextDoesNotDecode) {
    EXPECT_EQ(thrownBy<DecodingError>([] { decodeClipCategory(JSON("Title"), {"clipType"}); }).kind(),
              Kind::dataCorrupted);
    EXPECT_EQ(thrownBy<DecodingError>([] { decodeMarkerType(JSON("Todo")); }).kind(), Kind::dataCorrupted);
    EXPECT_EQ(thrownBy<DecodingError>([] { decodeMarkerType(JSON(1)); }).kind(), Kind::typeMismatch);
}

TEST(LibraryModelMetadata, EmptyEncodesToExactlyFourKeys) {
    const JSON encoded = reparsed(encode(FCPMetadata::empty()));
    EXPECT_EQ(keysOf(encoded),
              (std::vector<std::string>{"sourceClipName", "sourceTimecode", "projectTimecode", "frameRate"}));
    EXPECT_EQ(encoded["sourceClipName"], "\xE2\x80\x94");
    EXPECT_EQ(encoded["sourceTimecode"], "\xE2\x80\x94");
    EXPECT_EQ(encoded["projectTimecode"], "00:00:00:00");
    EXPECT_EQ(encoded["frameRate"].get<double>(), 24.0);
    EXPECT_FALSE(FCPMetadata::empty().clipType.has_value());
}

TEST(LibraryModelMetadata, EmptyIsHandedOutAsACopy) {
    FCPMetadata copy = FCPMetadata::empty();
    copy.sourceClipName = "changed";
    copy.markers = std::vector<MarkerInfo>{};
    EXPECT_EQ(FCPMetadata::empty().sourceClipName, "\xE2\x80\x94");
    EXPECT_FALSE(FCPMetadata::empty().markers.has_value());
}

TEST(LibraryModelMetadata, AllFieldsWriteTheirKeysInFieldOrderAndReadBack) {
    const JSON encoded = reparsed(encode(fullMetadata()));
    EXPECT_EQ(keysOf(encoded), kMetadataKeys);
    EXPECT_EQ(encoded["clipType"], "multicam");
    EXPECT_EQ(encoded["markers"][0]["type"], "todo");
    EXPECT_EQ(keysOf(encoded["markers"][0]), (std::vector<std::string>{"text", "type"}));
    EXPECT_EQ(encoded["activeRoleClips"]["Dialogue"]["mediaFilename"], "d.wav");

    const FCPMetadata m = decodeFCPMetadata(encoded);
    EXPECT_EQ(m.clipType, ClipCategory::multicam);
    EXPECT_EQ(m.audioRoles, fullMetadata().audioRoles);
    ASSERT_TRUE(m.markers.has_value());
    EXPECT_EQ(m.markers->at(1).chapterNote, "n");
    ASSERT_TRUE(m.activeRoleClips.has_value());
    EXPECT_EQ(m.activeRoleClips->at("Dialogue").mediaFilename(), "d.wav");
    // Every field survives: decoding and encoding again reproduces the whole document.
    EXPECT_EQ(reparsed(encode(m)), encoded);
}

TEST(LibraryModelMetadata, RequiredKeysMustBePresentAndOptionalOnesMayBeMissingOrNull) {
    const JSON minimal = platform::parseJSON(
        R"({"sourceClipName":"c","sourceTimecode":"t","projectTimecode":"p","frameRate":25,"reelName":null})");
    const FCPMetadata m = decodeFCPMetadata(minimal);
    EXPECT_EQ(m.frameRate, 25.0);
    EXPECT_FALSE(m.reelName || m.sourceFileName || m.clipType || m.markers || m.activeRoleClips || m.stackedLayers ||
                 m.audioRoles || m.isReversed || m.sourceFrameNumber || m.speedRate);
    EXPECT_EQ(keysOf(reparsed(encode(m))),
              (std::vector<std::string>{"sourceClipName", "sourceTimecode", "projectTimecode", "frameRate"}));

    for (const char* key : {"sourceClipName", "sourceTimecode", "projectTimecode", "frameRate"}) {
        JSON document = minimal;
        document.erase(key);
        const auto error = thrownBy<DecodingError>([&] { decodeFCPMetadata(document); });
        EXPECT_EQ(error.kind(), Kind::keyNotFound) << key;
        EXPECT_NE(error.debugDescription().find(key), std::string::npos) << key;
    }
}

TEST(LibraryModelMetadata, WrongValuesFailWithTheirPath) {
    const auto failure = [](const char* member) {
        JSON document = platform::parseJSON(R"({"sourceClipName":"c","sourceTimecode":"t","projectTimecode":"p",
                                               "frameRate":25})");
        document.update(platform::parseJSON(member));
        return thrownBy<DecodingError>([&] { decodeFCPMetadata(document, {"meta"}); });
    };
    auto error = failure(R"({"frameRate":"24"})");
    EXPECT_EQ(error.kind(), Kind::typeMismatch);
    EXPECT_EQ(error.codingPath(), (CodingPath{"meta", "frameRate"}));

    error = failure(R"({"clipType":"Title"})");
    EXPECT_EQ(error.kind(), Kind::dataCorrupted);
    EXPECT_EQ(error.codingPath(), (CodingPath{"meta", "clipType"}));

    error = failure(R"({"markers":[{"text":"a","type":"todo"},{"text":"b","type":"Todo"}]})");
    EXPECT_EQ(error.kind(), Kind::dataCorrupted);
    EXPECT_EQ(error.codingPath(), (CodingPath{"meta", "markers", "Index 1", "type"}));

    error = failure(R"({"activeRoleClips":{"Music":{"roleName":"Music"}}})");
    EXPECT_EQ(error.kind(), Kind::keyNotFound);
    EXPECT_EQ(error.codingPath(), (CodingPath{"meta", "activeRoleClips", "Music"}));

    EXPECT_EQ(failure(R"({"activeRoleClips":[]})").kind(), Kind::typeMismatch);
    EXPECT_EQ(failure(R"({"audioRoles":["a",1]})").codingPath(), (CodingPath{"meta", "audioRoles", "Index 1"}));
    EXPECT_EQ(failure(R"({"stackedLayers":[{}]})").kind(), Kind::keyNotFound);
    EXPECT_EQ(failure(R"({"isReversed":1})").kind(), Kind::typeMismatch);
    EXPECT_EQ(failure(R"({"sourceFrameNumber":1.5})").kind(), Kind::dataCorrupted);
}

TEST(LibraryModelMetadata, NonFiniteNumbersCannotBeEncoded) {
    FCPMetadata m = FCPMetadata::empty();
    m.frameRate = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(encode(m), platform::EncodingError);

    m = FCPMetadata::empty();
    m.rotation = std::numeric_limits<double>::infinity();
    try {
        encode(m, {"meta"});
        ADD_FAILURE() << "encoded an infinite rotation";
    } catch (const platform::EncodingError& error) {
        EXPECT_EQ(error.codingPath(), (CodingPath{"meta", "rotation"}));
    }

    m = FCPMetadata::empty();
    m.stackedLayers = std::vector<StackedLayerInfo>{
        StackedLayerInfo{.videoLaneNumber = 1, .layerTimelineStart = std::numeric_limits<double>::quiet_NaN()}};
    try {
        encode(m);
        ADD_FAILURE() << "encoded a NaN layer start";
    } catch (const platform::EncodingError& error) {
        EXPECT_EQ(error.codingPath(), (CodingPath{"stackedLayers", "Index 0", "layerTimelineStart"}));
    }
}

TEST(LibraryModelRecords, MarkerInfoWritesNoKeyForAnAbsentChapterNote) {
    const JSON plain = reparsed(encode(MarkerInfo{"Fix the grade", MarkerType::todo, std::nullopt}));
    EXPECT_EQ(platform::serializeJSON(plain), R"({"text":"Fix the grade","type":"todo"})");
    const JSON noted = reparsed(encode(MarkerInfo{"Act 2", MarkerType::chapter, "Poster frame"}));
    EXPECT_EQ(keysOf(noted), (std::vector<std::string>{"text", "type", "chapterNote"}));
    EXPECT_EQ(decodeMarkerInfo(noted).chapterNote, "Poster frame");

    EXPECT_EQ(thrownBy<DecodingError>([] { decodeMarkerInfo(platform::parseJSON(R"({"text":"a"})")); }).kind(),
              Kind::keyNotFound);
    EXPECT_EQ(thrownBy<DecodingError>([] { decodeMarkerInfo(platform::parseJSON(R"({"type":"todo"})")); }).kind(),
              Kind::keyNotFound);
    EXPECT_EQ(
        thrownBy<DecodingError>([] { decodeMarkerInfo(platform::parseJSON(R"({"text":"a","type":null})")); }).kind(),
        Kind::valueNotFound);
}

TEST(LibraryModelRecords, StackedLayerNeedsOnlyItsLane) {
    const StackedLayerInfo bare = decodeStackedLayerInfo(platform::parseJSON(R"({"videoLaneNumber":3})"));
    EXPECT_EQ(bare.videoLaneNumber, 3);
    EXPECT_FALSE(bare.reelName || bare.sourceFrameNumber || bare.layerTimelineStart || bare.sourceFpsNum ||
                 bare.sourceRateString);
    EXPECT_EQ(platform::serializeJSON(encode(bare)), R"({"videoLaneNumber":3})");

    const JSON full = reparsed(encode(fullLayer()));
    EXPECT_EQ(keysOf(full),
              (std::vector<std::string>{"videoLaneNumber", "reelName", "sceneShot", "sourceFileName", "sourceTimecode",
                                        "sourceFrameNumber", "layerTimelineStart", "correctedSourceStart",
                                        "sourceFpsNum", "sourceFpsDen", "sourceRateString"}));
    const StackedLayerInfo layer = decodeStackedLayerInfo(full);
    EXPECT_EQ(layer.videoLaneNumber, 2);
    EXPECT_EQ(layer.reelName, "R7");
    EXPECT_EQ(layer.sceneShot, "12/3");
    EXPECT_EQ(layer.sourceFileName, "A001.mov");
    EXPECT_EQ(layer.sourceTimecode, "01:00:00:00");
    EXPECT_EQ(layer.sourceFrameNumber, 86'400);
    EXPECT_EQ(layer.layerTimelineStart, 3.5);
    EXPECT_EQ(layer.correctedSourceStart, 1.25);
    EXPECT_EQ(layer.sourceFpsNum, 24'000);
    EXPECT_EQ(layer.sourceFpsDen, 1'001);
    EXPECT_EQ(layer.sourceRateString, "23.976");

    EXPECT_EQ(
        thrownBy<DecodingError>([] { decodeStackedLayerInfo(platform::parseJSON(R"({"reelName":"R"})")); }).kind(),
        Kind::keyNotFound);
    EXPECT_EQ(thrownBy<DecodingError>([] {
                  decodeStackedLayerInfo(platform::parseJSON(R"({"videoLaneNumber":1.5})"));
              }).kind(),
              Kind::dataCorrupted);
}

TEST(LibraryModelRecords, ActiveRoleClipNeedsBothKeys) {
    const ActiveRoleClip clip = decodeActiveRoleClip(reparsed(encode(ActiveRoleClip("Music", "m.aif"))));
    EXPECT_EQ(clip.roleName(), "Music");
    EXPECT_EQ(clip.mediaFilename(), "m.aif");
    EXPECT_EQ(thrownBy<DecodingError>([] { decodeActiveRoleClip(platform::parseJSON(R"({"roleName":"M"})")); }).kind(),
              Kind::keyNotFound);
    EXPECT_EQ(
        thrownBy<DecodingError>([] { decodeActiveRoleClip(platform::parseJSON(R"({"mediaFilename":"m"})")); }).kind(),
        Kind::keyNotFound);
}

TEST(LibraryModelRecords, BrimlockQueryKeysAndRequiredMembers) {
    EXPECT_EQ(platform::serializeJSON(encode(BrimlockQuery(240, 24.0, std::nullopt))),
              R"({"timelinePosition":240,"projectRate":24.0})");
    const BrimlockQuery named = decodeBrimlockQuery(reparsed(encode(BrimlockQuery(-3, 29.97, "Cut 2"))));
    EXPECT_EQ(named.timelinePosition(), -3);
    EXPECT_EQ(named.projectRate(), 29.97);
    EXPECT_EQ(named.projectName(), "Cut 2");
    EXPECT_EQ(thrownBy<DecodingError>([] { decodeBrimlockQuery(platform::parseJSON(R"({"projectRate":24})")); }).kind(),
              Kind::keyNotFound);
    EXPECT_EQ(
        thrownBy<DecodingError>([] { decodeBrimlockQuery(platform::parseJSON(R"({"timelinePosition":1})")); }).kind(),
        Kind::keyNotFound);
    EXPECT_EQ(thrownBy<DecodingError>([] {
                  decodeBrimlockQuery(platform::parseJSON(R"({"timelinePosition":1.5,"projectRate":24})"));
              }).kind(),
              Kind::dataCorrupted);
    EXPECT_THROW(encode(BrimlockQuery(0, std::numeric_limits<double>::infinity(), std::nullopt)),
                 platform::EncodingError);
}
