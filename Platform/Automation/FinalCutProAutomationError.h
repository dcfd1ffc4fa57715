#pragma once

#include <optional>
#include <stdexcept>
#include <string>

namespace platform {

// Why Final Cut Pro could not be asked for its open libraries; what() is the text shown to the user.
class FinalCutProAutomationError : public std::runtime_error {
public:
    enum class Kind {
        notRunning,      // "Final Cut Pro is not running."
        noScriptObject,  // "Internal error: could not find lsof."
        noPermission,    // the permission text
        scriptFailed,    // "Could not list the open libraries (error <number>): <message>"
    };

    static FinalCutProAutomationError notRunning();
    static FinalCutProAutomationError noScriptObject();
    // A failed run with its error number and message, either possibly unknown. Error -1743 is the
    // refused automation permission.
    static FinalCutProAutomationError scriptFailed(std::optional<long> errorNumber,
                                                   const std::optional<std::string>& message);

    Kind kind() const noexcept { return kind_; }

private:
    FinalCutProAutomationError(Kind kind, const std::string& text) : std::runtime_error(text), kind_(kind) {}

    Kind kind_;
};

// The text of a failed run: the permission text for -1743, else "Could not list the open libraries",
// " (error <number>)" when there is a number, ": " and the message or "unknown".
std::string scriptFailureText(std::optional<long> errorNumber, const std::optional<std::string>& message);

}  // namespace platform
