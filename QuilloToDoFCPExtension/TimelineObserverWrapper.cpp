#include "QuilloToDoFCPExtension/TimelineObserverWrapper.h"

#include "QuilloToDoFCPExtension/QuilloToDoFCPExtensionViewController.h"

#include <QMetaObject>
#include <QThread>

namespace quillo {

TimelineObserverWrapper::TimelineObserverWrapper(QuilloToDoFCPExtensionViewController* viewController)
    : viewController_(viewController) {}

void TimelineObserverWrapper::activeSequenceChanged() { sequenceChanged(); }

void TimelineObserverWrapper::sequenceTimeRangeChanged() { sequenceChanged(); }

void TimelineObserverWrapper::sequenceChanged() {
    QuilloToDoFCPExtensionViewController* viewController = viewController_.data();
    if (!viewController) return;
    // The host calls on a thread of its choosing; the sequence name and the label belong to the
    // controller's.
    if (QThread::currentThread() == viewController->thread()) {
        viewController->handleSequenceChanged();
        return;
    }
    QMetaObject::invokeMethod(viewController, &QuilloToDoFCPExtensionViewController::handleSequenceChanged,
                              Qt::QueuedConnection);
}

}  // namespace quillo
