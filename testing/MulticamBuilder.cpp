#include "testing/MulticamBuilder.h"

#include "testing/EventBuilder.h"

namespace quillo::testing {

MulticamBuilder::MulticamBuilder(EventBuilder& event, std::string name, Time duration)
    : timeline_(event, std::move(name), {.kind = SequenceKind::inner}),
      base_(timeline_.gap(duration)),
      duration_(duration) {
    timeline_.primaryItem().attribute("isMultiCam", true);
}

ItemContainer MulticamBuilder::angle(std::string name, std::string angleID) {
    ++angles_;
    const auto made = base_.connect(angles_, 0.0)
                          .item("FFAnchoredAngle", std::move(name), 0.0, duration_)
                          .attribute("angleID", std::move(angleID));
    return ItemContainer(made.event(), made.pk(), "containedItems");
}

}  // namespace quillo::testing
