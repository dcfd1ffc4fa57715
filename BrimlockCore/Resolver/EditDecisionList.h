#pragma once

#include "BrimlockCore/Model/EditEntry.h"
#include "BrimlockCore/Timecode/FrameRate.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brimlock {

// The edits of one timeline's primary storyline, and beside them the items the storyline walk lays
// in without an edit of their own. Immutable after creation; shared by the resolver's cache.
//
// Times are seconds from the start of the timeline. An entry covers the half-open range
// [timelineIn, timelineOut): a time equal to one edit's timelineOut and the next one's timelineIn
// finds the next edit.
class EditDecisionList {
public:
    // A gap, an enabled compound clip or an audition stack that the walk laid in. Such items make no
    // entry, but markers and connected clips hang on them too.
    struct LaidInItem {
        std::int64_t collectionPK = 0;
        double timelineStart = 0;         // where it lies on the timeline
        double sourceStart = 0;           // start of its own "clippedRange"; 0 without one
        std::optional<std::string> name;  // "displayName"
        // Its markers come after those of entries()[0 ..< entriesBefore] and before the rest.
        std::size_t entriesBefore = 0;
    };

    // Sorts the entries by timelineIn, stably: equal starts keep the order given. The items'
    // entriesBefore count entries in the order given and are carried over to the sorted order (an
    // item stays right after the entry it followed); the items keep their order given within each
    // place.
    EditDecisionList(std::int64_t timelineID, std::vector<EditEntry> entries, std::vector<LaidInItem> laidInItems = {});

    // Key of the sequence collection the list was built for.
    std::int64_t timelineID() const noexcept { return timelineID_; }
    const std::vector<EditEntry>& entries() const noexcept { return entries_; }
    // Ordered by entriesBefore.
    const std::vector<LaidInItem>& laidInItems() const noexcept { return laidInItems_; }

    std::size_t count() const noexcept { return entries_.size(); }
    // timelineOut of the last entry; 0 for an empty list.
    double duration() const noexcept;

    // The entry with timelineIn <= t < timelineOut, by binary search (entries may overlap only on a
    // damaged timeline, and then one of them may be missed); nullptr when there is none, also for a
    // time that is no number. Entries live as long as the list.
    const EditEntry* lookup(double t) const noexcept;
    // lookup(frame / fps of the rate), without rounding.
    const EditEntry* lookup(std::int64_t frame, FrameRate rate) const noexcept;
    // The entries whose [timelineIn, timelineOut) meets [startSeconds, endSeconds), in list order.
    std::vector<const EditEntry*> lookup(double startSeconds, double endSeconds) const;

private:
    std::int64_t timelineID_;
    std::vector<EditEntry> entries_;
    std::vector<LaidInItem> laidInItems_;
};

}  // namespace brimlock
