#pragma once

#include "Platform/Foundation/UUID.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quillo::testing {

// Deterministic identifiers: the same seed yields the same sequence of version-4-shaped UUIDs, so
// fixtures come out byte for byte the same on every run.
class IdentifierGenerator {
public:
    explicit IdentifierGenerator(std::uint64_t seed) noexcept : state_(seed) {}

    // A seed of its own for a named part of a fixture (an event by its path), so adding one part
    // does not shift the identifiers of the others.
    static std::uint64_t derivedSeed(std::uint64_t seed, std::string_view label) noexcept;

    platform::UUID nextUUID() noexcept;
    std::string next() { return nextUUID().uuidString(); }  // upper-case canonical text

private:
    std::uint64_t nextWord() noexcept;

    std::uint64_t state_;
};

}  // namespace quillo::testing
