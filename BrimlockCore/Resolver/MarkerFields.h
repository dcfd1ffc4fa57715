#pragma once

#include "BrimlockCore/Model/MarkerType.h"

#include <optional>
#include <string>

namespace brimlock {

namespace BlobDecoder {
class DecodedBlob;
}

// What a marker's attribute blob ("FFAnchoredTimeMarker") says, with the defaults for missing or
// mistyped values. Read the same way for an edit's marker list and for the marker scan.
struct MarkerFields {
    std::string text = "Marker";  // "displayName"; an empty text stays empty
    MarkerType type = MarkerType::standard;
    // Only for markers carrying "isTodo": the first completion key holding a Boolean or an integer
    // decides (an integer is true unless 0); absent when none does.
    std::optional<bool> completed;
    std::optional<std::string> chapterNote;  // chapters only: "metadata" > "notes"
    double start = 0;                        // seconds: start of "clippedRange", in the time of the item it hangs on

    // Chapter when "isChapter" is the Boolean true; else to-do when "isTodo" is present with any
    // value; else standard.
    static MarkerFields read(const BlobDecoder::DecodedBlob& blob);
};

// A marker's timeline position, (start - containerSourceStart) + containerTimelineStart; nothing when
// that is no finite number (such a marker cannot be written out and is skipped).
std::optional<double> markerTimelinePosition(double start, double containerSourceStart,
                                             double containerTimelineStart) noexcept;

}  // namespace brimlock
