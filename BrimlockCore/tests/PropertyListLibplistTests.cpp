// Cross-checks the reader against documents that libplist writes, in both forms.
#include "BrimlockCore/PropertyList/PropertyListReader.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace brimlock;
using Kind = PropertyListKind;

namespace {

struct PlistFree {
    void operator()(plist_t node) const { plist_free(node); }
};
using Plist = std::unique_ptr<void, PlistFree>;

std::vector<std::uint8_t> toBinary(plist_t node) {
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(node, &bytes, &length);
    std::vector<std::uint8_t> out(bytes, bytes + length);
    plist_to_bin_free(bytes);
    return out;
}

std::vector<std::uint8_t> toXML(plist_t node) {
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_xml(node, &bytes, &length);
    std::vector<std::uint8_t> out(bytes, bytes + length);
    plist_to_xml_free(bytes);
    return out;
}

// Compares a libplist tree with ours, recording every difference.
void expectSame(plist_t expected, const PropertyListValue& actual, const std::string& path) {
    switch (plist_get_node_type(expected)) {
    case PLIST_DICT: {
        ASSERT_EQ(actual.kind(), Kind::dictionary) << path;
        ASSERT_EQ(actual.size(), plist_dict_get_size(expected)) << path;
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(expected, &iterator);
        for (;;) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(expected, iterator, &key, &value);
            if (!key) break;
            const auto found = actual.find(key);
            EXPECT_TRUE(found) << path << "/" << key;
            if (found) expectSame(value, *found, path + "/" + key);
            std::free(key);
        }
        std::free(iterator);
        return;
    }
    case PLIST_ARRAY:
        ASSERT_EQ(actual.kind(), Kind::array) << path;
        ASSERT_EQ(actual.size(), plist_array_get_size(expected)) << path;
        for (std::uint32_t i = 0; i < plist_array_get_size(expected); ++i)
            expectSame(plist_array_get_item(expected, i), actual[i], path + "/" + std::to_string(i));
        return;
    case PLIST_STRING: {
        char* text = nullptr;
        plist_get_string_val(expected, &text);
        EXPECT_EQ(actual.string(), std::string(text)) << path;
        std::free(text);
        return;
    }
    case PLIST_UINT: {
        std::uint64_t number = 0;
        plist_get_uint_val(expected, &number);
        // libplist keeps the bits; ours answers them as signed or unsigned.
        const auto bits = actual.unsignedInteger() ? *actual.unsignedInteger()
                                                   : static_cast<std::uint64_t>(actual.integer().value_or(0));
        EXPECT_EQ(actual.kind(), Kind::integer) << path;
        EXPECT_EQ(bits, number) << path;
        return;
    }
    case PLIST_REAL: {
        double number = 0;
        plist_get_real_val(expected, &number);
        EXPECT_EQ(actual.real(), number) << path;
        return;
    }
    case PLIST_BOOLEAN: {
        std::uint8_t flag = 0;
        plist_get_bool_val(expected, &flag);
        EXPECT_EQ(actual.boolean(), flag != 0) << path;
        return;
    }
    case PLIST_DATA: {
        char* bytes = nullptr;
        std::uint64_t length = 0;
        plist_get_data_val(expected, &bytes, &length);
        const auto data = actual.data();
        ASSERT_TRUE(data) << path;
        EXPECT_EQ(std::vector<std::uint8_t>(data->begin(), data->end()),
                  std::vector<std::uint8_t>(bytes, bytes + length))
            << path;
        std::free(bytes);
        return;
    }
    case PLIST_DATE: {
        std::int32_t seconds = 0, microseconds = 0;
        plist_get_date_val(expected, &seconds, &microseconds);
        EXPECT_EQ(actual.date(), seconds + microseconds / 1e6) << path;
        return;
    }
    case PLIST_UID: {
        std::uint64_t index = 0;
        plist_get_uid_val(expected, &index);
        // The XML form writes a reference as a dictionary {"CF$UID": index}.
        const auto xmlForm = actual.find("CF$UID");
        const auto actualIndex = xmlForm ? xmlForm->unsignedInteger() : actual.uid();
        EXPECT_EQ(actualIndex, index) << path;
        return;
    }
    default: ADD_FAILURE() << "unexpected libplist node at " << path;
    }
}

// A document with every kind, wide counts (over 15 entries, over 255 objects) and non-ASCII text.
Plist sampleDocument() {
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "ascii", plist_new_string("plain text"));
    plist_dict_set_item(root, "unicode",
                        plist_new_string("Schnitt \xC3\xBC \xF0\x9F\x8E\xAC \xE6\x97\xA5\xE6\x9C\xAC"));
    plist_dict_set_item(root, "small", plist_new_uint(7));
    plist_dict_set_item(root, "wide", plist_new_uint(0x123456789ULL));
    plist_dict_set_item(root, "negative", plist_new_uint(static_cast<std::uint64_t>(-5)));
    plist_dict_set_item(root, "maximum", plist_new_uint(~std::uint64_t{0}));
    plist_dict_set_item(root, "real", plist_new_real(-1234.25));
    plist_dict_set_item(root, "true", plist_new_bool(1));
    plist_dict_set_item(root, "false", plist_new_bool(0));
    std::vector<char> bytes(300);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    plist_dict_set_item(root, "data", plist_new_data(bytes.data(), bytes.size()));
    plist_dict_set_item(root, "date", plist_new_date(700000000, 0));
    plist_dict_set_item(root, "uid", plist_new_uid(300));
    plist_t list = plist_new_array();
    for (int i = 0; i < 400; ++i) {
        plist_t entry = plist_new_dict();
        plist_dict_set_item(entry, "index", plist_new_uint(static_cast<std::uint64_t>(i)));
        plist_dict_set_item(entry, "name", plist_new_string(("item " + std::to_string(i)).c_str()));
        plist_array_append_item(list, entry);
    }
    plist_dict_set_item(root, "list", list);
    return Plist(root);
}

}  // namespace

TEST(PropertyListLibplistCrossCheck, BinaryWrittenByLibplistReadsAlike) {
    const auto document = sampleDocument();
    expectSame(document.get(), PropertyListReader::parse(toBinary(document.get())), "");
}

TEST(PropertyListLibplistCrossCheck, XMLWrittenByLibplistReadsAlike) {
    const auto document = sampleDocument();
    expectSame(document.get(), PropertyListReader::parse(toXML(document.get())), "");
}
