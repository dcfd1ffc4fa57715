#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <chrono>

namespace quillo {

// A TCP listener on 127.0.0.1 that goes on accepting through errors. Qt's own listener stops for good
// after an accept error (out of file descriptors, say), and once it has accepted a connection it
// retries such an error in a busy loop without reporting it. Here a failed accept pauses accepting
// for the retry delay, reports it, and the connection waits in the kernel's queue meanwhile. Lives on
// its creating thread.
class LoopbackListener : public QObject {
    Q_OBJECT

public:
    explicit LoopbackListener(std::chrono::milliseconds retryDelay, QObject* parent = nullptr);
    ~LoopbackListener() override;

    // Listens on a port the system picks; false, with the reason in errorString(), when it cannot.
    bool listen();
    // 0 until listen() succeeded.
    quint16 port() const noexcept { return port_; }
    const QString& errorString() const noexcept { return error_; }

signals:
    // A new connection; the receiver owns the descriptor (connect directly, or it leaks).
    void accepted(qintptr descriptor);
    // Accepting failed; it is tried again after the retry delay, and reported again if it fails.
    void acceptFailed(const QString& reason);

private:
    void acceptPending();

    std::chrono::milliseconds retryDelay_;
    int fd_ = -1;
    quint16 port_ = 0;
    // A member, not a child on the heap: reached without a pointer, its calls need no type check, and
    // an undefined-behaviour sanitizer checking one needs file descriptors, of which there may be none
    // left when accepting fails.
    QSocketNotifier notifier_{QSocketNotifier::Read};
    QString error_;
};

}  // namespace quillo
