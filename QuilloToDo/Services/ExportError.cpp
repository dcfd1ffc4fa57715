#include "QuilloToDo/Services/ExportError.h"

namespace quillo {

namespace {

const char* description(ExportError::Kind kind) {
    switch (kind) {
    case ExportError::Kind::accessDenied:
        return "QuilloToDo doesn't have access to the reminders folder. Please make it a folder you can write to.";
    case ExportError::Kind::listNotFound: return "The selected Reminders list could not be found.";
    case ExportError::Kind::noSourceForNewList: return "There is no reminders folder a new list could be created in.";
    case ExportError::Kind::nothingToExport: return "No to-dos to export.";
    }
    return "";
}

}  // namespace

ExportError::ExportError(Kind kind) : std::runtime_error(description(kind)), kind_(kind) {}

}  // namespace quillo
