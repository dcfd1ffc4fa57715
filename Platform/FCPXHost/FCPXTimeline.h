#pragma once

#include "Platform/FCPXHost/FCPXTime.h"

#include <optional>
#include <string>

namespace platform {

class FCPXTimelineObserver;

// The sequence the host shows in its timeline.
struct FCPXSequence {
    std::string name;
};

// The host's timeline: which sequence is active, observers of its changes, and the playhead.
class FCPXTimeline {
public:
    virtual ~FCPXTimeline() = default;

    // Nothing when no sequence is open.
    virtual std::optional<FCPXSequence> activeSequence() const = 0;
    // The timeline does not own the observer; it calls it until removed.
    virtual void addTimelineObserver(FCPXTimelineObserver* observer) = 0;
    virtual void removeTimelineObserver(FCPXTimelineObserver* observer) = 0;
    virtual void movePlayheadTo(FCPXTime time) = 0;
};

}  // namespace platform
