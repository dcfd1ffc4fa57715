#pragma once

#include <QKeySequence>

// The keyboard shortcuts of the application's commands, shared by the commands themselves and by
// the captions that name them.
namespace quillo::MenuShortcuts {

// "Export Shown To-Dos as Reminders List …": Ctrl+Shift+E.
inline QKeySequence exportReminders() { return QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E); }
// "Send Feedback …": Ctrl+?, one sequence only. X11 reports a shifted key press under every key
// it could mean (US: Ctrl+? and Ctrl+Shift+/; German: Ctrl+? and Ctrl+Shift+ß): a second
// sequence of the same command would match the same press and make the shortcut ambiguous, and Qt
// then triggers nothing.
inline QKeySequence sendFeedback() { return QKeySequence(Qt::CTRL | Qt::Key_Question); }
// The settings window: the platform's settings shortcut (Ctrl+,).
inline QKeySequence settings() { return QKeySequence(Qt::CTRL | Qt::Key_Comma); }
// Quit: Ctrl+Q, as on every Linux desktop (QKeySequence::Quit is empty on some platforms).
inline QKeySequence quit() { return QKeySequence(Qt::CTRL | Qt::Key_Q); }

}  // namespace quillo::MenuShortcuts
