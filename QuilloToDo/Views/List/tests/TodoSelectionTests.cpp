#include "QuilloToDo/Views/List/TodoSelection.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

TEST(TodoSelection, PickingTheSelectedRowClearsTheSelection) {
    const platform::UUID a = platform::UUID::random();
    const platform::UUID b = platform::UUID::random();
    EXPECT_EQ(selectionAfterPicking(std::nullopt, a), a);
    EXPECT_EQ(selectionAfterPicking(a, b), b);
    EXPECT_EQ(selectionAfterPicking(a, a), std::nullopt);
}

}  // namespace
}  // namespace quillo
