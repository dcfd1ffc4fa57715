#include "testing/KeyedArchiveWriter.h"

#include "ArchiveReading.h"

#include <gtest/gtest.h>

#include <string>

namespace quillo::testing {
namespace {

using namespace inspection;

ArchiveValue sampleClipAttributes() {
    return ArchiveValue::dictionary({
        {"displayName", "Interview A"},
        {"anchoredLane", -1},
        {"rate", 23.976},
        {"playEnable", false},
        {"channelData", ArchiveValue::data(bytesOf("<ozml/>"))},
        {"metadata", ArchiveValue::dictionary({{"reel", "A001"}, {"scene", "12"}})},
        {"audioAngles", ArchiveValue::array({"angle-1", "angle-2"})},
    });
}

class KeyedArchiveFormats : public ::testing::TestWithParam<PlistFormat> {};

TEST_P(KeyedArchiveFormats, WritesTheArchiversTopLevelAndRootDictionary) {
    const Bytes bytes = KeyedArchiveWriter::archive(sampleClipAttributes(), GetParam());
    EXPECT_EQ(isBinaryPlist(bytes), GetParam() == PlistFormat::binary);

    const ArchiveView archive(bytes);
    EXPECT_EQ(stringOf(item(archive.top(), "$archiver")), "NSKeyedArchiver");
    EXPECT_EQ(integerOf(item(archive.top(), "$version")), 100000);
    EXPECT_EQ(uidOf(item(item(archive.top(), "$top"), "root")), 1u);
    EXPECT_EQ(stringOf(archive.object(0)), "$null");
    EXPECT_EQ(archive.className(archive.root()), "NSDictionary");

    const auto entries = archive.entries(archive.root());
    ASSERT_EQ(entries.size(), 7u);
    EXPECT_EQ(entries[0].first, "displayName");
    EXPECT_EQ(stringOf(entries[0].second), "Interview A");
    EXPECT_EQ(entries[1].first, "anchoredLane");
    EXPECT_EQ(integerOf(entries[1].second), -1);
    EXPECT_DOUBLE_EQ(realOf(entries[2].second), 23.976);
    EXPECT_FALSE(booleanOf(entries[3].second));
    EXPECT_EQ(dataOf(entries[4].second), bytesOf("<ozml/>"));

    plist_t metadata = entries[5].second;
    EXPECT_EQ(archive.className(metadata), "NSDictionary");
    EXPECT_EQ(stringOf(archive.value(metadata, "reel")), "A001");
    EXPECT_EQ(stringOf(archive.value(metadata, "scene")), "12");

    plist_t angles = entries[6].second;
    EXPECT_EQ(archive.className(angles), "NSArray");
    EXPECT_EQ(item(angles, "NS.keys"), nullptr);
    const auto elements = archive.arrayElements(angles);
    ASSERT_EQ(elements.size(), 2u);
    EXPECT_EQ(stringOf(elements[0]), "angle-1");
    EXPECT_EQ(stringOf(elements[1]), "angle-2");
}

TEST_P(KeyedArchiveFormats, NestedContainersFollowTheirParentAndShareClassEntries) {
    const ArchiveView archive(KeyedArchiveWriter::archive(sampleClipAttributes(), GetParam()));
    const auto entries = archive.entries(archive.root());
    const auto indexOf = [&](plist_t dictionary, const char* list, std::size_t position) {
        return uidOf(elementsOf(item(dictionary, list)).at(position));
    };
    // Keys are archived before values, so the first value follows the last key.
    EXPECT_EQ(indexOf(archive.root(), "NS.keys", 0), 2u);
    EXPECT_EQ(indexOf(archive.root(), "NS.objects", 0), 2u + entries.size());
    // One class entry per class, archived after the contents of the first object of that class to
    // be finished: here the nested metadata dictionary.
    plist_t metadata = entries[5].second;
    const auto rootClass = uidOf(item(archive.root(), "$class"));
    EXPECT_EQ(rootClass, uidOf(item(metadata, "$class")));
    EXPECT_GT(rootClass, indexOf(metadata, "NS.objects", 1));
    EXPECT_LT(rootClass, indexOf(archive.root(), "NS.objects", 6));
    const auto classes = elementsOf(item(archive.object(rootClass), "$classes"));
    ASSERT_EQ(classes.size(), 2u);
    EXPECT_EQ(stringOf(classes[0]), "NSDictionary");
    EXPECT_EQ(stringOf(classes[1]), "NSObject");
}

INSTANTIATE_TEST_SUITE_P(BinaryAndXML, KeyedArchiveFormats, ::testing::Values(PlistFormat::binary, PlistFormat::xml),
                         [](const auto& test) { return test.param == PlistFormat::binary ? "binary" : "xml"; });

TEST(KeyedArchiveWriter, XMLReferencesAreCFUIDDictionaries) {
    const Bytes xml = KeyedArchiveWriter::archive(ArchiveValue::dictionary({{"a", "b"}}), PlistFormat::xml);
    const std::string text(xml.begin(), xml.end());
    EXPECT_EQ(text.rfind("<?xml", 0), 0u);
    EXPECT_NE(text.find("<key>CF$UID</key>"), std::string::npos);
}

TEST(KeyedArchiveWriter, SharesEqualScalarsAndReusedContainersButNotEqualCopies) {
    const auto shared = ArchiveValue::array({"x"});
    const ArchiveView archive(KeyedArchiveWriter::archive(ArchiveValue::dictionary({
        {"first", shared},
        {"second", shared},
        {"separate", ArchiveValue::array({"x"})},
        {"label", "first"},
    })));
    const auto objects = elementsOf(item(archive.root(), "NS.objects"));
    const auto keys = elementsOf(item(archive.root(), "NS.keys"));
    EXPECT_EQ(uidOf(objects[0]), uidOf(objects[1]));
    EXPECT_NE(uidOf(objects[0]), uidOf(objects[2]));
    // The value "first" is the same object as the key "first".
    EXPECT_EQ(uidOf(objects[3]), uidOf(keys[0]));
    // Both arrays hold the one string "x".
    EXPECT_EQ(uidOf(elementsOf(item(archive.resolve(objects[0]), "NS.objects"))[0]),
              uidOf(elementsOf(item(archive.resolve(objects[2]), "NS.objects"))[0]));
}

TEST(KeyedArchiveWriter, ObjectsKeepScalarsInlineAndReferToEverythingElse) {
    const auto subRoles = ArchiveValue::array({"dialogue.dialogue-1"});
    const ArchiveView archive(KeyedArchiveWriter::archive(
        ArchiveValue::object("FFRole", {
                                           {"uuid", "dialogue"},
                                           {"colorIndex", 3},
                                           {"visible", true},
                                           {"subRoles", subRoles},
                                           {"label", ArchiveValue::mutableString("Dialogue")},
                                           {"raw", ArchiveValue::inlineValue(PlistValue::string("in place"))},
                                       })));
    plist_t role = archive.root();
    EXPECT_EQ(archive.className(role), "FFRole");
    EXPECT_EQ(stringOf(archive.resolve(item(role, "uuid"))), "dialogue");
    EXPECT_EQ(integerOf(item(role, "colorIndex")), 3);
    EXPECT_TRUE(booleanOf(item(role, "visible")));
    EXPECT_EQ(stringOf(item(role, "raw")), "in place");
    EXPECT_EQ(stringOf(archive.arrayElements(archive.resolve(item(role, "subRoles")))[0]), "dialogue.dialogue-1");

    plist_t label = archive.resolve(item(role, "label"));
    EXPECT_EQ(stringOf(item(label, "NS.string")), "Dialogue");
    const auto chain = elementsOf(item(archive.resolve(item(label, "$class")), "$classes"));
    ASSERT_EQ(chain.size(), 3u);
    EXPECT_EQ(stringOf(chain[1]), "NSString");
}

TEST(KeyedArchiveWriter, WritesOddArchivesAsGiven) {
    const ArchiveView archive(KeyedArchiveWriter::archive(ArchiveValue::dictionaryWithLists(
        {"name", 7, ArchiveValue::reference(999), "extra"}, {ArchiveValue::null(), "seven", "lost"})));
    const auto keys = elementsOf(item(archive.root(), "NS.keys"));
    const auto objects = elementsOf(item(archive.root(), "NS.objects"));
    ASSERT_EQ(keys.size(), 4u);
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(integerOf(archive.resolve(keys[1])), 7);
    EXPECT_EQ(uidOf(keys[2]), 999u);
    EXPECT_GT(999u, archive.count());
    EXPECT_EQ(uidOf(objects[0]), 0u);

    EXPECT_THROW(KeyedArchiveWriter::archive(ArchiveValue::null()), std::logic_error);
    EXPECT_THROW(KeyedArchiveWriter::archive(ArchiveValue::array({ArchiveValue::inlineValue(PlistValue::integer(1))})),
                 std::logic_error);
}

TEST(KeyedArchiveWriter, EditsTheObjectTableForCyclesAndBrokenTopLevels) {
    KeyedArchiveWriter writer;
    const auto inner = writer.reserve();
    writer.setRoot(ArchiveValue::dictionary({{"loop", ArchiveValue::reference(inner)}}));
    writer.replace(inner, PlistValue::dictionary({
                              {"NS.objects", PlistValue::array({PlistValue::uid(inner), PlistValue::uid(1)})},
                              {"$class", PlistValue::uid(writer.classReference("NSArray"))},
                          }));
    const ArchiveView archive(writer.bytes());
    plist_t loop = archive.resolve(elementsOf(item(archive.root(), "NS.objects"))[0]);
    EXPECT_EQ(uidOf(elementsOf(item(loop, "NS.objects"))[0]), inner);

    PlistValue top = writer.topLevel();
    top.erase("$objects");
    const auto broken = parsePlist(top.serialize());
    EXPECT_EQ(item(broken.get(), "$objects"), nullptr);
    EXPECT_NE(item(broken.get(), "$archiver"), nullptr);
}

TEST(KeyedArchiveWriter, ScalarAndRawRootsTakeIndexOne) {
    const ArchiveView text(KeyedArchiveWriter::archive("just text"));
    EXPECT_EQ(stringOf(text.root()), "just text");
    const ArchiveView raw(KeyedArchiveWriter::archive(
        ArchiveValue::rawObject(PlistValue::dictionary({{"NS.keys", PlistValue::array({PlistValue::uid(0)})}}))));
    EXPECT_EQ(item(raw.root(), "NS.objects"), nullptr);
    EXPECT_EQ(uidOf(elementsOf(item(raw.root(), "NS.keys"))[0]), 0u);
}

}  // namespace
}  // namespace quillo::testing
