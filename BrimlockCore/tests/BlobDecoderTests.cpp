#include "BrimlockCore/PropertyList/BlobDecoder.h"
#include "BrimlockCore/PropertyList/DocumentArena.h"
#include "BrimlockCore/PropertyList/PropertyListReader.h"

#include "PropertyListTestSupport.h"

#include "testing/Thrown.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

using namespace brimlock;
using namespace plisttest;
using BlobDecoder::DecodedBlob;
using Kind = PropertyListKind;
using ErrorKind = BlobDecoderError::Kind;

namespace {

enum class Form { binary, xml };

Bytes encode(const Value& value, Form form) { return form == Form::binary ? toBinary(value) : toXML(value); }

class BlobDecoderForms : public testing::TestWithParam<Form> {
protected:
    Bytes write(const Value& value) const { return encode(value, GetParam()); }
    DecodedBlob decode(const Value& value) const { return BlobDecoder::decode(write(value)); }
    DecodedBlob decodeArchive(std::vector<Value> objects) const { return decode(keyedArchive(std::move(objects))); }

    BlobDecoderError failure(const Value& value) const {
        return quillo::testing::thrownBy<BlobDecoderError>([&] { decode(value); });
    }
};

std::string text(const PropertyListValue& value) { return std::string(value.string().value_or("<not a string>")); }

}  // namespace

TEST_P(BlobDecoderForms, ResolvesTheRootOneLevelDeep) {
    const auto blob = decodeArchive({
        "$null",
        archivedDictionary(refs({2, 3, 4, 5, 6, 7, 8}), refs({9, 10, 11, 12, 13, 15, 18}), 19),
        "name",
        "count",
        "rate",
        "flags",
        "nested",
        "list",
        "plain",
        "Clip 1",
        42,
        23.976,
        true,                                        // 9...12
        archivedDictionary(refs({14}), refs({15})),  // 13: an archived dictionary
        "inner key",                                 // 14
        archivedDictionary(refs({16}), refs({17})),  // 15: nested twice, left raw
        "deep",
        "value",                                   // 16, 17
        dict({{"a", 1}}),                          // 18: a plain dictionary
        dict({{"$classname", "FFAnchoredClip"}}),  // 19
    });
    EXPECT_EQ(blob.rootKeys(), (std::vector<std::string>{"name", "count", "rate", "flags", "nested", "list", "plain"}));
    ASSERT_EQ(blob.rootValues().size(), 7u);
    EXPECT_EQ(blob.objects().size(), 20u);
    EXPECT_EQ(blob.string("name"), "Clip 1");
    EXPECT_EQ(blob.integer("count"), 42);
    EXPECT_EQ(blob.doubleValue("rate"), 23.976);
    EXPECT_EQ(blob.boolValue("flags"), true);

    // One level: the archived dictionary maps to its objects, and a nested archived container
    // stays the raw dictionary of references it is.
    const auto nested = blob.dictionary("nested");
    ASSERT_TRUE(nested);
    ASSERT_EQ(nested->size(), 1u);
    EXPECT_EQ(nested->keyAt(0), "inner key");
    const auto raw = *nested->find("inner key");
    EXPECT_TRUE(raw.find("NS.keys"));
    EXPECT_TRUE(raw.find("NS.objects"));
    EXPECT_TRUE(raw.find("$class"));

    // "list" is an archived dictionary too: NS.keys decides before NS.objects.
    EXPECT_TRUE(blob.dictionary("list"));
    EXPECT_FALSE(blob.array("list"));
    EXPECT_EQ(blob.dictionary("plain")->find("a")->integer(), 1);

    const auto map = blob.keyValueMap();
    EXPECT_EQ(map.size(), 7u);
    EXPECT_EQ(text(map.at("name")), "Clip 1");
}

TEST_P(BlobDecoderForms, ResolvesArchivedArraysAndDropsWhatLeadsNowhere) {
    const auto blob = decodeArchive({
        "$null", archivedDictionary(refs({2, 3, 4, 6}), refs({5, 8, 9, 5})), "items", "pairs", "odd",  // 2...4
        archivedArray(Value::Array{Ref{7}, Ref{99}, "literal", 5}),                                    // 5
        7,        // 6: a number is no key
        "first",  // 7
        archivedDictionary(Value::Array{Ref{7}, Ref{99}, Ref{10}, "literal key", Ref{7}},
                           Value::Array{Ref{2}, Ref{2}, Ref{2}, Ref{3}, Ref{99}}),  // 8
        dict({{"NS.keys", "not an array"}, {"NS.objects", refs({2})}}),             // 9
        99,                                                                         // 10
    });
    EXPECT_EQ(blob.rootKeys(), (std::vector<std::string>{"items", "pairs", "odd"}));

    // Out-of-range references are dropped; literals stay as they are.
    const auto items = blob.array("items");
    ASSERT_TRUE(items);
    ASSERT_EQ(items->size(), 3u);
    EXPECT_EQ(text((*items)[0]), "first");
    EXPECT_EQ(text((*items)[1]), "literal");
    EXPECT_EQ((*items)[2].integer(), 5);
    std::vector<Kind> kinds;
    for (const auto element : *items) kinds.push_back(element.kind());
    EXPECT_EQ(kinds, (std::vector<Kind>{Kind::string, Kind::string, Kind::integer}));

    // Pairs whose key leads nowhere or to no string, or whose value leads nowhere, are dropped.
    const auto pairs = blob.dictionary("pairs");
    ASSERT_TRUE(pairs);
    ASSERT_EQ(pairs->size(), 2u);
    EXPECT_EQ(pairs->keyAt(0), "first");
    EXPECT_EQ(text(*pairs->find("first")), "items");
    EXPECT_EQ(text(*pairs->find("literal key")), "pairs");

    // "NS.keys" present but not an array: an empty map.
    ASSERT_TRUE(blob.dictionary("odd"));
    EXPECT_EQ(blob.dictionary("odd")->size(), 0u);
}

TEST_P(BlobDecoderForms, RootReferencesOutsideTheObjectsDropTheKeyOrGiveTheNullMarker) {
    // Five objects: a key reference of 5 is one past the end.
    const auto blob = decodeArchive({"$null", archivedDictionary(refs({5, 2, 3}), refs({3, 5, 0})), "far", "null"});
    EXPECT_EQ(blob.rootKeys(), (std::vector<std::string>{"far", "null"}));
    EXPECT_TRUE(blob.hasKey("far"));
    EXPECT_EQ(blob.value("far")->kind(), Kind::null);
    EXPECT_FALSE(blob.string("far"));
    EXPECT_FALSE(blob.dictionary("far"));
    // $objects[0] is a string like any other.
    EXPECT_EQ(blob.string("null"), "$null");
    EXPECT_FALSE(blob.hasKey("absent"));
}

TEST_P(BlobDecoderForms, PairsUpToTheShorterArrayAndLetTheLaterEqualKeyWin) {
    const auto blob = decodeArchive({"$null", archivedDictionary(refs({2, 3, 2}), refs({4, 5})), "a", "b", 1, 2});
    EXPECT_EQ(blob.rootKeys().size(), 2u);

    const auto twice =
        decodeArchive({"$null", archivedDictionary(refs({2, 3, 2}), refs({4, 5, 6})), "a", "b", 1, 2, 3});
    EXPECT_EQ(twice.rootKeys(), (std::vector<std::string>{"a", "b", "a"}));
    EXPECT_EQ(twice.integer("a"), 3);
    EXPECT_EQ(twice.keyValueMap().size(), 2u);
    EXPECT_EQ(twice.keyValueMap().at("a").integer(), 3);
}

TEST_P(BlobDecoderForms, TypedAccessorsConvertOnlyExactNumbers) {
    const auto blob = decodeArchive({
        "$null",
        archivedDictionary(refs({2, 3, 4, 5, 6, 7, 8, 9, 10, 11}), refs({12, 13, 14, 15, 16, 17, 18, 19, 20, 21})),
        "half",
        "two",
        "text",
        "one",
        "zero",
        "three",
        "large",
        "blob",
        "real one",
        "flag",
        2.5,
        2.0,
        "12",
        1,
        0,
        3,
        std::int64_t{9007199254740993},
        Bytes{1, 2, 3},
        1.0,
        false,
    });
    EXPECT_FALSE(blob.integer("half"));
    EXPECT_EQ(blob.integer("two"), 2);
    EXPECT_EQ(blob.doubleValue("half"), 2.5);
    EXPECT_FALSE(blob.integer("text"));
    EXPECT_FALSE(blob.doubleValue("text"));
    EXPECT_FALSE(blob.string("one"));
    EXPECT_EQ(blob.doubleValue("three"), 3.0);
    // 2^53 + 1 has no exact double.
    EXPECT_FALSE(blob.doubleValue("large"));
    EXPECT_EQ(blob.integer("large"), 9007199254740993);
    EXPECT_EQ(blob.boolValue("one"), true);
    EXPECT_EQ(blob.boolValue("zero"), false);
    EXPECT_EQ(blob.boolValue("real one"), true);
    EXPECT_FALSE(blob.boolValue("three"));
    EXPECT_FALSE(blob.boolValue("text"));
    EXPECT_EQ(blob.boolValue("flag"), false);
    EXPECT_EQ(blob.data("blob"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_FALSE(blob.data("text"));
    EXPECT_FALSE(blob.array("text"));
    EXPECT_FALSE(blob.dictionary("one"));
}

TEST_P(BlobDecoderForms, FailsOnWhatIsNoKeyedArchive) {
    auto expectFailure = [&](const Value& value, ErrorKind kind, const char* message) {
        const auto error = failure(value);
        EXPECT_EQ(error.kind(), kind);
        EXPECT_STREQ(error.what(), message);
    };
    expectFailure(array({1, 2}), ErrorKind::invalidPlist, "Blob is not a valid property list");
    expectFailure(dict({{"$top", 1}}), ErrorKind::missingObjects, "Blob missing $objects array");
    expectFailure(dict({{"$objects", "not an array"}}), ErrorKind::missingObjects, "Blob missing $objects array");
    expectFailure(keyedArchive({"$null"}), ErrorKind::emptyBlob, "Blob has no objects");
    expectFailure(keyedArchive({"$null", "root"}), ErrorKind::invalidRoot, "Root dictionary has invalid structure");
    expectFailure(keyedArchive({"$null", archivedArray(refs({0}))}), ErrorKind::invalidRoot,
                  "Root dictionary has invalid structure");
    expectFailure(keyedArchive({"$null", dict({{"NS.keys", Value::Array{}}, {"NS.objects", 1}})}),
                  ErrorKind::invalidRoot, "Root dictionary has invalid structure");
}

TEST_P(BlobDecoderForms, ListsIdentifiersDepthFirstEachObjectOnce) {
    const std::string a = "AAAAAAAA-0000-0000-0000-000000000001";
    const std::string b = "BBBBBBBB-0000-0000-0000-000000000002";
    const std::string c = "CCCCCCCC-0000-0000-0000-000000000003";
    const std::string d = "DDDDDDDD-0000-0000-0000-000000000004";
    const auto archive = keyedArchive({
        "$null",
        // The root's own NS.keys are not walked.
        archivedDictionary(refs({7}), refs({2, 3, 2, 8, 9, 99, 4})),
        archivedDictionary(refs({5}), refs({3, 6})),  // 2: its objects, then its keys
        a,                                            // 3
        d,                                            // 4
        c,                                            // 5
        b,                                            // 6
        "EEEEEEEE-0000-0000-0000-000000000005",       // 7: only a root key
        a,                                            // 8: the same text, another object
        archivedArray(refs({2, 9, 10, 11, 12})),      // 9: refers to itself and back to 2
        "FFFFFFFF-0000-0000-0000-00000000000",        // 10: 35 characters
        "GGGGGGGG-0000-0000-0000-0000-00000001",      // 11: 36 characters, 5 hyphens
        "HHHHHHHH-0000-0000-0000-0000000000012",      // 12: 37 characters
    });
    EXPECT_EQ(BlobDecoder::orderedChildIdentifiers(write(archive)), (std::vector<std::string>{a, b, c, a, d}));
}

TEST_P(BlobDecoderForms, IdentifiersCountCharactersNotBytes) {
    // 36 characters, 4 hyphens, one of them "e" with a combining acute accent (two scalars).
    const std::string accented = "e\u0301AAAAAAA-0000-0000-0000-000000000001";
    const auto archive = keyedArchive({"$null", archivedDictionary({}, refs({2})), accented});
    EXPECT_EQ(BlobDecoder::orderedChildIdentifiers(write(archive)), std::vector<std::string>{accented});
}

TEST_P(BlobDecoderForms, IdentifiersOfAMalformedBlobAreEmpty) {
    EXPECT_TRUE(BlobDecoder::orderedChildIdentifiers(write(array({1}))).empty());
    EXPECT_TRUE(BlobDecoder::orderedChildIdentifiers(write(keyedArchive({"$null"}))).empty());
    EXPECT_TRUE(BlobDecoder::orderedChildIdentifiers(write(keyedArchive({"$null", "root"}))).empty());
    EXPECT_TRUE(BlobDecoder::orderedChildIdentifiers(bytesOf("not a property list")).empty());
}

INSTANTIATE_TEST_SUITE_P(BothForms, BlobDecoderForms, testing::Values(Form::binary, Form::xml),
                         [](const testing::TestParamInfo<Form>& form) {
                             return std::string(form.param == Form::binary ? "Binary" : "XML");
                         });

TEST(BlobDecoder, ReferencesInEitherFormGiveTheirIndex) {
    BinaryPlistWriter w;
    const auto top = w.array({w.uid(7), w.integer(7), w.uid(~std::uint64_t{0} >> 1), w.uid(~std::uint64_t{0})});
    const auto binary = PropertyListReader::parse(w.write(top));
    EXPECT_EQ(BlobDecoder::uidIndex(binary[0]), 7);
    EXPECT_FALSE(BlobDecoder::uidIndex(binary[1]));
    EXPECT_EQ(BlobDecoder::uidIndex(binary[2]), std::numeric_limits<std::int64_t>::max());
    EXPECT_FALSE(BlobDecoder::uidIndex(binary[3]));

    const auto xml = PropertyListReader::parse(toXML(
        array({Ref{7}, dict({{"CF$UID", "7"}}), dict({{"CF$UID", 7.0}}), dict({{"CF$UID", -3}, {"other", 1}}), 7})));
    EXPECT_EQ(BlobDecoder::uidIndex(xml[0]), 7);
    EXPECT_FALSE(BlobDecoder::uidIndex(xml[1]));
    EXPECT_FALSE(BlobDecoder::uidIndex(xml[2]));
    EXPECT_EQ(BlobDecoder::uidIndex(xml[3]), -3);
    EXPECT_FALSE(BlobDecoder::uidIndex(xml[4]));

    // A negative index (XML form) leads outside "$objects"; a UID beyond int64_t is no reference
    // and stays the value it is.
    const auto negative =
        BlobDecoder::decode(toXML(keyedArchive({"$null", archivedDictionary(refs({2}), refs({-1})), "k"})));
    EXPECT_EQ(negative.value("k")->kind(), Kind::null);
    const auto huge = BlobDecoder::decode(toBinary(keyedArchive(
        {"$null", archivedDictionary(refs({2}), Value::Array{Ref{static_cast<std::int64_t>(~std::uint64_t{0})}}),
         "k"})));
    EXPECT_EQ(huge.value("k")->uid(), ~std::uint64_t{0});
}

TEST(BlobDecoder, DataThatIsNoPropertyListFailsWithTheParsersError) {
    EXPECT_THROW(BlobDecoder::decode(bytesOf("bplist00 and nothing")), PropertyListError);
    EXPECT_THROW(BlobDecoder::decode(bytesOf("<plist><dict>")), PropertyListError);
}

TEST(BlobDecoder, IdentifierWalkSharesArraysWithoutChangingTheOrder) {
    // Two containers share one "NS.objects" array that refers back to the second container; the
    // walk reaches the shared array again while it is still being walked.
    const std::string x = "XXXXXXXX-0000-0000-0000-000000000001";
    const std::string y = "YYYYYYYY-0000-0000-0000-000000000002";
    const std::string z = "ZZZZZZZZ-0000-0000-0000-000000000003";
    BinaryPlistWriter w;
    const auto objectsKey = w.string("NS.objects");
    const auto keysKey = w.string("NS.keys");
    // $objects: 0 "$null", 1 root, 2 A, 3 B, 4 x, 5 y, 6 z.
    const auto shared = w.array({w.uid(3), w.uid(4)});
    const auto containerA = w.dictionary({{objectsKey, shared}, {keysKey, w.array({w.uid(6)})}});
    const auto containerB = w.dictionary({{objectsKey, shared}, {keysKey, w.array({w.uid(5)})}});
    const auto root = w.dictionary({{keysKey, w.array({})}, {objectsKey, w.array({w.uid(2)})}});
    const auto objects =
        w.array({w.string("$null"), root, containerA, containerB, w.string(x), w.string(y), w.string(z)});
    const auto top = w.dictionary({{w.string("$objects"), objects}});
    EXPECT_EQ(BlobDecoder::orderedChildIdentifiers(w.write(top)), (std::vector<std::string>{x, y, z}));
}

TEST(BlobDecoder, IdentifierWalkFollowsLongChainsWithoutRecursion) {
    // 100,000 archived arrays, each referring to the next: deep references, shallow nesting.
    constexpr int kLength = 100'000;
    const std::string last = "LLLLLLLL-0000-0000-0000-000000000001";
    std::vector<Value> objects{"$null", archivedDictionary({}, refs({2}))};
    for (int i = 0; i < kLength; ++i) objects.emplace_back(archivedArray(refs({3 + i})));
    objects.emplace_back(last);
    EXPECT_EQ(BlobDecoder::orderedChildIdentifiers(toBinary(keyedArchive(std::move(objects)))),
              std::vector<std::string>{last});
}

// The collection cache decodes each timeline's blobs into one arena and resets it for the next.
TEST(BlobDecoder, BlobsDecodedIntoAResetArenaReuseItsMemoryAndKeepTheirOwnValues) {
    DocumentArena arena;
    const auto archive = [](const std::string& name, const std::string& clip) {
        return toBinary(keyedArchive(
            {"$null", archivedDictionary(refs({2, 3}), refs({4, 5})), "name", "clip", Value(name), Value(clip)}));
    };
    const Bytes first = archive("First timeline's long clip name", "A");
    const Bytes second = archive("Second", "Second timeline's other clip");

    const auto* firstStorage = [&] {
        const auto blob = BlobDecoder::decode(first, &arena);
        EXPECT_EQ(blob.string("name"), "First timeline's long clip name");
        return &blob.objects().storage();
    }();
    arena.reset();
    const auto blob = BlobDecoder::decode(second, &arena);
    EXPECT_EQ(&blob.objects().storage(), firstStorage);  // the same memory again
    EXPECT_EQ(blob.rootKeys(), (std::vector<std::string>{"name", "clip"}));
    EXPECT_EQ(blob.string("name"), "Second");
    EXPECT_EQ(blob.string("clip"), "Second timeline's other clip");

    // A request beyond a block, at a wide alignment, is served whole.
    auto* wide = static_cast<std::uint8_t*>(arena.allocate(std::size_t{1} << 20, 64));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(wide) % 64, 0u);
    std::fill_n(wide, std::size_t{1} << 20, std::uint8_t{0xA5});
    EXPECT_EQ(blob.string("clip"), "Second timeline's other clip");
}
