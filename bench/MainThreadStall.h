#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFuture>
#include <QTimer>

#include <algorithm>

namespace quillo::bench {

// The longest the main thread went without serving a timer that ticks every 5 ms while `work` ran
// to its end, in milliseconds.
template <class T>
double longestStall(const QFuture<T>& work) {
    constexpr int kTickMs = 5;
    QElapsedTimer sinceTick;
    qint64 longest = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] { longest = std::max(longest, sinceTick.restart()); });
    ticker.start(kTickMs);
    sinceTick.start();
    while (!work.isFinished()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    longest = std::max(longest, sinceTick.elapsed());
    return static_cast<double>(longest);
}

}  // namespace quillo::bench
