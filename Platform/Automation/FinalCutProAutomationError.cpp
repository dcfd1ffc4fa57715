#include "Platform/Automation/FinalCutProAutomationError.h"

namespace platform {

namespace {

constexpr long kPermissionRefused = -1743;

}  // namespace

FinalCutProAutomationError FinalCutProAutomationError::notRunning() {
    return {Kind::notRunning, "Final Cut Pro is not running."};
}

FinalCutProAutomationError FinalCutProAutomationError::noScriptObject() {
    return {Kind::noScriptObject, "Internal error: could not find lsof."};
}

FinalCutProAutomationError FinalCutProAutomationError::scriptFailed(std::optional<long> errorNumber,
                                                                    const std::optional<std::string>& message) {
    const Kind kind = errorNumber == kPermissionRefused ? Kind::noPermission : Kind::scriptFailed;
    return {kind, scriptFailureText(errorNumber, message)};
}

std::string scriptFailureText(std::optional<long> errorNumber, const std::optional<std::string>& message) {
    if (errorNumber == kPermissionRefused) {
        return "No permission to see the files Final Cut Pro has open. Please run QuilloToDo as the user who runs "
               "Final Cut Pro.";
    }
    return "Could not list the open libraries" +
           (errorNumber ? " (error " + std::to_string(*errorNumber) + ")" : std::string()) + ": " +
           message.value_or("unknown");
}

}  // namespace platform
