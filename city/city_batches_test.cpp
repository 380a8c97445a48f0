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
        b.anchorX = i * 10;
    }
    MakeTower(0, 20, 2, 21, 0x00FF00, g.towers.emplace_back());
    g.towers[0].anchorY = 20;
    return g;
}

// Twice the signed area of a triangle seen from above (x, z), or its size
// seen from the side for walls: zero only when it covers nothing.
float Area(const CityVertex& a, const CityVertex& b, const CityVertex& c)
{
    const float ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
    const float vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
    const float cx = uy * vz - uz * vy, cy = uz * vx - ux * vz, cz = ux * vy - uy * vx;
    return cx * cx + cy * cy + cz * cz;
}

}  // namespace

TEST(CityBatchesTest, StripsBecomeIndexedTrianglesWithTheSameWinding)
{
    const CityGeometry g = ThreeBoxesAndATower();
    const CityBatches b = BuildBatches(g);
    const auto& walls = b.indices[int(Batch::WallLow)];
    ASSERT_EQ(walls.size(), 3u * 24u);                            // 8 triangles per box
    EXPECT_EQ(b.vertices[int(Batch::WallLow)].size(), 3u * 10u);  // the strip's own vertices
    // Triangle 0 is (0, 1, 2); triangle 1 swaps its first two: (2, 1, 3).
    EXPECT_EQ(std::vector<uint32_t>(walls.begin(), walls.begin() + 6),
              (std::vector<uint32_t>{0, 1, 2, 2, 1, 3}));
    EXPECT_EQ(walls[24], 10u);  // the second box's vertices follow the first's
    EXPECT_FLOAT_EQ(b.vertices[int(Batch::WallLow)][walls[24]].x, g.boxes[1].vertices[0].x);
    // Roofs go round the three roof textures by box index.
    EXPECT_EQ(b.indices[int(Batch::Roof0)].size(), 6u);
    EXPECT_EQ(b.indices[int(Batch::Roof2)].size(), 6u);
    EXPECT_EQ(b.boxSpans[1][1].batch, Batch::Roof1);
    EXPECT_EQ(b.indices[int(Batch::TowerWall)].size(), 48u);
    // The cone's strip meets the apex twice in a row every other triangle:
    // those eight cover nothing and are left out; the other eight remain.
    const auto& cone = b.indices[int(Batch::TowerRoof)];
    const auto& coneVertices = b.vertices[int(Batch::TowerRoof)];
    ASSERT_EQ(cone.size(), 24u);
    for (size_t t = 0; t < cone.size(); t += 3)
        EXPECT_GT(Area(coneVertices[cone[t]], coneVertices[cone[t + 1]], coneVertices[cone[t + 2]]),
                  0.0f);
}

TEST(CityBatchesTest, RunsSkipThePickedAndFilteredBuildings)
{
    const CityBatches b = BuildBatches(ThreeBoxesAndATower());
    auto runs = CollectRuns(b, {}, {}, -1, -1);
    const DrawRuns& walls = runs[int(Batch::WallLow)];
    ASSERT_EQ(walls.firsts.size(), 1u);  // contiguous boxes of one tile merge
    EXPECT_EQ(walls.counts[0], 72);
    EXPECT_FLOAT_EQ(walls.bounds[0].min[0], 0.0f);
    EXPECT_FLOAT_EQ(walls.bounds[0].max[0], 21.02f);

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

TEST(CityBatchesTest, BuildingsAreStoredTileByTileAndRunsStopAtTiles)
{
    CityGeometry g;
    const int anchors[3][2] = {{kTileCells + 3, 0}, {0, 0}, {5, 1}};
    for (const auto& a : anchors) {
        BoxBuilding& box = g.boxes.emplace_back();
        MakeBox(float(a[0]), float(a[1]), 1, 3, 0xFF0000, box);
        box.anchorX = a[0];
        box.anchorY = a[1];
    }
    const CityBatches b = BuildBatches(g);
    EXPECT_EQ(b.boxOrder, (std::vector<int32_t>{1, 2, 0}));  // list order kept within a tile
    EXPECT_EQ(b.boxSpans[1][0].first, 0);
    EXPECT_EQ(b.boxSpans[2][0].first, 24);
    EXPECT_EQ(b.boxSpans[0][0].first, 48);
    EXPECT_EQ(b.boxSpans[0][0].tile, 1);
    const auto runs = CollectRuns(b, {}, {}, -1, -1);
    EXPECT_EQ(runs[int(Batch::WallLow)].firsts, (std::vector<int32_t>{0, 48}));
    EXPECT_EQ(runs[int(Batch::WallLow)].counts, (std::vector<int32_t>{48, 24}));
    // Each run's bounds hold its own tile's buildings only.
    EXPECT_LT(runs[int(Batch::WallLow)].bounds[0].max[0], float(kTileCells));
    EXPECT_GE(runs[int(Batch::WallLow)].bounds[1].min[0], float(kTileCells));
}

}  // namespace codeburg
