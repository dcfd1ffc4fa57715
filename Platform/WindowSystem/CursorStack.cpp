#include "Platform/WindowSystem/CursorStack.h"

#include <QGuiApplication>

namespace platform::CursorStack {

void push(const QCursor& cursor) { QGuiApplication::setOverrideCursor(cursor); }

void pop() {
    if (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
}

const QCursor* top() { return QGuiApplication::overrideCursor(); }

}  // namespace platform::CursorStack
