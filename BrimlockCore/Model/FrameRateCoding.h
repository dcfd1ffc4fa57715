#pragma once

#include "BrimlockCore/Timecode/FrameRate.h"

#include "Platform/Foundation/Coding.h"

namespace brimlock {

// Keyed form: one key, the case name, holding an empty object: {"fps29_97df":{}}.
platform::JSON encode(FrameRate rate, const platform::CodingPath& path = {});
// Keys that name no case are ignored; unless exactly one case key remains this is a typeMismatch
// "Invalid number of keys found, expected one.". The value under the key must be an object.
FrameRate decodeFrameRate(const platform::JSON& value, const platform::CodingPath& path = {});

}  // namespace brimlock
