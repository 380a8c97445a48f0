#include "city/block_planner.h"

#include <gtest/gtest.h>

#include <vector>

namespace codeburg {

namespace {

struct Rect {
    int32_t left, top, w, h;
};

bool Overlap(const Rect& a, const Rect& b)
{
    return a.left < b.left + b.w && b.left < a.left + a.w && a.top < b.top + b.h &&
           b.top < a.top + a.h;
}

}  // namespace

TEST(BlockPlannerTest, PlacesDistinctBlocksInsideUntilTheEdge)
{
    BlockPlanner planner(40, 30, 3, 3, 9 * 40);
    ASSERT_FALSE(planner.outOfMemory());
    std::vector<Rect> placed;
    BlockPlanner::Placement last = BlockPlanner::Placement::Placed;
    for (int i = 0; i < 400 && last == BlockPlanner::Placement::Placed; ++i) {
        Rect r{0, 0, 3, 3};
        last = planner.PlaceBlock(r.w, r.h, i % 4, r.left, r.top);
        if (last != BlockPlanner::Placement::Placed) break;
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.left + r.w, 40);
        EXPECT_LE(r.top + r.h, 30);
        for (const Rect& other : placed) ASSERT_FALSE(Overlap(r, other)) << i;
        placed.push_back(r);
    }
    // A 40 x 30 city holds at most 130 blocks of 3 x 3: the search must end.
    EXPECT_EQ(last, BlockPlanner::Placement::ReachedEdge);
    EXPECT_GT(placed.size(), 10u);
    EXPECT_LE(placed.size(), 130u);
}

TEST(BlockPlannerTest, FirstBlocksGoToTheirQuadrantsOfTheCentre)
{
    BlockPlanner planner(100, 100, 2, 2);
    int32_t left = 0, top = 0;
    ASSERT_EQ(planner.PlaceBlock(2, 2, 0, left, top), BlockPlanner::Placement::Placed);
    EXPECT_LE(left + 2, 51);
    EXPECT_LE(top + 2, 51);
    ASSERT_EQ(planner.PlaceBlock(2, 2, 3, left, top), BlockPlanner::Placement::Placed);
    EXPECT_GE(left, 49);
    EXPECT_GE(top, 49);
}

}  // namespace codeburg
