#pragma once

#include "BrimlockCore/Validation/FCPXMLRational.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The document model FCPXMLParser builds: the sequences of one FCPXML document and the clips that sit
// directly on each one's primary storyline.
namespace brimlock::FCPXMLParser {

// Where a sequence element sits: in a project, in a media resource (a compound clip), elsewhere.
enum class SequenceKind { project, media, other };

std::string_view rawValue(SequenceKind kind) noexcept;
// Exact and case-sensitive; any other text gives nothing.
std::optional<SequenceKind> sequenceKindFromRawValue(std::string_view text) noexcept;

// One element directly on a sequence's primary spine, whatever its name.
struct SpineClip {
    std::string elementType;  // the element name as written ("asset-clip", "gap", "transition", ...)
    std::string name;         // empty when the element has none
    std::optional<std::string> ref;
    // From the asset resource whose id is `ref`; resourceName falls back to the media resource's name
    // when no asset has that id.
    std::optional<std::string> assetUID;
    std::optional<std::string> resourceName;
    Rational offset;                // 0/1 when absent or unreadable
    std::optional<Rational> start;  // absent when absent or unreadable
    Rational duration;              // 0/1 when absent or unreadable

    bool isGap() const noexcept { return elementType == "gap"; }
    bool isTransition() const noexcept { return elementType == "transition"; }

    friend bool operator==(const SpineClip&, const SpineClip&) = default;
};

struct Sequence {
    std::string name;
    SequenceKind kind = SequenceKind::other;
    std::optional<std::string> formatID;
    // The frameDuration of the format resource named by formatID, wherever that format stands in the
    // document.
    std::optional<Rational> frameDuration;
    double tcStartSeconds = 0.0;   // finite; 0.0 when absent or unreadable
    std::vector<SpineClip> clips;  // document order
    // A media sequence that a ref-clip directly inside an event refers to (a compound clip of an event).
    bool isEventTimeline = false;

    // Frames per second: frameDuration's denominator / numerator; 24.0 without a frame duration or with
    // a zero numerator. Always finite.
    double fps() const noexcept;

    friend bool operator==(const Sequence&, const Sequence&) = default;
};

struct Document {
    std::optional<std::string> version;  // of the first fcpxml element that has one
    std::vector<Sequence> sequences;     // in the order their elements end

    // The first project sequence whose name equals `name` under a locale-aware case-insensitive
    // comparison, else the first sequence of any kind that does; null when none does. Points into
    // `sequences`.
    const Sequence* sequence(std::string_view name) const;

    // The timeline the document is about: the only project sequence; else, with no project, the only
    // event timeline; else the sequence with the most clips (the earliest on a tie); null when the
    // document has no sequences. Points into `sequences`.
    const Sequence* primaryTimeline() const noexcept;
};

}  // namespace brimlock::FCPXMLParser
