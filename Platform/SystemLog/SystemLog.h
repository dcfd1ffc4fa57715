#pragma once

#include <functional>
#include <string>
#include <string_view>

// The application's system log: syslog(3) under the ident "QuilloToDo". Every line the application
// logs goes through write(), so a test can take the lines instead of the syslog daemon.
namespace platform::systemlog {

// One line, at the notice level. Safe from any thread.
void write(std::string_view line);

// Replaces the destination of write() until the returned capture is destroyed; lines then reach
// `sink` instead of syslog. Captures nest: the innermost one receives.
class Capture {
public:
    explicit Capture(std::function<void(std::string_view)> sink);
    ~Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

private:
    std::function<void(std::string_view)> previous_;
};

}  // namespace platform::systemlog
