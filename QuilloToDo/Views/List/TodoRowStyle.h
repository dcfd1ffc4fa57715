#pragma once

#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include <QColor>
#include <QString>

// How one to-do row shows its item: the badge and the title's look.
namespace quillo::TodoRowStyle {

// The badge's symbol by kind and status:
//   standard               "mappin.circle.fill"     system blue
//   to-do, done            "checkmark.circle.fill"  system green
//   to-do, open or unknown "circle"                 accent
//   chapter                "bookmark.fill"          system orange
QString badgeSymbol(const TodoItem& item);
QColor badgeColor(const TodoItem& item);

// A done item (whatever its kind) is struck through in the tertiary text colour.
bool isTitleStruckThrough(const TodoItem& item);
QColor titleColor(const TodoItem& item);

// The mark of a to-do whose reminder was completed in its reminders list, and its tooltip.
inline const char* const kDoneInRemindersSymbol = "checklist.checked";
inline const char* const kDoneInRemindersTooltip = "Completed in its reminders list";

}  // namespace quillo::TodoRowStyle
