#pragma once

#include "BrimlockCore/PropertyList/PropertyListError.h"
#include "BrimlockCore/PropertyList/PropertyListValue.h"

#include <cstdint>
#include <span>

// Reads property lists from untrusted bytes: binary ("bplist00") and XML, told apart by the binary
// header. Each object is decoded once and shared by every reference to it; nesting is capped at
// kMaximumDepth containers; a malformed document, a reference cycle, a count or offset outside the
// bytes, or an input over 1 GiB fails with PropertyListError, never with partial output.
//
// Text: binary ASCII strings holding other bytes are read as UTF-8, and ill-formed UTF-8 and
// unpaired UTF-16 surrogates become U+FFFD. Integers outside INT64_MIN...UINT64_MAX fail.
// XML: no entity declaration is accepted and nothing external is ever loaded.
namespace brimlock::PropertyListReader {

// Containers nested in one another along one path; keyed archives need fewer than ten.
inline constexpr int kMaximumDepth = 128;

PropertyListValue parse(std::span<const std::uint8_t> data);

}  // namespace brimlock::PropertyListReader
