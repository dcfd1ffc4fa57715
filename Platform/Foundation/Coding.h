#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Keyed JSON coding with the failure model of a typed decoder: every failure names its kind, the
// path of the value in the document and a description, and nothing is produced partially.
namespace platform {

// Member names are kept as they are; array elements appear as "Index N".
using CodingPath = std::vector<std::string>;
std::string indexKey(std::size_t index);
// `path` with one more member name, or one more array index.
CodingPath childPath(const CodingPath& path, std::string_view key);
CodingPath elementPath(const CodingPath& path, std::size_t index);
std::string describe(const CodingPath& path);

class DecodingError : public std::runtime_error {
public:
    enum class Kind { typeMismatch, valueNotFound, keyNotFound, dataCorrupted };

    // `expectedType` names the type a typeMismatch expected ("Double", "TodoIPCMessage").
    DecodingError(Kind kind, CodingPath codingPath, std::string debugDescription, std::string expectedType = {});

    Kind kind() const noexcept { return kind_; }
    const std::string& expectedType() const noexcept { return expectedType_; }
    const CodingPath& codingPath() const noexcept { return codingPath_; }
    const std::string& debugDescription() const noexcept { return debugDescription_; }

private:
    Kind kind_;
    CodingPath codingPath_;
    std::string debugDescription_;
    std::string expectedType_;
};

class EncodingError : public std::runtime_error {
public:
    EncodingError(CodingPath codingPath, std::string debugDescription);

    const CodingPath& codingPath() const noexcept { return codingPath_; }
    const std::string& debugDescription() const noexcept { return debugDescription_; }

private:
    CodingPath codingPath_;
    std::string debugDescription_;
};

// ordered_json keeps members in the order they are written, so encodings are deterministic.
using JSON = nlohmann::ordered_json;

// Parses one JSON document; malformed JSON (including ill-formed UTF-8 inside strings and numbers
// beyond double's range) is a dataCorrupted error with an empty path.
JSON parseJSON(std::string_view text);
// Compact text: no whitespace between tokens, line feeds inside strings escaped.
std::string serializeJSON(const JSON& value);
// Appends a finite number as serializeJSON writes it ("2.0", "-0.0", "0.1", "1e+20").
void appendJSONNumber(std::string& text, double value);

// The value itself when finite; JSON has no form for NaN or infinity.
double requireFinite(double value, const CodingPath& path);

// Reads the members of one JSON object. Required reads fail with keyNotFound when the member is
// missing, valueNotFound when it is null and typeMismatch when it has another JSON type; the
// `IfPresent` reads take a missing or null member as absent and fail only on a wrong type.
class KeyedDecoder {
public:
    // Fails with typeMismatch unless `value` is an object. `value` must outlive the decoder.
    KeyedDecoder(const JSON& value, CodingPath path);

    const CodingPath& codingPath() const noexcept { return path_; }
    CodingPath pathFor(std::string_view key) const;
    bool contains(std::string_view key) const;

    std::string decodeString(std::string_view key) const;
    std::optional<std::string> decodeStringIfPresent(std::string_view key) const;
    double decodeDouble(std::string_view key) const;  // any JSON number
    std::optional<double> decodeDoubleIfPresent(std::string_view key) const;
    bool decodeBool(std::string_view key) const;
    std::optional<bool> decodeBoolIfPresent(std::string_view key) const;
    // Only integral JSON numbers that fit the type.
    std::int64_t decodeInt64(std::string_view key) const;
    std::optional<std::int64_t> decodeInt64IfPresent(std::string_view key) const;
    // A required member that must be an array or an object; the reference points into the document.
    const JSON& decodeArray(std::string_view key) const;
    std::optional<std::reference_wrapper<const JSON>> decodeArrayIfPresent(std::string_view key) const;
    KeyedDecoder nestedDecoder(std::string_view key) const;

private:
    const JSON* lookup(std::string_view key) const;  // null when missing or JSON null
    const JSON& required(std::string_view key, const char* typeName) const;

    const JSON* value_;
    CodingPath path_;
};

// Decodes the single-value forms that the decoders above cannot: numbers as double and as int64.
double decodeDouble(const JSON& value, const CodingPath& path);
std::string decodeString(const JSON& value, const CodingPath& path);

[[noreturn]] void throwTypeMismatch(const CodingPath& path, std::string_view expected, const JSON& found);

}  // namespace platform
