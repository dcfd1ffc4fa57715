#include "BrimlockCore/Model/KeyedCoding.h"

namespace brimlock::coding {

const platform::JSON* presentMember(const platform::JSON& object, std::string_view key) {
    const auto found = object.find(key);
    if (found == object.end() || found->is_null()) return nullptr;
    return &*found;
}

void putIfPresent(platform::JSON& object, std::string_view key, const std::optional<std::string>& value) {
    if (value) object[std::string(key)] = *value;
}

void putIfPresent(platform::JSON& object, std::string_view key, const std::optional<std::int64_t>& value) {
    if (value) object[std::string(key)] = *value;
}

void putIfPresent(platform::JSON& object, std::string_view key, const std::optional<bool>& value) {
    if (value) object[std::string(key)] = *value;
}

void putIfPresent(platform::JSON& object, std::string_view key, const std::optional<double>& value,
                  const platform::CodingPath& objectPath) {
    if (value) object[std::string(key)] = platform::requireFinite(*value, childPath(objectPath, key));
}

platform::JSON encodeStrings(const std::vector<std::string>& values) {
    platform::JSON array = platform::JSON::array();
    for (const auto& value : values) array.push_back(value);
    return array;
}

std::vector<std::string> decodeStrings(const platform::JSON& array, const platform::CodingPath& path) {
    return decodeEach(array, path, [](const platform::JSON& element, const platform::CodingPath& at) {
        return platform::decodeString(element, at);
    });
}

}  // namespace brimlock::coding
