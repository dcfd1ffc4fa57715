#pragma once

#include <QKeySequence>
#include <QList>

// The keyboard shortcuts of the application's commands, shared by the commands themselves and by
// the captions that name them.
namespace quillo::MenuShortcuts {

// "Export Shown To-Dos as Reminders List …": Ctrl+Shift+E.
inline QKeySequence exportReminders() { return QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E); }
// "Send Feedback …": Ctrl+?. Keyboard layouts that put "?" on a shifted key deliver Ctrl+Shift+?
// or Ctrl+Shift+/, which sendFeedbackAlternates() lists.
inline QKeySequence sendFeedback() { return QKeySequence(Qt::CTRL | Qt::Key_Question); }
inline QList<QKeySequence> sendFeedbackAlternates() {
    return {sendFeedback(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Question),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Slash)};
}
// The settings window: the platform's settings shortcut (Ctrl+,).
inline QKeySequence settings() { return QKeySequence(Qt::CTRL | Qt::Key_Comma); }

}  // namespace quillo::MenuShortcuts
