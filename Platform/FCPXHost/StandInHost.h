#pragma once

#include "Platform/FCPXHost/FCPXHost.h"
#include "Platform/FCPXHost/FCPXTimeline.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// A host for running the extension outside the editing application: its timeline has one active
// sequence (or none), which can be changed, and it writes every playhead move as a line
// "playhead VALUE/TIMESCALE" to its output. Not thread-safe: one thread drives it.
class StandInHost final : public FCPXHost, private FCPXTimeline {
public:
    // `output` must outlive the host.
    StandInHost(std::optional<std::string> activeSequenceName, std::ostream& output);

    FCPXTimeline* timeline() override { return this; }

    // Makes `name` the active sequence (nothing: none) and tells the observers.
    void setActiveSequence(std::optional<std::string> name);
    const std::vector<FCPXTimelineObserver*>& observers() const noexcept { return observers_; }

private:
    std::optional<FCPXSequence> activeSequence() const override;
    void addTimelineObserver(FCPXTimelineObserver* observer) override;
    void removeTimelineObserver(FCPXTimelineObserver* observer) override;
    void movePlayheadTo(FCPXTime time) override;

    std::optional<std::string> activeSequenceName_;
    std::ostream& output_;
    std::vector<FCPXTimelineObserver*> observers_;
};

}  // namespace platform
