#include "Platform/FCPXHost/StandInHost.h"

#include "Platform/FCPXHost/FCPXTimelineObserver.h"

#include <algorithm>
#include <ostream>
#include <utility>

namespace platform {

StandInHost::StandInHost(std::optional<std::string> activeSequenceName, std::ostream& output)
    : activeSequenceName_(std::move(activeSequenceName)), output_(output) {}

void StandInHost::setActiveSequence(std::optional<std::string> name) {
    activeSequenceName_ = std::move(name);
    // An observer may remove itself while being told.
    const auto observers = observers_;
    for (FCPXTimelineObserver* observer : observers)
        if (std::ranges::find(observers_, observer) != observers_.end()) observer->activeSequenceChanged();
}

std::optional<FCPXSequence> StandInHost::activeSequence() const {
    if (!activeSequenceName_) return std::nullopt;
    return FCPXSequence{*activeSequenceName_};
}

void StandInHost::addTimelineObserver(FCPXTimelineObserver* observer) {
    if (std::ranges::find(observers_, observer) == observers_.end()) observers_.push_back(observer);
}

void StandInHost::removeTimelineObserver(FCPXTimelineObserver* observer) { std::erase(observers_, observer); }

void StandInHost::movePlayheadTo(FCPXTime time) {
    output_ << "playhead " << time.value << '/' << time.timescale << std::endl;
}

}  // namespace platform
