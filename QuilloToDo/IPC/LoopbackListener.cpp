#include "QuilloToDo/IPC/LoopbackListener.h"

#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillo {

namespace {

QString errorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

}  // namespace

LoopbackListener::LoopbackListener(std::chrono::milliseconds retryDelay, QObject* parent)
    : QObject(parent), retryDelay_(retryDelay) {}

LoopbackListener::~LoopbackListener() {
    notifier_.setEnabled(false);  // before its descriptor goes
    if (fd_ >= 0) ::close(fd_);
}

bool LoopbackListener::listen() {
    if (fd_ >= 0) return true;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, SOMAXCONN) != 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        error_ = errorText(errno);
        if (fd >= 0) ::close(fd);
        return false;
    }
    fd_ = fd;
    port_ = ntohs(address.sin_port);
    notifier_.setSocket(fd_);
    connect(&notifier_, &QSocketNotifier::activated, this, &LoopbackListener::acceptPending);
    notifier_.setEnabled(true);
    return true;
}

void LoopbackListener::acceptPending() {
    for (;;) {
        const int descriptor = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (descriptor >= 0) {
            emit accepted(descriptor);
            continue;
        }
        const int error = errno;
        if (error == EINTR || error == ECONNABORTED) continue;  // the next one may be fine
        if (error == EAGAIN || error == EWOULDBLOCK) return;    // none left
        // Out of descriptors or memory: the waiting connections stay queued until the next try.
        notifier_.setEnabled(false);
        QTimer::singleShot(retryDelay_, &notifier_, [this] { notifier_.setEnabled(true); });
        emit acceptFailed(errorText(error));
        return;
    }
}

}  // namespace quillo
