#pragma once

#include "Platform/Foundation/Coding.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace platform {

// Fails with dataCorrupted: "Cannot initialize TYPE from invalid String value RAW".
[[noreturn]] void throwInvalidRawValue(std::string_view typeName, const std::string& raw, const CodingPath& path);

// An enumeration coded as one fixed text per case. Reading back is exact and case-sensitive.
template <class Enum, std::size_t N>
struct RawValueTable {
    std::string_view typeName;  // as decoding errors name it
    std::array<std::pair<Enum, std::string_view>, N> cases;

    constexpr std::string_view rawValue(Enum value) const noexcept {
        for (const auto& [each, raw] : cases)
            if (each == value) return raw;
        return {};
    }

    constexpr std::optional<Enum> fromRawValue(std::string_view raw) const noexcept {
        for (const auto& [each, text] : cases)
            if (text == raw) return each;
        return std::nullopt;
    }

    // A JSON string holding the raw value.
    JSON encode(Enum value) const { return JSON(rawValue(value)); }

    // Fails with typeMismatch for a non-string and dataCorrupted for a text that names no case.
    Enum decode(const JSON& value, const CodingPath& path) const {
        const std::string raw = decodeString(value, path);
        if (const auto found = fromRawValue(raw)) return *found;
        throwInvalidRawValue(typeName, raw, path);
    }
};

}  // namespace platform
