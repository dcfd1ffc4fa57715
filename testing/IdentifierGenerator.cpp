#include "testing/IdentifierGenerator.h"

namespace quillo::testing {

std::uint64_t IdentifierGenerator::derivedSeed(std::uint64_t seed, std::string_view label) noexcept {
    // FNV-1a over the label, started from the seed.
    std::uint64_t hash = 0xcbf29ce484222325ULL ^ seed;
    for (const char c : label) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

std::uint64_t IdentifierGenerator::nextWord() noexcept {
    // SplitMix64: well mixed, and every seed gives its own sequence.
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

platform::UUID IdentifierGenerator::nextUUID() noexcept {
    platform::UUID::Bytes bytes{};
    for (std::size_t half = 0; half < 2; ++half) {
        const std::uint64_t word = nextWord();
        for (std::size_t i = 0; i < 8; ++i) bytes[half * 8 + i] = static_cast<std::uint8_t>(word >> (56 - 8 * i));
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
    return platform::UUID(bytes);
}

}  // namespace quillo::testing
