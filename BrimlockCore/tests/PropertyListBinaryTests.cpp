#include "BrimlockCore/PropertyList/PropertyListReader.h"

#include "PropertyListTestSupport.h"

#include "testing/Thrown.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

using namespace brimlock;
using plisttest::BinaryPlistWriter;
using plisttest::Bytes;
using Kind = PropertyListKind;

namespace {

// The message of the PropertyListError that parsing throws, or a test failure.
std::string failureOf(const Bytes& bytes) {
    return quillo::testing::thrownBy<PropertyListError>([&] { PropertyListReader::parse(bytes); }).what();
}
// A top-level array holding `elements`.
Bytes arrayOf(BinaryPlistWriter& writer, std::vector<std::uint64_t> elements,
              const BinaryPlistWriter::Layout& layout = BinaryPlistWriter::Layout{}) {
    const auto top = writer.array(std::move(elements));
    return writer.write(top, layout);
}

}  // namespace

TEST(BinaryPropertyList, DecodesEveryKind) {
    BinaryPlistWriter w;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> pairs;
    auto add = [&](std::string_view key, std::uint64_t object) { pairs.emplace_back(w.string(key), object); };
    add("ascii", w.string("Hello"));
    add("long", w.string("a string longer than fifteen bytes"));
    add("utf16", w.utf16(u"Gr\u00fc\u00dfe \U0001F3AC"));
    add("lone surrogate", w.utf16(std::u16string(u"a") + char16_t{0xD800} + u"b"));
    add("utf8 in ascii", w.raw({0x53, 0xC3, 0xA9, 0xFF}));  // "é", then a stray byte
    add("negative", w.integer(-42));
    add("one byte", w.raw({0x10, 0xC8}));                      // 200: short integers are unsigned
    add("four bytes", w.raw({0x12, 0xFF, 0xFF, 0xFF, 0xFF}));  // 4294967295
    add("unsigned 64", w.integer128(0, 0x8000000000000005));
    add("negative 128", w.integer128(~std::uint64_t{0}, 0xFFFFFFFFFFFFFFFE));
    add("real", w.real(-0.1));
    add("float", w.raw({0x22, 0x3F, 0xC0, 0x00, 0x00}));  // 1.5f
    add("date", w.date(700000000.5));
    add("yes", w.boolean(true));
    add("no", w.boolean(false));
    add("data", w.data(Bytes(20, 0xAB)));
    add("uid", w.uid(70000));
    add("array", w.array({w.integer(1), w.string("two")}));
    const auto value = PropertyListReader::parse(w.write(w.dictionary(pairs)));

    ASSERT_EQ(value.kind(), Kind::dictionary);
    ASSERT_EQ(value.size(), pairs.size());
    EXPECT_EQ(value.keyAt(0), "ascii");
    EXPECT_EQ(value.keyAt(pairs.size() - 1), "array");
    EXPECT_EQ(value.find("ascii")->string(), "Hello");
    EXPECT_EQ(value.find("long")->string(), "a string longer than fifteen bytes");
    EXPECT_EQ(value.find("utf16")->string(), "Gr\u00fc\u00dfe \U0001F3AC");
    EXPECT_EQ(value.find("lone surrogate")->string(), "a\uFFFDb");
    EXPECT_EQ(value.find("utf8 in ascii")->string(), "\u00e9\uFFFD");
    EXPECT_EQ(value.find("negative")->integer(), -42);
    EXPECT_FALSE(value.find("negative")->unsignedInteger());
    EXPECT_EQ(value.find("one byte")->integer(), 200);
    EXPECT_EQ(value.find("four bytes")->integer(), 4294967295);
    EXPECT_FALSE(value.find("unsigned 64")->integer());
    EXPECT_EQ(value.find("unsigned 64")->unsignedInteger(), 0x8000000000000005u);
    EXPECT_EQ(value.find("negative 128")->integer(), -2);
    EXPECT_EQ(value.find("real")->real(), -0.1);
    EXPECT_EQ(value.find("float")->real(), 1.5);
    EXPECT_EQ(value.find("date")->date(), 700000000.5);
    EXPECT_EQ(value.find("yes")->boolean(), true);
    EXPECT_EQ(value.find("no")->boolean(), false);
    const auto data = value.find("data")->data();
    ASSERT_TRUE(data);
    EXPECT_EQ(Bytes(data->begin(), data->end()), Bytes(20, 0xAB));
    EXPECT_EQ(value.find("uid")->uid(), 70000u);
    const auto array = *value.find("array");
    ASSERT_EQ(array.size(), 2u);
    EXPECT_EQ(array[0].integer(), 1);
    EXPECT_EQ(array[1].string(), "two");

    // Accessors of another kind answer nothing.
    EXPECT_FALSE(value.find("ascii")->integer());
    EXPECT_FALSE(value.find("negative")->string());
    EXPECT_FALSE(value.find("real")->date());
    EXPECT_FALSE(value.find("date")->real());
    EXPECT_FALSE(value.find("uid")->integer());
    EXPECT_FALSE(value.find("yes")->integer());
    EXPECT_EQ(value.find("ascii")->size(), 0u);
    EXPECT_FALSE(array.find("ascii"));
    EXPECT_FALSE(value.find("absent"));
}

TEST(BinaryPropertyList, DictionariesKeepOrderAndTheLaterOfTwoEqualKeys) {
    BinaryPlistWriter w;
    const auto key = w.string("k");
    const auto top = w.dictionary(
        {{w.string("z"), w.integer(0)}, {key, w.integer(1)}, {w.string("a"), w.integer(2)}, {key, w.integer(3)}});
    const auto value = PropertyListReader::parse(w.write(top));
    ASSERT_EQ(value.size(), 4u);
    EXPECT_EQ(value.keyAt(0), "z");
    EXPECT_EQ(value.keyAt(2), "a");
    EXPECT_EQ(value.find("k")->integer(), 3);
    std::vector<std::int64_t> values;
    for (const auto element : value) values.push_back(*element.integer());
    EXPECT_EQ(values, (std::vector<std::int64_t>{0, 1, 2, 3}));
}

TEST(BinaryPropertyList, RefusesNonStringKeysAndOutOfRangeIntegers) {
    BinaryPlistWriter keys;
    EXPECT_NE(failureOf(keys.write(keys.dictionary({{keys.integer(1), keys.integer(2)}}))).find("key is not a string"),
              std::string::npos);
    BinaryPlistWriter big;
    EXPECT_NE(failureOf(arrayOf(big, {big.integer128(1, 0)})).find("64-bit range"), std::string::npos);
    BinaryPlistWriter small;
    EXPECT_NE(failureOf(arrayOf(small, {small.integer128(~std::uint64_t{0}, 5)})).find("64-bit range"),
              std::string::npos);
}

TEST(BinaryPropertyList, SharedObjectsAreDecodedOnceAndShared) {
    // 40 arrays, each holding the previous one twice: 2^40 paths through fewer than 250 bytes.
    BinaryPlistWriter w;
    auto previous = w.string("leaf");
    for (int level = 0; level < 40; ++level) previous = w.array({previous, previous});
    const Bytes bytes = w.write(previous);
    ASSERT_LT(bytes.size(), 250u);

    auto value = PropertyListReader::parse(bytes);
    for (int level = 0; level < 40; ++level) {
        ASSERT_EQ(value.size(), 2u);
        EXPECT_TRUE(value[0].isSameObject(value[1]));
        value = value[1];
    }
    EXPECT_EQ(value.string(), "leaf");
}

TEST(BinaryPropertyList, NestingIsCappedAlongEveryPath) {
    auto nested = [](int depth) {
        BinaryPlistWriter w;
        auto inner = w.string("x");
        for (int level = 0; level < depth; ++level) inner = w.array({inner});
        return w.write(inner);
    };
    EXPECT_NO_THROW(PropertyListReader::parse(nested(PropertyListReader::kMaximumDepth)));
    EXPECT_NE(failureOf(nested(PropertyListReader::kMaximumDepth + 1)).find("nesting too deep"), std::string::npos);
    EXPECT_NE(failureOf(nested(100'000)).find("nesting too deep"), std::string::npos);

    // Two chains of 100 arrays, each within the cap when first decoded; the second ends in the
    // first, which makes one path 200 deep.
    BinaryPlistWriter w;
    auto first = w.string("x");
    for (int level = 0; level < 100; ++level) first = w.array({first});
    auto second = first;
    for (int level = 0; level < 100; ++level) second = w.array({second});
    EXPECT_NE(failureOf(arrayOf(w, {first, second})).find("nesting too deep"), std::string::npos);
}

TEST(BinaryPropertyList, CyclesFail) {
    BinaryPlistWriter self;
    self.array({0});
    EXPECT_NE(failureOf(self.write(0)).find("cycle"), std::string::npos);

    BinaryPlistWriter pair;
    pair.array({1});
    pair.dictionary({{2, 0}});
    pair.string("key");
    EXPECT_NE(failureOf(pair.write(0)).find("cycle"), std::string::npos);
}

struct Malformed {
    const char* name;
    std::function<Bytes()> bytes;
    const char* message;
};

class BinaryPropertyListMalformed : public testing::TestWithParam<Malformed> {};

TEST_P(BinaryPropertyListMalformed, FailsWithAClearMessage) {
    const std::string message = failureOf(GetParam().bytes());
    EXPECT_NE(message.find(GetParam().message), std::string::npos) << message;
}

namespace {

// A top-level array of one string, with the given layout.
Bytes simple(BinaryPlistWriter::Layout layout) {
    BinaryPlistWriter w;
    return arrayOf(w, {w.string("ok")}, layout);
}

// A top-level array of the given raw object, which is the last before the offset table.
Bytes holding(Bytes object) {
    BinaryPlistWriter w;
    const auto top = w.array({1});
    w.raw(std::move(object));
    return w.write(top);
}

Bytes withTrailerByte(std::size_t fromEnd, std::uint8_t value) {
    Bytes bytes = simple({});
    bytes[bytes.size() - fromEnd] = value;
    return bytes;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Layouts, BinaryPropertyListMalformed,
    testing::Values(
        Malformed{"HeaderOnly", [] { return plisttest::bytesOf("bplist00"); }, "too short"},
        Malformed{"OtherVersion",
                  [] {
                      Bytes bytes = simple({});
                      bytes[7] = '1';
                      return bytes;
                  },
                  "unsupported version"},
        Malformed{"TruncatedTrailer", [] { return simple({.truncateBy = 1}); }, "Malformed binary property list"},
        Malformed{"OffsetSizeZero", [] { return withTrailerByte(26, 0); }, "bad offset size"},
        Malformed{"OffsetSizeNine", [] { return withTrailerByte(26, 9); }, "bad offset size"},
        Malformed{"ReferenceSizeZero", [] { return withTrailerByte(25, 0); }, "bad reference size"},
        Malformed{"ReferenceSizeNine", [] { return withTrailerByte(25, 9); }, "bad reference size"},
        Malformed{"NoObjects", [] { return simple({.objectCount = 0}); }, "bad object count"},
        Malformed{"TopBeyondObjects", [] { return simple({.topObject = 2}); }, "bad object count or top object"},
        Malformed{"HugeObjectCount", [] { return simple({.objectCount = std::uint64_t{1} << 62}); },
                  "references too narrow"},
        Malformed{"HugeObjectCountWideReferences",
                  [] { return simple({.referenceSize = 8, .objectCount = std::uint64_t{1} << 62}); },
                  "object count exceeds"},
        Malformed{"TableOverrunsTrailer", [] { return simple({.objectCount = 10}); }, "offset table overruns"},
        Malformed{"TableInHeader", [] { return simple({.tableOffset = 4}); }, "offset table out of range"},
        Malformed{"TableBeyondData", [] { return simple({.tableOffset = ~std::uint64_t{0}}); },
                  "offset table out of range"},
        Malformed{"OffsetIntoHeader", [] { return simple({.overrideOffset = 3}); }, "object offset out of range"},
        Malformed{"OffsetIntoTable", [] { return simple({.overrideOffset = 14, .overriddenObject = 1}); },
                  "object offset out of range"},
        Malformed{"NarrowReferences",
                  [] {
                      BinaryPlistWriter w;
                      std::vector<std::uint64_t> elements;
                      for (int i = 0; i < 300; ++i) elements.push_back(w.boolean(true));
                      return arrayOf(w, elements, {.referenceSize = 1});
                  },
                  "references too narrow"},
        Malformed{"ReferenceOutOfRange",
                  [] {
                      BinaryPlistWriter w;
                      return arrayOf(w, {99});
                  },
                  "reference out of range"},
        Malformed{"StringOverrunsObjects",
                  [] {
                      return holding({0x5A, 'a', 'b'});
                  },
                  "overruns the object area"},
        Malformed{"HugeDataCount",
                  [] {
                      return holding({0x4F, 0x13, 0x10, 0, 0, 0, 0, 0, 0, 0});
                  },
                  "count exceeds"},
        Malformed{"HugeUTF16Count",
                  [] {
                      return holding({0x6F, 0x13, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
                  },
                  "count exceeds"},
        Malformed{"HugeArrayCount",
                  [] {
                      return holding({0xAF, 0x12, 0x7F, 0xFF, 0xFF, 0xFF});
                  },
                  "count exceeds"},
        Malformed{"HugeDictionaryCount",
                  [] {
                      return holding({0xDF, 0x12, 0x7F, 0xFF, 0xFF, 0xFF});
                  },
                  "count exceeds"},
        Malformed{"ArrayOverrunsObjects",
                  [] {
                      return holding({0xAE, 0, 0, 0});
                  },
                  "overruns"},
        Malformed{"DictionaryOverrunsObjects",
                  [] {
                      return holding({0xD3, 0, 0, 0, 0, 0});
                  },
                  "overruns"},
        Malformed{"CountNotAnInteger",
                  [] {
                      return holding({0x5F, 0x23, 0, 0, 0, 0, 0, 0, 0, 0});
                  },
                  "bad extended count"},
        Malformed{"CountTruncated", [] { return holding({0x5F}); }, "overruns"},
        Malformed{"IntegerTooWide",
                  [] {
                      return holding({0x15, 0});
                  },
                  "bad integer width"},
        Malformed{"IntegerTruncated",
                  [] {
                      return holding({0x13, 0, 0});
                  },
                  "overruns"},
        Malformed{"RealOfOneByte",
                  [] {
                      return holding({0x20, 0});
                  },
                  "bad real width"},
        Malformed{"DateOfFourBytes",
                  [] {
                      return holding({0x32, 0, 0, 0, 0});
                  },
                  "bad date width"},
        Malformed{"UIDOfNineBytes",
                  [] {
                      return holding({0x88, 1, 2, 3, 4, 5, 6, 7, 8, 9});
                  },
                  "bad UID width"},
        Malformed{"Null", [] { return holding({0x00}); }, "unsupported object type"},
        Malformed{"Fill", [] { return holding({0x0F}); }, "unsupported object type"},
        Malformed{"Set", [] { return holding({0xC0}); }, "unsupported object type"},
        Malformed{"OrderedSet", [] { return holding({0xB0}); }, "unsupported object type"},
        Malformed{"TypeSeven",
                  [] {
                      return holding({0x71, 'a'});
                  },
                  "unsupported object type"}),
    [](const testing::TestParamInfo<Malformed>& malformed) { return std::string(malformed.param.name); });

TEST(BinaryPropertyList, OverlappingObjectsAreReadWhereTheyStart) {
    // Object 1's offset points inside object 0's bytes, at a one-character string.
    BinaryPlistWriter w;
    w.data({0x51, 'z'});
    w.boolean(true);
    const auto top = w.array({0, 1});
    const auto value = PropertyListReader::parse(w.write(top, {.overrideOffset = 9, .overriddenObject = 1}));
    EXPECT_EQ(value[0].data()->size(), 2u);
    EXPECT_EQ(value[1].string(), "z");
}

TEST(BinaryPropertyList, WideOffsetsAndReferencesAreRead) {
    BinaryPlistWriter w;
    const auto top = w.array({w.string("a"), w.integer(std::numeric_limits<std::int64_t>::min())});
    const auto value = PropertyListReader::parse(w.write(top, {.referenceSize = 8, .offsetSize = 8}));
    EXPECT_EQ(value[0].string(), "a");
    EXPECT_EQ(value[1].integer(), std::numeric_limits<std::int64_t>::min());
}
