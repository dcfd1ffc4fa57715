#pragma once

#include "QuilloToDoKit/QuilloToDoModel/TodoItem.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The wire form of a `todoList` message written and read directly, without a JSON tree, for lists
// of tens of thousands of items. Both answer nothing where the tree coder must decide (an error, an
// unusual document); the tree coder then produces the result, so there is one definition of each.
namespace quillo::todolisttext {

// Exactly the bytes the tree coder writes for {"todoList":{"_0":items}}; nothing when a number is
// not finite or a text is ill-formed UTF-8.
std::optional<std::string> write(const std::vector<TodoItem>& items);

// The items of a document that is exactly {"todoList":{"_0":[...]}} whose items have only their own
// members, each once, none null, all valid; nothing for any other document.
std::optional<std::vector<TodoItem>> read(std::string_view text);

}  // namespace quillo::todolisttext
