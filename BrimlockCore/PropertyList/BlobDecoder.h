#pragma once

#include "BrimlockCore/PropertyList/BlobDecoderError.h"
#include "BrimlockCore/PropertyList/DecodedBlob.h"
#include "BrimlockCore/PropertyList/PropertyListError.h"
#include "BrimlockCore/PropertyList/PropertyListValue.h"

#include <cstdint>
#include <memory_resource>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Keyed-archive attribute blobs (binary or XML property lists). Only "$objects" is read; the root
// object is "$objects"[1], an archived dictionary ("NS.keys" and "NS.objects", parallel arrays of
// references). Each call parses afresh; nothing is cached between calls.
namespace brimlock::BlobDecoder {

// The root's keys and values, references resolved one level deep. Throws PropertyListError for
// bytes that are no property list and BlobDecoderError for one that is no keyed archive; inside
// the archive, a key that resolves to no string drops its pair, a value whose reference leads
// outside "$objects" becomes the null marker, and a nested pair or element whose reference leads
// nowhere is dropped. The blob lives in `memory`, which must outlive it and every value taken from it.
DecodedBlob decode(std::span<const std::uint8_t> data,
                   std::pmr::memory_resource* memory = std::pmr::get_default_resource());

// Every UUID-like string (36 characters, exactly 4 "-") that the root's "NS.objects" reach through
// references and the "NS.objects" then "NS.keys" of archived containers, depth first in archive
// order, each object once. Never fails: a malformed blob gives an empty or shorter list. Linear
// in the size of the archive, whatever its sharing.
std::vector<std::string> orderedChildIdentifiers(std::span<const std::uint8_t> in);

// The "$objects" index a keyed-archive reference names: a binary UID, or a dictionary whose
// "CF$UID" is an integer (the XML form). Nothing for any other value, a plain integer included,
// or for an index beyond int64_t.
std::optional<std::int64_t> uidIndex(const PropertyListValue& value) noexcept;

}  // namespace brimlock::BlobDecoder
