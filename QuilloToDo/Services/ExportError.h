#pragma once

#include <stdexcept>

namespace quillo {

// Why a reminders export refused to start; what() is the text shown to the user.
class ExportError : public std::runtime_error {
public:
    enum class Kind { accessDenied, listNotFound, noSourceForNewList, nothingToExport };

    explicit ExportError(Kind kind);

    Kind kind() const noexcept { return kind_; }

private:
    Kind kind_;
};

}  // namespace quillo
