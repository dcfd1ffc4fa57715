#pragma once

#include "Platform/Foundation/UUID.h"

#include <optional>

namespace quillo {

// The selection after the user picks the row of item `picked`: picking the selected row clears the
// selection, any other row selects it.
inline std::optional<platform::UUID> selectionAfterPicking(const std::optional<platform::UUID>& selected,
                                                           const platform::UUID& picked) {
    if (selected == picked) return std::nullopt;
    return picked;
}

}  // namespace quillo
