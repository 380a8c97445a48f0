#include "city/ground_texture.h"

#include <gtest/gtest.h>

#include "city/city_geometry.h"
#include "platform/ms_random.h"
#include "records/colour.h"
#include "records/file_stats.h"
#include "records/project_stats.h"

namespace codeburg {

namespace {

// The expected texel with the noise of draws [3n, 3n + 3) of a fresh
// generator, which is what texel n gets when no lake draws come first.
uint32_t WithNoise(uint32_t colour, uint32_t seed, size_t texelIndex)
{
    MsRandom rng(seed);
    for (size_t i = 0; i < 3 * texelIndex; ++i) rng.next();
    uint32_t out = 0;
    for (int shift : {16, 8, 0}) {
        int c = int((colour >> shift) & 0xFF) + rng.next() % 8 - 4;
        c = c < 0 ? 0 : c > 255 ? 255 : c;
        out |= uint32_t(c) << shift;
    }
    return out;
}

void Fill(CityGrid& grid, uint16_t height)
{
    for (CityCell& c : grid.cells) c.height = height;
}

}  // namespace

TEST(GroundTextureTest, EmptyCellAtTheCentre)
{
    ProjectStats stats(nullptr);
    stats.cityGrid.Allocate(40, 40);
    stats.measures.commentRatio = 0.25f;
    stats.measures.assertRatio = 0.25f;  // G = 0.5
    MsRandom rng(7);
    const GroundTexture t = BuildGroundTexture(stats, rng, 4096);
    ASSERT_EQ(t.width, 80);
    ASSERT_EQ(t.height, 80);
    EXPECT_EQ(t.step, 1);
    // All nine neighbours Empty: E = 1 x 0.5 x 2 = 1.0; D = 0 at (40, 40).
    const size_t centre = 40 * 80 + 40;
    EXPECT_EQ(t.texels[centre], WithNoise(HsvToColor(128, 0.3, 1.0), 7, centre));
    // (60, 40): D = 400 x 1.5 / 3200 = 0.1875, saturation max(0.3, 1.4 x 0.1875) = 0.3.
    const size_t east = 40 * 80 + 60;
    EXPECT_EQ(t.texels[east], WithNoise(HsvToColor(128, 0.3, 1.0), 7, east));
}

TEST(GroundTextureTest, PavementGreyCountsNeighbours)
{
    ProjectStats stats(nullptr);
    stats.cityGrid.Allocate(40, 40);
    Fill(stats.cityGrid, CityCell::kPavement);
    MsRandom rng(1);
    const GroundTexture t = BuildGroundTexture(stats, rng, 4096);
    const size_t centre = 40 * 80 + 40;
    EXPECT_EQ(t.texels[centre], WithNoise(0x3C3C3Cu, 1, centre));  // 80 - 20 = 60
}

TEST(GroundTextureTest, InteriorUsesItsMethodsGreenRatio)
{
    ProjectStats stats(nullptr);
    auto file = std::make_unique<FileStats>("a.cpp", 25, 0u);
    MethodStats* m = file->AddMethod("", "f", 0);
    m->eloc = 10;
    m->commentLines = 10;  // g = 1.0
    stats.files.push_back(std::move(file));
    stats.cityGrid.Allocate(40, 40);
    Fill(stats.cityGrid, 11);  // interior cells: building height, footprint 0
    MsRandom rng(3);
    const GroundTexture t = BuildGroundTexture(stats, rng, 4096);
    // nB = 9: Y = 0.2 + 0.2 = 0.4; hue 128, saturation 0.8.
    const size_t centre = 40 * 80 + 40;
    EXPECT_EQ(t.texels[centre], WithNoise(HsvToColor(128, 0.8, 0.4), 3, centre));
}

TEST(GroundTextureTest, StaleInteriorCellsDoNotCrash)
{
    ProjectStats stats(nullptr);
    stats.cityGrid.Allocate(40, 40);
    Fill(stats.cityGrid, 11);
    for (CityCell& c : stats.cityGrid.cells) c.fileIndex = 12345;
    MsRandom rng(3);
    const GroundTexture t = BuildGroundTexture(stats, rng, 4096);
    // Treated as g = 0: hue 64, Y = 0.2 doubled to 0.4.
    const size_t centre = 40 * 80 + 40;
    EXPECT_EQ(t.texels[centre], WithNoise(HsvToColor(64, 0.8, 0.4), 3, centre));
}

TEST(GroundTextureTest, EdgesFadeToTheBackground)
{
    ProjectStats stats(nullptr);
    stats.cityGrid.Allocate(40, 40);
    Fill(stats.cityGrid, CityCell::kPavement);
    MsRandom rng(5);
    const GroundTexture t = BuildGroundTexture(stats, rng, 4096);
    // Row 40, column 0: ex = 0, fully background. Column 0 also sees three
    // outside (Empty) texels: nP = 6, grey 66, faded away entirely.
    const size_t edge = 40 * 80;
    EXPECT_EQ(t.texels[edge], WithNoise(BackgroundColour(), 5, edge));
    // Column 10: m = 10, f = 0.125: 60 x 0.875 + 25 x 0.125 = 55.625 -> 55.
    const size_t inner = 40 * 80 + 10;
    EXPECT_EQ(t.texels[inner], WithNoise(0x373737u, 5, inner));
}

TEST(GroundTextureTest, LakesDrawBeforeTheNoise)
{
    ProjectStats stats(nullptr);
    stats.cityGrid.Allocate(1, 1);
    Fill(stats.cityGrid, CityCell::kLake);
    MsRandom rng(11);
    const GroundTexture t = BuildGroundTexture(stats, rng, 4096);
    ASSERT_EQ(t.texels.size(), 4u);
    MsRandom replay(11);
    const int k = replay.next() % 3 + 3;
    const uint32_t lake = HsvToColor(200, 0.5, 0.0 / k + 0.6);
    // All of a 1 x 1 city is within 20 texels of the edge: texel (0, 0) is background.
    uint32_t expected = 0;
    for (int shift : {16, 8, 0}) {
        int c = int((BackgroundColour() >> shift) & 0xFF) + replay.next() % 8 - 4;
        expected |= uint32_t(c < 0 ? 0 : c > 255 ? 255 : c) << shift;
    }
    (void)lake;
    EXPECT_EQ(t.texels[0], expected);
}

TEST(GroundTextureTest, EmptyGridGivesNoPicture)
{
    ProjectStats stats(nullptr);
    stats.cityGrid.Clear();
    MsRandom rng;
    EXPECT_TRUE(BuildGroundTexture(stats, rng, 4096).texels.empty());
    stats.cityGrid.Allocate(5, 5);
    stats.cityGrid.cells.resize(2);
    EXPECT_TRUE(BuildGroundTexture(stats, rng, 4096).texels.empty());
}

TEST(GroundTextureTest, HugeCityIsScaledToTheDeviceLimit)
{
    ProjectStats stats(nullptr);
    ASSERT_TRUE(stats.cityGrid.Allocate(4000, 4000));
    MsRandom rng;
    const GroundTexture t = BuildGroundTexture(stats, rng, 1024);
    EXPECT_EQ(t.step, 8);
    EXPECT_EQ(t.width, 1000);
    EXPECT_EQ(t.height, 1000);
    EXPECT_EQ(t.cityWidth, 4000);
    EXPECT_EQ(t.texels.size(), 1000000u);
    EXPECT_TRUE(BuildCityGeometry(stats, DisplayMode::Color).boxes.empty());
}

TEST(GroundTextureTest, ProjectSeedWeighsPositions)
{
    ProjectStats stats(nullptr);
    stats.name = "ab";
    EXPECT_EQ(ProjectSeed(stats), 97u + 98u * 2u);
    stats.name = "\xE9";  // signed: -23
    EXPECT_EQ(ProjectSeed(stats), static_cast<uint32_t>(-23));
}

}  // namespace codeburg
