#include "Platform/Foundation/Coding.h"

#include "testing/Thrown.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using quillo::testing::thrownBy;
using namespace platform;
using Kind = DecodingError::Kind;

TEST(Coding, RequiredMembersReportKindAndPath) {
    const JSON document = parseJSON(R"({"name":"x","missing":null,"count":"7","inner":{"a":1}})");
    const KeyedDecoder root(document, {"root"});

    EXPECT_EQ(root.decodeString("name"), "x");

    auto error = thrownBy<DecodingError>([&] { root.decodeString("absent"); });
    EXPECT_EQ(error.kind(), Kind::keyNotFound);
    EXPECT_EQ(error.codingPath(), CodingPath{"root"});

    error = thrownBy<DecodingError>([&] { root.decodeString("missing"); });
    EXPECT_EQ(error.kind(), Kind::valueNotFound);
    EXPECT_EQ(error.codingPath(), (CodingPath{"root", "missing"}));

    error = thrownBy<DecodingError>([&] { root.decodeDouble("count"); });
    EXPECT_EQ(error.kind(), Kind::typeMismatch);
    EXPECT_EQ(error.expectedType(), "Double");
    EXPECT_EQ(error.codingPath(), (CodingPath{"root", "count"}));

    error = thrownBy<DecodingError>([&] { root.nestedDecoder("inner").decodeBool("a"); });
    EXPECT_EQ(error.codingPath(), (CodingPath{"root", "inner", "a"}));
}

TEST(Coding, OptionalMembersTakeMissingAndNullAsAbsentButNotWrongTypes) {
    const JSON document = parseJSON(R"({"n":null,"s":5})");
    const KeyedDecoder root(document, {});
    EXPECT_FALSE(root.decodeStringIfPresent("n"));
    EXPECT_FALSE(root.decodeStringIfPresent("gone"));
    EXPECT_EQ(thrownBy<DecodingError>([&] { root.decodeStringIfPresent("s"); }).kind(), Kind::typeMismatch);
}

TEST(Coding, NumbersReadAsDoubleFromAnyJSONNumber) {
    const JSON document = parseJSON(R"({"i":24,"f":0.1,"big":18446744073709551615})");
    const KeyedDecoder root(document, {});
    EXPECT_EQ(root.decodeDouble("i"), 24.0);
    EXPECT_EQ(root.decodeDouble("f"), 0.1);
    EXPECT_EQ(root.decodeDouble("big"), 18446744073709551615.0);
    EXPECT_EQ(thrownBy<DecodingError>([&] { root.decodeInt64("big"); }).kind(), Kind::dataCorrupted);
    EXPECT_EQ(thrownBy<DecodingError>([&] { root.decodeInt64("f"); }).kind(), Kind::dataCorrupted);
    EXPECT_EQ(root.decodeInt64("i"), 24);
}

TEST(Coding, MalformedDocumentsAreDataCorrupted) {
    for (const std::string& text : {std::string("{"), std::string("{\"a\":\"\xFF\"}"), std::string(""),
                                    std::string("{} trailing"), std::string("[1e400]")}) {
        const auto error = thrownBy<DecodingError>([&] { parseJSON(text); });
        EXPECT_EQ(error.kind(), Kind::dataCorrupted) << text;
        EXPECT_TRUE(error.codingPath().empty());
    }
    EXPECT_EQ(thrownBy<DecodingError>([] { KeyedDecoder(JSON::array(), {}); }).kind(), Kind::typeMismatch);
}

TEST(Coding, SerializationIsCompactAndEscapesLineFeeds) {
    JSON value;
    value["text"] = "two\nlines";
    value["n"] = 0.1;
    const std::string text = serializeJSON(value);
    EXPECT_EQ(text, R"({"text":"two\nlines","n":0.1})");
    EXPECT_EQ(text.find('\n'), std::string::npos);
    EXPECT_EQ(parseJSON(text)["n"].get<double>(), 0.1);
}

TEST(Coding, NonFiniteNumbersCannotBeWritten) {
    EXPECT_EQ(requireFinite(1.5, {}), 1.5);
    EXPECT_THROW(requireFinite(std::numeric_limits<double>::quiet_NaN(), {"x"}), EncodingError);
    EXPECT_THROW(requireFinite(-std::numeric_limits<double>::infinity(), {"x"}), EncodingError);
}
