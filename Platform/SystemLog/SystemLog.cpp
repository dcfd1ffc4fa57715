#include "Platform/SystemLog/SystemLog.h"

#include <syslog.h>

#include <mutex>
#include <string>
#include <utility>

namespace platform::systemlog {

namespace {

std::mutex& sinkMutex() {
    static std::mutex mutex;
    return mutex;
}

std::function<void(std::string_view)>& currentSink() {
    static std::function<void(std::string_view)> sink;
    return sink;
}

void writeToSyslog(std::string_view line) {
    // openlog keeps the ident pointer: it must outlive every later syslog call.
    static const bool opened = [] {
        openlog("QuilloToDo", LOG_PID, LOG_USER);
        return true;
    }();
    (void)opened;
    const std::string text(line);
    syslog(LOG_NOTICE, "%s", text.c_str());
}

}  // namespace

void write(std::string_view line) {
    std::function<void(std::string_view)> sink;
    {
        const std::lock_guard lock(sinkMutex());
        sink = currentSink();
    }
    if (sink) {
        sink(line);
        return;
    }
    writeToSyslog(line);
}

Capture::Capture(std::function<void(std::string_view)> sink) {
    const std::lock_guard lock(sinkMutex());
    previous_ = std::exchange(currentSink(), std::move(sink));
}

Capture::~Capture() {
    const std::lock_guard lock(sinkMutex());
    currentSink() = std::move(previous_);
}

}  // namespace platform::systemlog
