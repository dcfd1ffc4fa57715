#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFuture>
#include <QTimer>

#include <time.h>

#include <algorithm>
#include <utility>

namespace quillo::bench {

// What the main thread went through while a timer ticked every 5 ms until some work ran to its end,
// in milliseconds.
struct Stall {
    double wallMs = 0;  // the longest it went without serving the timer
    // The most processor time it spent itself between two ticks: the stall without what other
    // processes of a loaded machine take from it.
    double busyMs = 0;
};

inline double mainThreadCpuMs() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Ticks every 5 ms on the main thread from its construction, recording the longest gaps; the event
// loop must run for it to tick.
class StallMeter {
public:
    StallMeter() {
        ticker_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker_, &QTimer::timeout, [this] { tick(); });
        ticker_.start(kTickMs);
        sinceTick_.start();
    }

    // The longest gaps so far, the one still open included.
    Stall longest() {
        tick();
        return longest_;
    }
    // Starts recording afresh.
    void reset() {
        tick();
        longest_ = {};
    }

private:
    static constexpr int kTickMs = 5;

    void tick() {
        longest_.wallMs = std::max(longest_.wallMs, static_cast<double>(sinceTick_.nsecsElapsed()) / 1e6);
        sinceTick_.restart();
        const double cpu = mainThreadCpuMs();
        longest_.busyMs = std::max(longest_.busyMs, cpu - std::exchange(cpuAtTick_, cpu));
    }

    Stall longest_;
    QElapsedTimer sinceTick_;
    double cpuAtTick_ = mainThreadCpuMs();
    QTimer ticker_;
};

template <class T>
Stall mainThreadStall(const QFuture<T>& work) {
    StallMeter meter;
    // Sleeps until an event comes (a tick at the latest): a busy wait would count as work.
    while (!work.isFinished()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return meter.longest();
}

// The longest the main thread went without serving a timer that ticks every 5 ms while `work` ran
// to its end, in milliseconds.
template <class T>
double longestStall(const QFuture<T>& work) {
    return mainThreadStall(work).wallMs;
}

}  // namespace quillo::bench
