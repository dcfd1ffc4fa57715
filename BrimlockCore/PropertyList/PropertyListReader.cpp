#include "BrimlockCore/PropertyList/PropertyListReader.h"

#include "BrimlockCore/PropertyList/BinaryPropertyListReader.h"
#include "BrimlockCore/PropertyList/PropertyListStorage.h"
#include "BrimlockCore/PropertyList/XMLPropertyListReader.h"

namespace brimlock {

std::shared_ptr<PropertyListStorage> readPropertyListStorage(std::span<const std::uint8_t> data,
                                                             std::pmr::memory_resource* memory) {
    // Keeps every offset and count of a document within 32 bits.
    if (data.size() > PropertyListStorage::kMaximumInputSize) throw PropertyListError("Property list too large");
    if (BinaryPropertyListReader::hasBinaryHeader(data))
        return BinaryPropertyListReader::read(data, PropertyListReader::kMaximumDepth, memory);
    return XMLPropertyListReader::read(data, PropertyListReader::kMaximumDepth, memory);
}

namespace PropertyListReader {

PropertyListValue parse(std::span<const std::uint8_t> data) {
    auto storage = readPropertyListStorage(data);
    const std::uint32_t root = storage->root;
    return PropertyListValue(std::move(storage), root);
}

}  // namespace PropertyListReader

}  // namespace brimlock
