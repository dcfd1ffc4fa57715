#pragma once

#include "BrimlockCore/PropertyList/PropertyListStorage.h"

#include <cstdint>
#include <memory>
#include <memory_resource>
#include <span>

// The XML half of PropertyListReader; see PropertyListReader.h for its guarantees. Runs on
// ExpatParser, so entity declarations are refused and nothing external is read.
namespace brimlock::XMLPropertyListReader {

// The document's storage comes from `memory`.
std::shared_ptr<PropertyListStorage> read(std::span<const std::uint8_t> data, int maximumDepth,
                                          std::pmr::memory_resource* memory);

}  // namespace brimlock::XMLPropertyListReader
