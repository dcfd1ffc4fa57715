#include "Platform/Automation/FinalCutProAutomationError.h"

namespace platform {

namespace {

constexpr long kPermissionRefused = -1743;

}  // namespace

FinalCutProAutomationError FinalCutProAutomationError::notRunning() {
    return {Kind::notRunning, "Final Cut Pro is not running."};
}

FinalCutProAutomationError FinalCutProAutomationError::noScriptObject() {
    return {Kind::noScriptObject, "Internal error: could not create the AppleScript object."};
}

FinalCutProAutomationError FinalCutProAutomationError::scriptFailed(std::optional<long> errorNumber,
                                                                    const std::optional<std::string>& message) {
    const Kind kind = errorNumber == kPermissionRefused ? Kind::noPermission : Kind::scriptFailed;
    return {kind, scriptFailureText(errorNumber, message)};
}

std::string scriptFailureText(std::optional<long> errorNumber, const std::optional<std::string>& message) {
    if (errorNumber == kPermissionRefused) {
        return "No automation permission for Final Cut Pro. Please allow QuilloToDo to control Final Cut Pro in "
               "System Settings \xE2\x80\xBA Privacy & Security \xE2\x80\xBA Automation.";
    }
    return "AppleScript error " + (errorNumber ? std::to_string(*errorNumber) : std::string("?")) + ": " +
           message.value_or("unknown");
}

}  // namespace platform
