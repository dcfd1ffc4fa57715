#pragma once

#include "Platform/Foundation/Coding.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Pieces shared by the keyed coding of the library model types. Absent optionals write no key.
namespace brimlock::coding {

using platform::childPath;
using platform::elementPath;

// The member under `key` of an object; null when the key is missing or holds JSON null.
const platform::JSON* presentMember(const platform::JSON& object, std::string_view key);

void putIfPresent(platform::JSON& object, std::string_view key, const std::optional<std::string>& value);
void putIfPresent(platform::JSON& object, std::string_view key, const std::optional<std::int64_t>& value);
void putIfPresent(platform::JSON& object, std::string_view key, const std::optional<bool>& value);
// `objectPath` is the path of `object`; a non-finite value is an EncodingError at the member's path.
void putIfPresent(platform::JSON& object, std::string_view key, const std::optional<double>& value,
                  const platform::CodingPath& objectPath);

platform::JSON encodeStrings(const std::vector<std::string>& values);
// `array` must be a JSON array (as KeyedDecoder::decodeArray hands out).
std::vector<std::string> decodeStrings(const platform::JSON& array, const platform::CodingPath& path);

// Encodes each element with `encode(element, elementPath)`.
template <class T, class Encode>
platform::JSON encodeEach(const std::vector<T>& values, const platform::CodingPath& path, Encode encode) {
    platform::JSON array = platform::JSON::array();
    for (std::size_t i = 0; i < values.size(); ++i) array.push_back(encode(values[i], elementPath(path, i)));
    return array;
}

// Decodes each element of a JSON array with `decode(element, elementPath)`.
template <class Decode>
auto decodeEach(const platform::JSON& array, const platform::CodingPath& path, Decode decode) {
    std::vector<decltype(decode(array, path))> values;
    values.reserve(array.size());
    for (std::size_t i = 0; i < array.size(); ++i) values.push_back(decode(array[i], elementPath(path, i)));
    return values;
}

}  // namespace brimlock::coding
