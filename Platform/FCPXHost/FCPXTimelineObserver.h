#pragma once

namespace platform {

// What the host's timeline tells an observer. The host calls on a thread of its choosing.
class FCPXTimelineObserver {
public:
    virtual ~FCPXTimelineObserver() = default;

    virtual void activeSequenceChanged() = 0;
    virtual void sequenceTimeRangeChanged() = 0;
    virtual void playheadTimeChanged() = 0;
};

}  // namespace platform
