#pragma once

#include "testing/ItemBuilder.h"
#include "testing/ItemContainer.h"
#include "testing/TimelineBuilder.h"
#include "testing/Time.h"

#include <cstdint>
#include <string>

namespace quillo::testing {

// A multicam clip's own sequence: an inner sequence whose storyline starts with a gap as long as the
// multicam, with one "FFAnchoredAngle" per angle connected to that gap on lanes 1, 2, ...; each angle
// carries "angleID" and takes its clips in its "containedItems".
class MulticamBuilder {
public:
    MulticamBuilder(EventBuilder& event, std::string name, Time duration);

    ItemContainer angle(std::string name, std::string angleID);

    const std::string& name() const noexcept { return timeline_.name(); }
    const std::string& mediaIdentifier() const noexcept { return timeline_.mediaIdentifier(); }
    std::int64_t sequencePK() const noexcept { return timeline_.sequencePK(); }
    const TimelineBuilder& timeline() const noexcept { return timeline_; }

private:
    TimelineBuilder timeline_;
    ItemBuilder base_;
    Time duration_;
    std::int64_t angles_ = 0;
};

}  // namespace quillo::testing
