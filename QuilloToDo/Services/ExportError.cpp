#include "QuilloToDo/Services/ExportError.h"

namespace quillo {

namespace {

const char* description(ExportError::Kind kind) {
    switch (kind) {
    case ExportError::Kind::accessDenied:
        return "QuilloToDo doesn't have access to Reminders. Please allow it in System Settings › Privacy & "
               "Security › Reminders.";
    case ExportError::Kind::listNotFound: return "The selected Reminders list could not be found.";
    case ExportError::Kind::noSourceForNewList:
        return "There is no account a new Reminders list could be created in (iCloud or local).";
    case ExportError::Kind::nothingToExport: return "No to-dos to export.";
    }
    return "";
}

}  // namespace

ExportError::ExportError(Kind kind) : std::runtime_error(description(kind)), kind_(kind) {}

}  // namespace quillo
