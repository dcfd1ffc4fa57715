#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <stdexcept>

namespace quillo::testing {

// While it lives, the process can open no new file descriptor: every open, opendir and socket fails
// with EMFILE, as in a process that has run out of them. Works as root too. The soft limit is
// lowered to the lowest free descriptor number (the kernel hands out the lowest one), and restored
// when the object goes, from any thread.
class NoFreeFileDescriptors {
public:
    NoFreeFileDescriptors() {
        if (::getrlimit(RLIMIT_NOFILE, &saved_) != 0) throw std::runtime_error("getrlimit failed");
        const int lowestFree = ::dup(STDERR_FILENO);
        if (lowestFree < 0) throw std::runtime_error("no descriptor free to begin with");
        ::close(lowestFree);
        rlimit exhausted = saved_;
        exhausted.rlim_cur = static_cast<rlim_t>(lowestFree);
        if (::setrlimit(RLIMIT_NOFILE, &exhausted) != 0) throw std::runtime_error("setrlimit failed");
    }
    ~NoFreeFileDescriptors() { ::setrlimit(RLIMIT_NOFILE, &saved_); }
    NoFreeFileDescriptors(const NoFreeFileDescriptors&) = delete;
    NoFreeFileDescriptors& operator=(const NoFreeFileDescriptors&) = delete;

private:
    rlimit saved_{};
};

}  // namespace quillo::testing
