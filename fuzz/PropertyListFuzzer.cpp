// Feeds arbitrary bytes to the property-list reader (binary or XML, by the header). A parse either
// fails with PropertyListError or gives a document whose strings and keys are valid UTF-8, whose
// containers nest no deeper than the cap along any path, and whose dictionary keys are strings.
#include "BrimlockCore/PropertyList/PropertyListReader.h"
#include "Platform/Foundation/UnicodeText.h"
#include "fuzz/FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <unordered_map>

using fuzz::require;

namespace {

// The height of every node, each computed once (documents share objects).
int height(const brimlock::PropertyListValue& value, std::unordered_map<std::uint32_t, int>& heights) {
    using Kind = brimlock::PropertyListKind;
    if (const auto known = heights.find(value.nodeIndex()); known != heights.end()) return known->second;
    int result = 0;
    switch (value.kind()) {
    case Kind::dictionary:
        for (std::size_t i = 0; i < value.size(); ++i) require(platform::isValidUTF8(value.keyAt(i)));
        [[fallthrough]];
    case Kind::array:
        for (const auto element : value) result = std::max(result, height(element, heights));
        ++result;
        break;
    case Kind::string: require(platform::isValidUTF8(*value.string())); break;
    case Kind::integer: require(value.integer() || value.unsignedInteger()); break;
    case Kind::null: require(false); break;
    default: break;
    }
    require(result <= brimlock::PropertyListReader::kMaximumDepth);
    heights.emplace(value.nodeIndex(), result);
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const auto value = brimlock::PropertyListReader::parse(std::span<const std::uint8_t>(data, size));
        std::unordered_map<std::uint32_t, int> heights;
        height(value, heights);
    } catch (const brimlock::PropertyListError&) {
    }
    return 0;
}
