#pragma once

#include "testing/ItemBuilder.h"
#include "testing/TimelineBuilder.h"

namespace quillo::testing {

// A compound clip ("FFAnchoredClip") and the inner sequence it refers to; items added to inner()
// make up the compound clip's contents.
class CompoundBuilder : public ItemBuilder {
public:
    CompoundBuilder(ItemBuilder clip, TimelineBuilder inner) : ItemBuilder(clip), inner_(std::move(inner)) {}

    const TimelineBuilder& inner() const noexcept { return inner_; }

private:
    TimelineBuilder inner_;
};

}  // namespace quillo::testing
