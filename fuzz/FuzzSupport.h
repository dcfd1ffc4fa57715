#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

// What the fuzz targets share: how an expectation fails, and the input read as text.
namespace fuzz {

// Aborts on a failed expectation, so that libFuzzer keeps the input.
inline void require(bool condition) {
    if (!condition) std::abort();
}

inline std::string_view textOf(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace fuzz
