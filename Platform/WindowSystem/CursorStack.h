#pragma once

#include <QCursor>

// Stands in for the window system's cursor stack: the application-wide override cursors.
namespace platform::CursorStack {

void push(const QCursor& cursor);
// Pops the top cursor; popping an empty stack does nothing.
void pop();
// The cursor on top, or nullptr when the stack is empty.
const QCursor* top();

}  // namespace platform::CursorStack
