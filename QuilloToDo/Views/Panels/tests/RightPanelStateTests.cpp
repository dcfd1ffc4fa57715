#include "QuilloToDo/Views/Panels/RightPanelState.h"

#include <gtest/gtest.h>

namespace quillo {
namespace {

constexpr auto kD = RightPanel::details;
constexpr auto kS = RightPanel::status;

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
        {{{}, {}}, A::toggle, kS, {{kS}, {}}},
        {{{kS}, {}}, A::toggle, kD, {{kD, kS}, {}}},
        {{{kD, kS}, {}}, A::toggle, kS, {{kD}, {}}},
        {{{kD, kS}, kD}, A::toggle, kD, {{kS}, {}}},
        {{{kD, kS}, kD}, A::toggle, kS, {{kD}, kD}},
        // Expand: expands, or collapses the expanded panel; the other open panel stays open.
        {{{kD, kS}, {}}, A::expand, kD, {{kD, kS}, kD}},
        {{{kD, kS}, kD}, A::expand, kD, {{kD, kS}, {}}},
        {{{kD, kS}, kS}, A::expand, kD, {{kD, kS}, kD}},
        // Close: closes, and collapses when it was the expanded one.
        {{{kD, kS}, kD}, A::close, kD, {{kS}, {}}},
        {{{kD}, kD}, A::close, kD, {{}, {}}},
        {{{kD, kS}, kS}, A::close, kD, {{kS}, kS}},
        // A picked row opens Details and leaves everything else as it is.
        {{{}, {}}, A::open, kD, {{kD}, {}}},
        {{{kD, kS}, kS}, A::open, kD, {{kD, kS}, kS}},
    };
    for (const Step& step : table) {
        EXPECT_EQ(reduced(step.before, step.action, step.panel), step.after)
            << "action " << static_cast<int>(step.action) << " on " << rawValue(step.panel);
    }
}

TEST(RightPanelState, ColumnOrderIsDetailsThenStatus) {
    RightPanelState state = reduced({}, RightPanelAction::toggle, kS);
    state = reduced(state, RightPanelAction::toggle, kD);
    EXPECT_EQ(columnPanels(state), (std::vector<RightPanel>{kD, kS}));
    EXPECT_TRUE(columnPanels({}).empty());
}

}  // namespace
}  // namespace quillo
