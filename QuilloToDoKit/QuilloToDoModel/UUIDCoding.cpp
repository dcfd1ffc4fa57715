#include "QuilloToDoKit/QuilloToDoModel/UUIDCoding.h"

namespace quillo {

platform::JSON encode(const platform::UUID& id, const platform::CodingPath&) { return platform::JSON(id.uuidString()); }

platform::UUID decodeUUID(const platform::JSON& value, const platform::CodingPath& path) {
    if (const auto id = platform::UUID::parse(platform::decodeString(value, path))) return *id;
    throw platform::DecodingError(platform::DecodingError::Kind::dataCorrupted, path,
                                  "Attempted to decode UUID from invalid UUID string.");
}

}  // namespace quillo
