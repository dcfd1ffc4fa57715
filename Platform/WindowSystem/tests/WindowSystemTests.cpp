#include "Platform/WindowSystem/FramelessWindowGrips.h"
#include "Platform/WindowSystem/VisualEffectBackdrop.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(ResizeEdges, GripsLieWithinTheMarginOfEachEdge) {
    const QSizeF size(400, 300);
    EXPECT_EQ(resizeEdgesAt({200, 150}, size, 6), Qt::Edges());
    EXPECT_EQ(resizeEdgesAt({2, 150}, size, 6), Qt::Edges(Qt::LeftEdge));
    EXPECT_EQ(resizeEdgesAt({398, 298}, size, 6), Qt::Edges(Qt::RightEdge | Qt::BottomEdge));
    EXPECT_EQ(resizeEdgesAt({3, 3}, size, 6), Qt::Edges(Qt::LeftEdge | Qt::TopEdge));
    EXPECT_EQ(resizeEdgesAt({-1, 150}, size, 6), Qt::Edges());
}

TEST(VisualEffect, BehindWindowIsOpaqueUnlessTheWindowIsSeeThrough) {
    using enum VisualEffectMaterial;
    EXPECT_EQ(visualEffectColor(hudWindow, VisualEffectBlendingMode::behindWindow, false).alpha(), 255);
    EXPECT_LT(visualEffectColor(hudWindow, VisualEffectBlendingMode::behindWindow, true).alpha(), 255);
    EXPECT_LT(visualEffectColor(ultraThin, VisualEffectBlendingMode::withinWindow, false).alpha(), 255);
}

}  // namespace
}  // namespace platform
