#include "city/city_batches.h"

#include <gtest/gtest.h>

namespace codeburg {

namespace {

CityGeometry ThreeBoxesAndATower()
{
    CityGeometry g;
    for (int i = 0; i < 3; ++i) {
        BoxBuilding& b = g.boxes.emplace_back();
        MakeBox(float(i * 10), 0, 1, 3, 0xFF0000, b);  // h 1: low walls
    }
    MakeTower(0, 20, 2, 21, 0x00FF00, g.towers.emplace_back());
    return g;
}

}  // namespace

TEST(CityBatchesTest, StripsBecomeTrianglesWithTheSameWinding)
{
    const CityGeometry g = ThreeBoxesAndATower();
    const CityBatches b = BuildBatches(g);
    const auto& walls = b.vertices[int(Batch::WallLow)];
    ASSERT_EQ(walls.size(), 3u * 24u);  // 8 triangles per box
    const auto& v = g.boxes[0].vertices;
    // Triangle 0 is (0, 1, 2); triangle 1 swaps its first two: (2, 1, 3).
    EXPECT_FLOAT_EQ(walls[0].x, v[0].x);
    EXPECT_FLOAT_EQ(walls[3].x, v[2].x);
    EXPECT_FLOAT_EQ(walls[4].y, v[1].y);
    EXPECT_FLOAT_EQ(walls[5].x, v[3].x);
    // Roofs go round the three roof textures by box index.
    EXPECT_EQ(b.vertices[int(Batch::Roof0)].size(), 6u);
    EXPECT_EQ(b.vertices[int(Batch::Roof2)].size(), 6u);
    EXPECT_EQ(b.boxSpans[1][1].batch, Batch::Roof1);
    EXPECT_EQ(b.vertices[int(Batch::TowerWall)].size(), 48u);
    EXPECT_EQ(b.vertices[int(Batch::TowerRoof)].size(), 48u);
}

TEST(CityBatchesTest, RunsSkipThePickedAndFilteredBuildings)
{
    const CityBatches b = BuildBatches(ThreeBoxesAndATower());
    auto runs = CollectRuns(b, {}, {}, -1, -1);
    const DrawRuns& walls = runs[int(Batch::WallLow)];
    ASSERT_EQ(walls.firsts.size(), 1u);  // contiguous boxes merge
    EXPECT_EQ(walls.counts[0], 72);

    runs = CollectRuns(b, {}, {}, 1, -1);  // box 1 picked: drawn apart
    EXPECT_EQ(runs[int(Batch::WallLow)].firsts, (std::vector<int32_t>{0, 48}));
    EXPECT_EQ(runs[int(Batch::WallLow)].counts, (std::vector<int32_t>{24, 24}));
    EXPECT_TRUE(runs[int(Batch::Roof1)].firsts.empty());

    runs = CollectRuns(b, {true, false, false}, {false}, -1, -1);
    EXPECT_EQ(runs[int(Batch::WallLow)].counts, (std::vector<int32_t>{24}));
    EXPECT_TRUE(runs[int(Batch::TowerWall)].firsts.empty());
    runs = CollectRuns(b, {true}, {}, -1, -1);  // a short mask hides the rest
    EXPECT_EQ(runs[int(Batch::WallLow)].counts, (std::vector<int32_t>{24}));
}

}  // namespace codeburg
