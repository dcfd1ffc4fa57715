#pragma once

#include <stdexcept>

namespace brimlock {

// A property list that is not a usable keyed archive. what() names the kind ("Blob has no objects").
class BlobDecoderError : public std::runtime_error {
public:
    enum class Kind { invalidPlist, missingObjects, emptyBlob, invalidRoot };

    explicit BlobDecoderError(Kind kind);

    Kind kind() const noexcept { return kind_; }

private:
    Kind kind_;
};

}  // namespace brimlock
