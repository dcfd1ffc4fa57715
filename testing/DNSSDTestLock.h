#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace quillo::test {

// Every test that announces or browses for the application's service holds this for its duration:
// test processes (of every build tree) share one DNS-SD daemon and one service name, so one test's
// client could otherwise find another test's server.
class DNSSDTestLock {
public:
    DNSSDTestLock() : fd_(::open("/tmp/quillo-dnssd-tests.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
        if (fd_ >= 0) ::flock(fd_, LOCK_EX);
    }
    ~DNSSDTestLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    DNSSDTestLock(const DNSSDTestLock&) = delete;
    DNSSDTestLock& operator=(const DNSSDTestLock&) = delete;

private:
    int fd_;
};

}  // namespace quillo::test
