#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// Why an lsof run gave no output to read.
class LsofError : public std::runtime_error {
public:
    enum class Kind {
        notFound,    // no lsof on PATH nor in /usr/sbin
        notStarted,  // it exists but could not be run
        timedOut,    // it ran past its time limit and was killed
    };

    LsofError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}

    Kind kind() const noexcept { return kind_; }

private:
    Kind kind_;
};

}  // namespace platform
