#include "QuilloToDo/Views/RightPanelState.h"
#include "QuilloToDo/Views/TodoSelection.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

constexpr auto D = RightPanel::details;
constexpr auto S = RightPanel::status;

struct Step {
    RightPanelState before;
    RightPanelAction action;
    RightPanel panel;
    RightPanelState after;
};

TEST(RightPanelState, ReducerTable) {
    using A = RightPanelAction;
    const Step table[] = {
        // Toolbar toggle: opens without expanding; closes, collapsing an expanded panel.
        {{{}, {}}, A::toggle, S, {{S}, {}}},
        {{{S}, {}}, A::toggle, D, {{D, S}, {}}},
        {{{D, S}, {}}, A::toggle, S, {{D}, {}}},
        {{{D, S}, D}, A::toggle, D, {{S}, {}}},
        {{{D, S}, D}, A::toggle, S, {{D}, D}},
        // Expand: expands, or collapses the expanded panel; the other open panel stays open.
        {{{D, S}, {}}, A::expand, D, {{D, S}, D}},
        {{{D, S}, D}, A::expand, D, {{D, S}, {}}},
        {{{D, S}, S}, A::expand, D, {{D, S}, D}},
        // Close: closes, and collapses when it was the expanded one.
        {{{D, S}, D}, A::close, D, {{S}, {}}},
        {{{D}, D}, A::close, D, {{}, {}}},
        {{{D, S}, S}, A::close, D, {{S}, S}},
        // A picked row opens Details and leaves everything else as it is.
        {{{}, {}}, A::open, D, {{D}, {}}},
        {{{D, S}, S}, A::open, D, {{D, S}, S}},
    };
    for (const Step& step : table) {
        EXPECT_EQ(reduced(step.before, step.action, step.panel), step.after)
            << "action " << static_cast<int>(step.action) << " on " << rawValue(step.panel);
    }
}

TEST(RightPanelState, ColumnOrderIsDetailsThenStatus) {
    RightPanelState state = reduced({}, RightPanelAction::toggle, S);
    state = reduced(state, RightPanelAction::toggle, D);
    EXPECT_EQ(columnPanels(state), (std::vector<RightPanel>{D, S}));
    EXPECT_TRUE(columnPanels({}).empty());
}

TEST(RightPanelState, PickingTheSelectedRowClearsTheSelection) {
    const platform::UUID a = platform::UUID::random();
    const platform::UUID b = platform::UUID::random();
    EXPECT_EQ(selectionAfterPicking(std::nullopt, a), a);
    EXPECT_EQ(selectionAfterPicking(a, b), b);
    EXPECT_EQ(selectionAfterPicking(a, a), std::nullopt);
}

}  // namespace
}  // namespace quillo
