#pragma once

#include "testing/ItemBuilder.h"
#include "testing/ItemContainer.h"
#include "testing/SequenceOptions.h"

#include <cstdint>
#include <string>

namespace quillo::testing {

class EventBuilder;

// A sequence and its primary storyline; the storyline methods (clip, gap, title, compound, ...) are
// inherited. The sequence ("FFAnchoredSequence") sits in the event's "items" set; its
// "primaryObject" holds the storyline's own "FFAnchoredCollection", whose "displayName" names the
// timeline and whose "containedItems" take the items. Every sequence carries a "mediaIdentifier", by
// which compound and multicam clips refer to it.
class TimelineBuilder : public ItemContainer {
public:
    TimelineBuilder(EventBuilder& event, std::string name, SequenceOptions options = {});

    const std::string& name() const noexcept { return name_; }
    const std::string& mediaIdentifier() const noexcept { return mediaIdentifier_; }
    std::int64_t sequencePK() const noexcept { return sequence_; }
    std::string identifier() const;  // empty for a sequence without one

    ItemBuilder sequence() const { return ItemBuilder(event(), sequence_); }
    ItemBuilder primaryItem() const { return owner(); }

private:
    struct Made {
        std::int64_t sequence;
        std::int64_t primary;
        std::string mediaIdentifier;
    };
    TimelineBuilder(EventBuilder& event, std::string name, Made made);
    static Made make(EventBuilder& event, const std::string& name, const SequenceOptions& options);

    std::string name_;
    std::int64_t sequence_;
    std::string mediaIdentifier_;
};

}  // namespace quillo::testing
