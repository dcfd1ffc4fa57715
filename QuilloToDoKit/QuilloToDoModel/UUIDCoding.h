#pragma once

#include "Platform/Foundation/Coding.h"
#include "Platform/Foundation/UUID.h"

namespace quillo {

// A UUID travels as its 36-character text: written in upper case, read in either case.
platform::JSON encode(const platform::UUID& id, const platform::CodingPath& path = {});
// Fails with typeMismatch for a non-string and dataCorrupted for a text that is no UUID.
platform::UUID decodeUUID(const platform::JSON& value, const platform::CodingPath& path = {});

}  // namespace quillo
