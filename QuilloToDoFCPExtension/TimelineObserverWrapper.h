#pragma once

#include "Platform/FCPXHost/FCPXTimelineObserver.h"

#include <QPointer>

namespace quillo {

class QuilloToDoFCPExtensionViewController;

// What the host's timeline calls when its sequence changes: passes it on to the view controller, on
// the controller's thread, while the controller exists.
class TimelineObserverWrapper final : public platform::FCPXTimelineObserver {
public:
    explicit TimelineObserverWrapper(QuilloToDoFCPExtensionViewController* viewController);

    void activeSequenceChanged() override;
    void sequenceTimeRangeChanged() override;
    // The playhead is not followed.
    void playheadTimeChanged() override {}

private:
    void sequenceChanged();

    QPointer<QuilloToDoFCPExtensionViewController> viewController_;
};

}  // namespace quillo
