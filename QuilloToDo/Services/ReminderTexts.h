#pragma once

#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include <QDate>
#include <QString>

#include <vector>

// What a to-do looks like as a reminder, and the name offered for a new list.
namespace quillo::ReminderTexts {

// "<assignee>: <text>" when the to-do has a non-empty assignee, else its text.
QString reminderTitle(const TodoItem& item);
// Where the marker sits, its role and chapter note when present, and where it came from; one per
// line, no line feed at the end.
QString reminderNotes(const TodoItem& item);
// The only timeline's name, else the only library's name, with " – To-Dos"; otherwise
// "QuilloToDo – " and `today` in the locale's abbreviated date style.
QString suggestedListTitle(const std::vector<TodoItem>& items, const QDate& today);

}  // namespace quillo::ReminderTexts
