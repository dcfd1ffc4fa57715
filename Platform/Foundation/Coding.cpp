#include "Platform/Foundation/Coding.h"
#include "Platform/Foundation/RawValueCoding.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace platform {

namespace {

std::string typeName(const JSON& value) {
    switch (value.type()) {
    case JSON::value_t::null: return "null";
    case JSON::value_t::object: return "a dictionary";
    case JSON::value_t::array: return "an array";
    case JSON::value_t::string: return "a string";
    case JSON::value_t::boolean: return "a bool";
    case JSON::value_t::number_integer:
    case JSON::value_t::number_unsigned:
    case JSON::value_t::number_float: return "a number";
    default: return "an unsupported value";
    }
}

std::string quoted(std::string_view key) { return "\"" + std::string(key) + "\""; }

}  // namespace

std::string indexKey(std::size_t index) { return "Index " + std::to_string(index); }

CodingPath childPath(const CodingPath& path, std::string_view key) {
    CodingPath child = path;
    child.emplace_back(key);
    return child;
}

CodingPath elementPath(const CodingPath& path, std::size_t index) {
    CodingPath child = path;
    child.push_back(indexKey(index));
    return child;
}

std::string describe(const CodingPath& path) {
    std::string text;
    for (const auto& component : path) {
        if (!text.empty()) text += '.';
        text += component;
    }
    return text.empty() ? "<root>" : text;
}

DecodingError::DecodingError(Kind kind, CodingPath codingPath, std::string debugDescription, std::string expectedType)
    : std::runtime_error(debugDescription + " (at " + describe(codingPath) + ")"),
      kind_(kind),
      codingPath_(std::move(codingPath)),
      debugDescription_(std::move(debugDescription)),
      expectedType_(std::move(expectedType)) {}

EncodingError::EncodingError(CodingPath codingPath, std::string debugDescription)
    : std::runtime_error(debugDescription + " (at " + describe(codingPath) + ")"),
      codingPath_(std::move(codingPath)),
      debugDescription_(std::move(debugDescription)) {}

void throwInvalidRawValue(std::string_view typeName, const std::string& raw, const CodingPath& path) {
    throw DecodingError(DecodingError::Kind::dataCorrupted, path,
                        "Cannot initialize " + std::string(typeName) + " from invalid String value " + raw);
}

void throwTypeMismatch(const CodingPath& path, std::string_view expected, const JSON& found) {
    throw DecodingError(DecodingError::Kind::typeMismatch, path,
                        "Expected to decode " + std::string(expected) + " but found " + typeName(found) + " instead.",
                        std::string(expected));
}

JSON parseJSON(std::string_view text) {
    try {
        return JSON::parse(text.begin(), text.end());
    } catch (const JSON::exception& error) {  // syntax errors, and numbers too large for a double
        throw DecodingError(DecodingError::Kind::dataCorrupted, {},
                            std::string("The given data was not valid JSON: ") + error.what());
    }
}

std::string serializeJSON(const JSON& value) {
    // Strings reaching here were validated at reading; replacing keeps a stray byte from throwing.
    return value.dump(-1, ' ', false, JSON::error_handler_t::replace);
}

void appendJSONNumber(std::string& text, double value) {
    // A whole number below 10^15 has its own digits as its shortest form, which the serializer
    // writes out in full with ".0". Other digits are the serializer's own: std::to_chars, shortest
    // too, picks other digits for about one number in a thousand (4096.400000000001, where the
    // serializer writes 4096.4000000000005).
    if (std::abs(value) < 1e15 && std::trunc(value) == value) {
        if (std::signbit(value)) text += '-';
        std::array<char, 20> digits{};
        const auto end =
            std::to_chars(digits.data(), digits.data() + digits.size(), static_cast<std::int64_t>(std::abs(value))).ptr;
        text.append(digits.data(), end);
        text += ".0";
        return;
    }
    text += JSON(value).dump();
}

double requireFinite(double value, const CodingPath& path) {
    if (!std::isfinite(value)) throw EncodingError(path, "Unable to encode a non-finite number directly in JSON.");
    return value;
}

double decodeDouble(const JSON& value, const CodingPath& path) {
    if (!value.is_number()) throwTypeMismatch(path, "Double", value);
    return value.get<double>();
}

std::string decodeString(const JSON& value, const CodingPath& path) {
    if (!value.is_string()) throwTypeMismatch(path, "String", value);
    return value.get<std::string>();
}

KeyedDecoder::KeyedDecoder(const JSON& value, CodingPath path) : value_(&value), path_(std::move(path)) {
    if (!value.is_object()) throwTypeMismatch(path_, "Dictionary<String, Any>", value);
}

CodingPath KeyedDecoder::pathFor(std::string_view key) const { return childPath(path_, key); }

bool KeyedDecoder::contains(std::string_view key) const { return value_->contains(key); }

const JSON* KeyedDecoder::lookup(std::string_view key) const {
    const auto found = value_->find(key);
    if (found == value_->end() || found->is_null()) return nullptr;
    return &*found;
}

const JSON& KeyedDecoder::required(std::string_view key, const char* typeName) const {
    const auto found = value_->find(key);
    if (found == value_->end())
        throw DecodingError(DecodingError::Kind::keyNotFound, path_,
                            "No value associated with key " + quoted(key) + ".");
    if (found->is_null())
        throw DecodingError(DecodingError::Kind::valueNotFound, pathFor(key),
                            std::string("Expected ") + typeName + " value but found null instead.");
    return *found;
}

std::string KeyedDecoder::decodeString(std::string_view key) const {
    return platform::decodeString(required(key, "String"), pathFor(key));
}

std::optional<std::string> KeyedDecoder::decodeStringIfPresent(std::string_view key) const {
    const JSON* value = lookup(key);
    if (value == nullptr) return std::nullopt;
    return platform::decodeString(*value, pathFor(key));
}

double KeyedDecoder::decodeDouble(std::string_view key) const {
    return platform::decodeDouble(required(key, "Double"), pathFor(key));
}

std::optional<double> KeyedDecoder::decodeDoubleIfPresent(std::string_view key) const {
    const JSON* value = lookup(key);
    if (value == nullptr) return std::nullopt;
    return platform::decodeDouble(*value, pathFor(key));
}

bool KeyedDecoder::decodeBool(std::string_view key) const {
    const JSON& value = required(key, "Bool");
    if (!value.is_boolean()) throwTypeMismatch(pathFor(key), "Bool", value);
    return value.get<bool>();
}

std::optional<bool> KeyedDecoder::decodeBoolIfPresent(std::string_view key) const {
    const JSON* value = lookup(key);
    if (value == nullptr) return std::nullopt;
    if (!value->is_boolean()) throwTypeMismatch(pathFor(key), "Bool", *value);
    return value->get<bool>();
}

namespace {

std::int64_t toInt64(const JSON& value, const CodingPath& path) {
    // Test unsigned first: nlohmann counts unsigned numbers as integers too.
    if (value.is_number_unsigned()) {
        const auto unsignedValue = value.get<std::uint64_t>();
        if (unsignedValue <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return static_cast<std::int64_t>(unsignedValue);
    } else if (value.is_number_integer()) {
        return value.get<std::int64_t>();
    } else if (value.is_number_float()) {
        const double d = value.get<double>();
        // 2^63 is exactly representable; anything at or beyond it does not fit.
        if (std::isfinite(d) && d == std::trunc(d) && d >= -9223372036854775808.0 && d < 9223372036854775808.0)
            return static_cast<std::int64_t>(d);
    } else {
        throwTypeMismatch(path, "Int64", value);
    }
    throw DecodingError(DecodingError::Kind::dataCorrupted, path,
                        "Parsed JSON number <" + value.dump() + "> does not fit in Int64.");
}

}  // namespace

std::int64_t KeyedDecoder::decodeInt64(std::string_view key) const {
    return toInt64(required(key, "Int64"), pathFor(key));
}

std::optional<std::int64_t> KeyedDecoder::decodeInt64IfPresent(std::string_view key) const {
    const JSON* value = lookup(key);
    if (value == nullptr) return std::nullopt;
    return toInt64(*value, pathFor(key));
}

const JSON& KeyedDecoder::decodeArray(std::string_view key) const {
    const JSON& value = required(key, "Array<Any>");
    if (!value.is_array()) throwTypeMismatch(pathFor(key), "Array<Any>", value);
    return value;
}

std::optional<std::reference_wrapper<const JSON>> KeyedDecoder::decodeArrayIfPresent(std::string_view key) const {
    const JSON* value = lookup(key);
    if (value == nullptr) return std::nullopt;
    if (!value->is_array()) throwTypeMismatch(pathFor(key), "Array<Any>", *value);
    return std::cref(*value);
}

KeyedDecoder KeyedDecoder::nestedDecoder(std::string_view key) const {
    return KeyedDecoder(required(key, "Dictionary<String, Any>"), pathFor(key));
}

}  // namespace platform
