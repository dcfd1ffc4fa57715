#include "BrimlockCore/Validation/FCPXMLDocument.h"

#include "Platform/Foundation/UnicodeText.h"

#include <algorithm>

namespace brimlock::FCPXMLParser {

std::string_view rawValue(SequenceKind kind) noexcept {
    switch (kind) {
    case SequenceKind::project: return "project";
    case SequenceKind::media: return "media";
    case SequenceKind::other: return "other";
    }
    return "other";
}

std::optional<SequenceKind> sequenceKindFromRawValue(std::string_view text) noexcept {
    for (const SequenceKind kind : {SequenceKind::project, SequenceKind::media, SequenceKind::other}) {
        if (rawValue(kind) == text) return kind;
    }
    return std::nullopt;
}

double Sequence::fps() const noexcept {
    if (!frameDuration || frameDuration->numerator == 0) return 24.0;
    return static_cast<double>(frameDuration->denominator) / static_cast<double>(frameDuration->numerator);
}

const Sequence* Document::sequence(std::string_view name) const {
    const auto named = [&](const Sequence& candidate) {
        return platform::localizedCaseInsensitiveCompare(candidate.name, name) == std::weak_ordering::equivalent;
    };
    for (const Sequence& candidate : sequences) {
        if (candidate.kind == SequenceKind::project && named(candidate)) return &candidate;
    }
    for (const Sequence& candidate : sequences) {
        if (named(candidate)) return &candidate;
    }
    return nullptr;
}

const Sequence* Document::primaryTimeline() const noexcept {
    const auto isProject = [](const Sequence& s) { return s.kind == SequenceKind::project; };
    const auto projects = std::count_if(sequences.begin(), sequences.end(), isProject);
    if (projects == 1) return &*std::find_if(sequences.begin(), sequences.end(), isProject);

    const auto isEventTimeline = [](const Sequence& s) { return s.isEventTimeline; };
    if (projects == 0 && std::count_if(sequences.begin(), sequences.end(), isEventTimeline) == 1)
        return &*std::find_if(sequences.begin(), sequences.end(), isEventTimeline);

    if (sequences.empty()) return nullptr;
    // max_element keeps the first of equal elements.
    return &*std::max_element(sequences.begin(), sequences.end(),
                              [](const Sequence& a, const Sequence& b) { return a.clips.size() < b.clips.size(); });
}

}  // namespace brimlock::FCPXMLParser
