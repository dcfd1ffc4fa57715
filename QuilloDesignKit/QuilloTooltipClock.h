#pragma once

#include <QObject>

#include <functional>

namespace quillo {

// Runs work after a delay on the main thread; tests inject one they step by hand.
class QuilloTooltipClock {
public:
    virtual ~QuilloTooltipClock() = default;
    // Runs `work` after `ms` milliseconds unless `context` is gone by then.
    virtual void after(int ms, QObject* context, std::function<void()> work) = 0;

    // The event-loop clock every tooltip uses unless given another.
    static QuilloTooltipClock& system();
};

}  // namespace quillo
