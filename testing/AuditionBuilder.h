#pragma once

#include "testing/ItemBuilder.h"
#include "testing/ItemContainer.h"

namespace quillo::testing {

// An audition ("FFAnchoredStack"). The first item added to active() is the pick readers follow (the
// first child of "activeVariant"); the other takes go to alternatives() ("variants"). Connected, the
// stack carries "anchoredLane" and "anchorPair", the latter counted from its pick's start.
class AuditionBuilder : public ItemBuilder {
public:
    AuditionBuilder(ItemBuilder stack, ItemContainer active, ItemContainer alternatives)
        : ItemBuilder(stack), active_(std::move(active)), alternatives_(std::move(alternatives)) {}

    const ItemContainer& active() const noexcept { return active_; }
    const ItemContainer& alternatives() const noexcept { return alternatives_; }

private:
    ItemContainer active_;
    ItemContainer alternatives_;
};

}  // namespace quillo::testing
