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

template <class T>
Stall mainThreadStall(const QFuture<T>& work) {
    constexpr int kTickMs = 5;
    Stall longest;
    QElapsedTimer sinceTick;
    double cpuAtTick = mainThreadCpuMs();
    const auto tick = [&] {
        longest.wallMs = std::max(longest.wallMs, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.restart();
        const double cpu = mainThreadCpuMs();
        longest.busyMs = std::max(longest.busyMs, cpu - std::exchange(cpuAtTick, cpu));
    };
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, tick);
    ticker.start(kTickMs);
    sinceTick.start();
    // Sleeps until an event comes (a tick at the latest): a busy wait would count as work.
    while (!work.isFinished()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    tick();
    return longest;
}

// The longest the main thread went without serving a timer that ticks every 5 ms while `work` ran
// to its end, in milliseconds.
template <class T>
double longestStall(const QFuture<T>& work) {
    return mainThreadStall(work).wallMs;
}

}  // namespace quillo::bench
