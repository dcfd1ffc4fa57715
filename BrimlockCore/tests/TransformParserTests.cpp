#include "BrimlockCore/Effects/TransformParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace TransformParser = brimlock::TransformParser;
using TransformParser::TransformValues;

namespace {

std::optional<TransformValues> parseData(std::string_view document) {
    return TransformParser::parse(
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(document.data()), document.size()));
}

// Nested "parameter" elements named by `path` ("Transform/Position/X"), holding one curve.
std::string curveAt(const std::string& path, const std::string& curveAttributes) {
    std::string open, close;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t cut = std::min(path.find('/', start), path.size());
        open += "<parameter name=\"" + path.substr(start, cut - start) + "\" id=\"" + std::to_string(start) + "\">";
        close += "</parameter>";
        start = cut + 1;
    }
    return open + "<curve type=\"1\" " + curveAttributes + "/>" + close;
}

std::string scene(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<scene><layer>" + body + "</layer></scene>";
}

TransformValues parsed(const std::string& body) {
    const auto values = TransformParser::parse(scene(body));
    EXPECT_TRUE(values.has_value());
    return values.value_or(TransformValues{});
}

// The fields in declaration order, to compare whole records.
std::vector<double> fields(const TransformValues& v) {
    return {v.positionX, v.positionY, v.positionZ, v.scaleX, v.scaleY, v.rotation, v.anchorX, v.anchorY};
}

}  // namespace

TEST(TransformParserTest, ParameterPathsSelectTheField) {
    struct Case {
        std::string path;
        std::size_t field;  // index into fields(); npos for none
    };
    const std::size_t none = std::string::npos;
    const std::vector<Case> cases{
        {"Transform/Position/X", 0},
        {"Transform/Position/Y", 1},
        {"Transform/Position/Z", 2},
        {"Transform/Scale/Scale X", 3},
        {"Transform/Scale/Scale Y", 4},
        {"Transform/Rotation/Z", 5},
        {"Transform/Rotation", 5},
        {"Transform/Anchor/X", 6},
        {"Transform/Anchor/Y", 7},
        // Suffixes need no separator before them.
        {"Layer/MyPosition/X", 0},
        {"Scale X", 3},
        {"Crop/Scale Y", 4},
        {"XAnchor/Y", 7},
        // Only these: the exact rotation path, case-sensitive names, whole last names.
        {"Transform/Rotation/Y", none},
        {"Layer/Transform/Rotation", none},
        {"Rotation", none},
        {"Transform/position/X", none},
        {"Transform/Position/X/Curve", none},
        {"Transform/Position", none},
        {"Transform/Opacity", none},
    };
    for (const Case& c : cases) {
        const TransformValues values = parsed(curveAt(c.path, "value=\"7.25\""));
        std::vector<double> expected = fields(TransformValues{});
        if (c.field != none) expected[c.field] = 7.25;
        EXPECT_EQ(fields(values), expected) << c.path;
        EXPECT_EQ(values.isModified(), c.field != none) << c.path;
    }
}

TEST(TransformParserTest, DefaultCountsOnlyWhenThereIsNoValueAttribute) {
    EXPECT_EQ(parsed(curveAt("Transform/Position/X", "default=\"2\"")).positionX, 2.0);
    EXPECT_EQ(parsed(curveAt("Transform/Position/X", "value=\"x\" default=\"2\"")).positionX, 0.0);
    EXPECT_EQ(parsed(curveAt("Transform/Position/X", "value=\"3\" default=\"2\"")).positionX, 3.0);
    EXPECT_EQ(parsed(curveAt("Transform/Position/X", "default=\"x\"")).positionX, 0.0);
    EXPECT_EQ(parsed(curveAt("Transform/Position/X", "")).positionX, 0.0);
}

TEST(TransformParserTest, OnlyFiniteNumbersAreApplied) {
    for (const std::string bad : {"inf", "-inf", "nan", "1e400", "", " 1", "1px", "0x"}) {
        EXPECT_EQ(parsed(curveAt("Transform/Scale/Scale X", "value=\"" + bad + "\"")).scaleX, 1.0) << bad;
        EXPECT_EQ(parsed(curveAt("Transform/Scale/Scale X", "default=\"" + bad + "\"")).scaleX, 1.0) << bad;
    }
    EXPECT_EQ(parsed(curveAt("Transform/Rotation", "value=\"-1.5e1\"")).rotation, -15.0);
}

TEST(TransformParserTest, ALaterCurveForTheSameFieldWins) {
    const TransformValues values =
        parsed(curveAt("Transform/Position/X", "value=\"1\"") + curveAt("Position/X", "value=\"2\"") +
               "<parameter name=\"Transform\"><parameter name=\"Position\"><parameter name=\"Y\">"
               "<curve value=\"3\"/><curve value=\"4\"/></parameter></parameter></parameter>");
    EXPECT_EQ(values.positionX, 2.0);
    EXPECT_EQ(values.positionY, 4.0);
}

TEST(TransformParserTest, AParameterWithoutANameLeavesThePathInPlace) {
    const TransformValues values = parsed(
        "<parameter name=\"Transform\"><parameter name=\"Position\">"
        "<parameter><curve value=\"9\"/></parameter>"
        "<parameter name=\"X\"><curve value=\"5\"/></parameter>"
        "</parameter></parameter>");
    EXPECT_EQ(values.positionX, 5.0);
    EXPECT_EQ(fields(values), (std::vector<double>{5, 0, 0, 1, 1, 0, 0, 0}));
}

TEST(TransformParserTest, IsModifiedComparesEveryFieldWithItsDefault) {
    EXPECT_FALSE(TransformValues{}.isModified());
    for (std::size_t field = 0; field < 8; ++field) {
        TransformValues values;
        double* members[] = {&values.positionX, &values.positionY, &values.positionZ, &values.scaleX,
                             &values.scaleY,    &values.rotation,  &values.anchorX,   &values.anchorY};
        *members[field] += 1e-9;
        EXPECT_TRUE(values.isModified()) << field;
    }
    EXPECT_FALSE(
        parsed(curveAt("Transform/Scale/Scale X", "value=\"1\"") + curveAt("Transform/Position/X", "value=\"-0\""))
            .isModified());
}

TEST(TransformParserTest, ScalePercentageRoundsTheMeanHalfAwayFromZero) {
    const auto percentage = [](double x, double y) {
        TransformValues values;
        values.scaleX = x;
        values.scaleY = y;
        return values.scalePercentage();
    };
    EXPECT_EQ(TransformValues{}.scalePercentage(), "100%");
    EXPECT_EQ(percentage(1.0, 0.5), "75%");
    EXPECT_EQ(percentage(0.125, 0.125), "13%");
    EXPECT_EQ(percentage(-0.125, -0.125), "-13%");
    EXPECT_EQ(percentage(0.124, 0.124), "12%");
    EXPECT_EQ(percentage(-0.001, 0), "0%");
    EXPECT_EQ(percentage(0, 0), "0%");
    EXPECT_EQ(percentage(2.5, 1.5), "200%");
    // Beyond the 64-bit integer range it is still written out in full.
    EXPECT_EQ(percentage(1e20, 1e20), "10000000000000000000000%");
    EXPECT_EQ(parsed(curveAt("Scale X", "value=\"0.5\"") + curveAt("Scale Y", "value=\"0.25\"")).scalePercentage(),
              "38%");
}

TEST(TransformParserTest, ChannelDataAndTextReadTheSame) {
    const std::string document =
        scene(curveAt("Transform/Position/X", "value=\"12\"") + curveAt("Transform/Anchor/Y", "value=\"-3\""));
    const auto fromData = parseData(document);
    const auto fromText = TransformParser::parse(document);
    ASSERT_TRUE(fromData.has_value());
    ASSERT_TRUE(fromText.has_value());
    EXPECT_EQ(fields(*fromData), fields(*fromText));
    EXPECT_EQ(fromText->positionX, 12.0);
    EXPECT_EQ(fromText->anchorY, -3.0);
}

TEST(TransformParserTest, MalformedDocumentsKeepWhatWasReadBeforeTheError) {
    const auto values =
        TransformParser::parse("<scene>" + curveAt("Transform/Position/X", "value=\"4\"") + "<broken attr=></scene>" +
                               curveAt("Transform/Position/Y", "value=\"4\""));
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ(values->positionX, 4.0);
    EXPECT_EQ(values->positionY, 0.0);
    ASSERT_TRUE(TransformParser::parse("").has_value());
    EXPECT_FALSE(TransformParser::parse("not xml at all")->isModified());
}

TEST(TransformParserTest, TextThatIsNotUTF8OrDeclaresEntitiesGivesNothing) {
    const std::string body = curveAt("Transform/Position/X", "value=\"&v;\"");
    EXPECT_EQ(TransformParser::parse(scene(body) + "\xC3"), std::nullopt);
    EXPECT_EQ(parseData(scene(body) + "\xC3"), std::nullopt);
    const std::string declared = "<!DOCTYPE scene [<!ENTITY v \"5\">]><scene>" + body + "</scene>";
    EXPECT_EQ(TransformParser::parse(declared), std::nullopt);
    EXPECT_EQ(parseData(declared), std::nullopt);
    // Out of the textual guard's reach: refused by the parser itself.
    const std::string late = "<!--" + std::string(70'000, 'x') + "-->" + declared;
    EXPECT_EQ(TransformParser::parse(late), std::nullopt);
    EXPECT_EQ(parseData(late), std::nullopt);
}
