#pragma once

#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include <QString>

#include <cstddef>

// The texts of the extension's panel.
namespace quillo::extensionpaneltext {

inline const QString kConnecting = QStringLiteral("Connecting to QuilloToDo…");
inline const QString kNoHost = QStringLiteral("Failed to connect to Final Cut Pro");

// "Waiting for QuilloToDo…" for no items, else "1 marker", "2 markers", ...
QString status(std::size_t itemCount);

// "ASSIGNEE: TEXT  [TIMECODE]"; without an assignee "TEXT  [TIMECODE]". An empty assignee name still
// counts as one.
QString cell(const TodoItem& item);

}  // namespace quillo::extensionpaneltext
