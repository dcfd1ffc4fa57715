#include "BrimlockCore/PropertyList/BlobDecoderError.h"

namespace brimlock {

namespace {

const char* messageFor(BlobDecoderError::Kind kind) noexcept {
    switch (kind) {
    case BlobDecoderError::Kind::invalidPlist: return "Blob is not a valid property list";
    case BlobDecoderError::Kind::missingObjects: return "Blob missing $objects array";
    case BlobDecoderError::Kind::emptyBlob: return "Blob has no objects";
    case BlobDecoderError::Kind::invalidRoot: return "Root dictionary has invalid structure";
    }
    return "Blob is not a valid property list";
}

}  // namespace

BlobDecoderError::BlobDecoderError(Kind kind) : std::runtime_error(messageFor(kind)), kind_(kind) {}

}  // namespace brimlock
