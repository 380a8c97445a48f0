#include "records/city_grid.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "records/stats_buffer.h"

namespace codeburg {
namespace {

CityCell Building(uint16_t height, uint32_t file = 0, uint32_t method = 0)
{
    CityCell cell;
    cell.height = height;
    cell.footprint = 1;
    cell.side = 3;
    cell.fileIndex = file;
    cell.methodIndex = method;
    return cell;
}

// A grid with a few distinct cells, for round trips.
CityGrid Sample()
{
    CityGrid grid;
    grid.Set(2, 3, Building(7, 1, 2));
    grid.Set(12, 4, Building(0x1234, 0xA0B0C0D0, 5));
    CityCell lake;
    lake.height = CityCell::kLake;
    grid.Set(0, 0, lake);
    return grid;
}

TEST(CityGridTest, NewGridIsTenByTenCentredAtFive)
{
    CityGrid grid;
    EXPECT_EQ(grid.width, 10);
    EXPECT_EQ(grid.height, 10);
    EXPECT_EQ(grid.cells.size(), 100u);
    EXPECT_EQ(grid.centreX, 5);
    EXPECT_EQ(grid.centreY, 5);
    EXPECT_EQ(grid.minX, 5);
    EXPECT_EQ(grid.maxY, 5);
    EXPECT_TRUE(grid.Get(-1, 3).isEmpty());
    EXPECT_TRUE(grid.Get(3, 10).isEmpty());
}

TEST(CityGridTest, WritingPastRightOrBottomGrowsWithoutMoving)
{
    CityGrid grid;
    ASSERT_TRUE(grid.Set(1, 1, Building(5)));
    int32_t sx = -1, sy = -1;
    ASSERT_TRUE(grid.Set(12, 10, Building(6), &sx, &sy));
    EXPECT_EQ(sx, 0);
    EXPECT_EQ(sy, 0);
    EXPECT_EQ(grid.width, 21);   // x + 9
    EXPECT_EQ(grid.height, 19);  // y + 9
    EXPECT_EQ(grid.Get(1, 1).height, 5);
    EXPECT_EQ(grid.Get(12, 10).height, 6);
    EXPECT_EQ(grid.minX, 1);
    EXPECT_EQ(grid.maxX, 12);
    EXPECT_EQ(grid.maxY, 10);
    EXPECT_EQ(grid.centreX, 5);
}

TEST(CityGridTest, WritingPastLeftOrTopMovesContentBoundsAndCentre)
{
    CityGrid grid;
    ASSERT_TRUE(grid.Set(4, 6, Building(5)));
    int32_t sx = 0, sy = 0;
    ASSERT_TRUE(grid.Set(-3, -1, Building(6), &sx, &sy));
    EXPECT_EQ(sx, 11);  // 8 - x
    EXPECT_EQ(sy, 9);
    EXPECT_EQ(grid.width, 21);
    EXPECT_EQ(grid.height, 19);
    EXPECT_EQ(grid.Get(4 + 11, 6 + 9).height, 5);
    EXPECT_EQ(grid.Get(8, 8).height, 6);  // the written cell lands at (x + shift, y + shift)
    EXPECT_EQ(grid.centreX, 16);
    EXPECT_EQ(grid.centreY, 14);
    EXPECT_EQ(grid.minX, 8);
    EXPECT_EQ(grid.minY, 8);
    EXPECT_EQ(grid.maxX, 16);  // the old bounds (4..5, 5..6) moved along
    EXPECT_EQ(grid.maxY, 15);
}

TEST(CityGridTest, FailedGrowthLeavesGridUnchanged)
{
    CityGrid grid = Sample();
    const CityGrid before = grid;
    EXPECT_FALSE(grid.Set(INT32_MAX - 3, 0, Building(9)));
    EXPECT_FALSE(grid.Set(0, INT32_MIN + 2, Building(9)));
    EXPECT_EQ(grid, before);
}

TEST(CityGridTest, IsFreeCountsCellsOutsideAsEmpty)
{
    CityGrid grid;
    grid.Set(3, 3, Building(2));
    EXPECT_TRUE(grid.IsFree(-5, -5, 8, 8));  // up to (2, 2)
    EXPECT_FALSE(grid.IsFree(-5, -5, 9, 9));
    EXPECT_TRUE(grid.IsFree(4, 0, 100, 100));
    EXPECT_TRUE(grid.IsFree(3, 3, 0, 5));
    EXPECT_FALSE(grid.IsFree(3, 3, 1, 1));
}

TEST(CityGridTest, FillSquareWritesAnchorInteriorAndPavementRing)
{
    CityGrid grid;
    const CityCell anchor = Building(11, 4, 9);
    ASSERT_TRUE(grid.FillSquare(2, 2, 5, anchor));
    EXPECT_EQ(grid.Get(2, 2), anchor);
    CityCell interior = anchor;
    interior.footprint = 0;
    for (int j = 0; j < 5; ++j) {
        for (int i = 0; i < 5; ++i) {
            const CityCell& cell = grid.Get(2 + i, 2 + j);
            if (i == 0 && j == 0) continue;
            if (i >= 1 && i <= 3 && j >= 1 && j <= 3)
                EXPECT_EQ(cell, interior) << i << "," << j;
            else
                EXPECT_EQ(cell.height, CityCell::kPavement) << i << "," << j;
        }
    }
}

TEST(CityGridTest, FillSquareBeforeTheCornerGrowsOnceAndKeepsTheSquareWhole)
{
    CityGrid grid;
    ASSERT_TRUE(grid.FillSquare(-2, -4, 4, Building(3)));
    // The corner (-2, -4) grew the grid by 10 columns and 12 rows.
    EXPECT_EQ(grid.width, 20);
    EXPECT_EQ(grid.height, 22);
    EXPECT_TRUE(grid.Get(8, 8).isAnchor());
    EXPECT_EQ(grid.Get(11, 11).height, CityCell::kPavement);
    EXPECT_EQ(grid.Get(9, 9).footprint, 0);
    EXPECT_TRUE(grid.Get(9, 9).isBuilding());
    EXPECT_EQ(grid.minX, 8);
    EXPECT_EQ(grid.maxX, 15);  // the old centre (5, 5) moved to (15, 17)
    EXPECT_EQ(grid.maxY, 17);
}

TEST(CityGridTest, CropKeepsWrittenRectangleWithMargin)
{
    CityGrid grid;
    grid.Set(3, 4, Building(2));
    grid.Set(7, 5, Building(3));
    // The bounds also hold the untouched centre (5, 5): columns 3..7, rows 4..5.
    grid.Crop(1);
    EXPECT_EQ(grid.width, 7);
    EXPECT_EQ(grid.height, 4);
    EXPECT_EQ(grid.Get(1, 1).height, 2);
    EXPECT_EQ(grid.Get(5, 2).height, 3);
    EXPECT_EQ(grid.minX, 1);
    EXPECT_EQ(grid.minY, 1);
    EXPECT_EQ(grid.maxX, 5);
    EXPECT_EQ(grid.maxY, 2);
    EXPECT_EQ(grid.centreX, 3);
    EXPECT_EQ(grid.centreY, 2);
}

TEST(CityGridTest, EmptyNewGridCropsToMarginSquare)
{
    CityGrid grid;
    grid.Crop(1);
    EXPECT_EQ(grid.width, 3);
    EXPECT_EQ(grid.height, 3);
    EXPECT_TRUE(grid.IsFree(0, 0, 3, 3));
}

TEST(CityGridTest, CopyFromPlacesBlockWideningBoundsOrRefuses)
{
    CityGrid city;
    ASSERT_TRUE(city.Allocate(20, 20));
    CityGrid block = Sample();
    block.Crop(0);
    EXPECT_FALSE(city.CopyFrom(block, 20 - block.width + 1, 0));
    EXPECT_FALSE(city.CopyFrom(block, -1, 0));
    ASSERT_TRUE(city.CopyFrom(block, 2, 1));
    EXPECT_EQ(city.Get(2, 1), block.Get(0, 0));
    EXPECT_EQ(city.Get(2 + 12, 1 + 4).height, 0x1234);
    EXPECT_EQ(city.minX, 2);
    EXPECT_EQ(city.minY, 1);
    EXPECT_EQ(city.maxX, 14);  // the block is 13 x 6
    EXPECT_EQ(city.maxY, 10);  // still the centre row of the 20 x 20 grid
}

TEST(CityGridTest, SerialisedFormIsExact)
{
    CityGrid grid;
    ASSERT_TRUE(grid.Allocate(2, 1));
    grid.Set(1, 0, Building(0x0102, 0x03040506, 0x0708090A));
    StatsBuffer buffer;
    grid.Serialise(buffer);
    const std::vector<uint8_t> expected = {
        2,  0, 0, 0, 1, 0, 0, 0, 1,  0, 0, 0, 0, 0, 0, 0,  // width, height, minX, minY
        1,  0, 0, 0, 0, 0, 0, 0, 1,  0, 0, 0, 0, 0, 0, 0,  // maxX, maxY, centreX, centreY
        0,                                                 // alternate-size flag
        0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0, 0, 0, 0,  // reserved
        24, 0, 0, 0,                                       // byte count
        0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0,              // cell (0, 0)
        2,  1, 1, 3, 6, 5, 4, 3, 10, 9, 8, 7};             // cell (1, 0)
    EXPECT_EQ(buffer.data(), expected);
}

TEST(CityGridTest, RoundTripRestoresEveryField)
{
    CityGrid grid = Sample();
    grid.reserved[1] = 77;
    StatsBuffer buffer;
    grid.Serialise(buffer);
    buffer.WriteU8(0xEE);  // whatever follows stays unread
    buffer.Rewind();
    CityGrid loaded;
    ASSERT_TRUE(loaded.Deserialise(buffer));
    EXPECT_EQ(loaded, grid);
    EXPECT_EQ(buffer.remaining(), 1u);
}

TEST(CityGridTest, TruncatedDataAtEveryLengthIsRejected)
{
    StatsBuffer full;
    Sample().Serialise(full);
    for (size_t length = 0; length < full.size(); ++length) {
        StatsBuffer cut;
        cut.Assign(full.data().data(), length);
        CityGrid grid;
        EXPECT_FALSE(grid.Deserialise(cut)) << length;
        EXPECT_EQ(grid.width, 0);
        EXPECT_TRUE(grid.cells.empty());
    }
}

// A header with the given sizes and byte count followed by "payload" bytes.
StatsBuffer Header(int32_t width, int32_t height, uint32_t byteCount, size_t payload)
{
    StatsBuffer buffer;
    for (int32_t v : {width, height, 0, 0, 0, 0, 0, 0}) buffer.WriteI32(v);
    buffer.WriteU8(1);
    for (int i = 0; i < 4; ++i) buffer.WriteI32(0);
    buffer.WriteU32(byteCount);
    std::vector<uint8_t> zeros(payload, 0);
    buffer.WriteRaw(zeros.data(), zeros.size());
    buffer.Rewind();
    return buffer;
}

TEST(CityGridTest, HostileSizesAreRejected)
{
    struct Case {
        int32_t width, height;
        uint32_t byteCount;
        size_t payload;
    };
    const Case cases[] = {
        {-1, -1, 12, 12},  // negative sizes whose product looks right
        {-2, 3, 0, 72},
        {2, 2, 36, 48},            // count disagrees with the sizes
        {2, 2, 48, 47},            // count larger than the data left
        {0x10000, 0x10000, 0, 0},  // 12 x w x h wraps to 0 in 32 bits
        {0x40000000, 0x40000000, 0, 0},
        {0x7FFFFFFF, 1, 0xFFFFFFF4u, 100},  // absurd count against a short file
        {357913942, 1, 8, 8},               // 357913942 x 12 wraps to 8
    };
    for (const Case& c : cases) {
        StatsBuffer buffer = Header(c.width, c.height, c.byteCount, c.payload);
        CityGrid grid;
        EXPECT_FALSE(grid.Deserialise(buffer)) << c.width << " x " << c.height;
        EXPECT_TRUE(grid.cells.empty());
        EXPECT_EQ(grid.height, 0);
    }
    StatsBuffer ok = Header(2, 2, 48, 48);
    CityGrid grid;
    EXPECT_TRUE(grid.Deserialise(ok));
    EXPECT_EQ(grid.alternateSize, 0);  // stored as 1, never honoured
}

}  // namespace
}  // namespace codeburg
