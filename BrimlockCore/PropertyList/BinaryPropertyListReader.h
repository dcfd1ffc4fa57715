#pragma once

#include "BrimlockCore/PropertyList/PropertyListStorage.h"

#include <cstdint>
#include <memory>
#include <memory_resource>
#include <span>

// The binary ("bplist00") half of PropertyListReader; see PropertyListReader.h for its guarantees.
namespace brimlock::BinaryPropertyListReader {

// Whether the bytes claim to be a binary property list (of any version).
bool hasBinaryHeader(std::span<const std::uint8_t> data) noexcept;

// The document's storage comes from `memory`.
std::shared_ptr<PropertyListStorage> read(std::span<const std::uint8_t> data, int maximumDepth,
                                          std::pmr::memory_resource* memory);

}  // namespace brimlock::BinaryPropertyListReader
