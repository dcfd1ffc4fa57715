#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFuture>

#include <gtest/gtest.h>

namespace quillo::test {

// Runs the event loop (which delivers the continuations) until `future` has finished; fails the
// test after a generous limit instead of hanging.
template <class T>
bool awaitFuture(const QFuture<T>& future, int limitMs = 60'000) {
    const QDeadlineTimer deadline(limitMs);
    while (!future.isFinished() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_TRUE(future.isFinished()) << "the future did not finish within " << limitMs << " ms";
    return future.isFinished();
}

}  // namespace quillo::test
