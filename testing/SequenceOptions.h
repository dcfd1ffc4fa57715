#pragma once

#include <optional>
#include <string>

namespace quillo::testing {

enum class SequenceKind {
    // A project timeline: the sequence blob carries "sequenceType", "audioSampleRate",
    // "audioChannelCount" and "captionPlaybackEnabled".
    project,
    // A timeline known only by its share metadata: "metadata" holds "FFShareTitleKey" and
    // "FFShareCreatorKey", and none of the project keys is written.
    shared,
    // The sequence inside a compound or multicam clip: neither, so it is no timeline of its own.
    inner,
};

struct SequenceOptions {
    SequenceKind kind = SequenceKind::project;
    std::optional<std::string> identifier{};  // ZIDENTIFIER; generated when absent
    bool withoutIdentifier = false;           // ZIDENTIFIER NULL
    std::string frameDuration = "100/2400";
    int width = 1920;
    int height = 1080;
};

}  // namespace quillo::testing
