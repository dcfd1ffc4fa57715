#pragma once

#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include <vector>

namespace quillo {

// Who receives the lists the extension's network client reads from the application.
class ExtensionNetworkClientDelegate {
public:
    // Each received `todoList`, whole, on the main thread; it replaces everything received before.
    virtual void didReceive(std::vector<TodoItem> items) = 0;

protected:
    ~ExtensionNetworkClientDelegate() = default;
};

}  // namespace quillo
