#include "city/city_geometry.h"

#include <gtest/gtest.h>

#include "records/colour.h"
#include "records/file_stats.h"
#include "records/project_stats.h"

namespace codeburg {

namespace {

MethodStats Method(int32_t eloc, int32_t comments, int32_t asserts)
{
    MethodStats m;
    m.eloc = eloc;
    m.commentLines = comments;
    m.asserts = asserts;
    return m;
}

// A project with one file of two methods: "Widget::Widget" (a tower) and
// "Widget::draw" (a box), anchored at (2, 3) and (10, 1) of a 20 x 12 grid.
struct SmallProject {
    ProjectStats stats{nullptr};
    SmallProject()
    {
        auto file = std::make_unique<FileStats>("widget.cpp", 25, 0x0000FFu);  // red
        MethodStats* ctor = file->AddMethod("Widget", "Widget", 1);
        ctor->eloc = 9;
        MethodStats* draw = file->AddMethod("Widget", "draw", 2);
        draw->eloc = 40;
        draw->commentLines = 40;
        stats.files.push_back(std::move(file));
        stats.cityGrid.Allocate(20, 12);
        Anchor(2, 3, 10, 2, 6, 0, 0);
        Anchor(10, 1, 41, 3, 7, 0, 1);
    }
    void Anchor(int x, int y, uint16_t height, uint8_t footprint, uint8_t side, uint32_t file,
                uint32_t method)
    {
        CityCell& c = stats.cityGrid.cells[size_t(y) * stats.cityGrid.width + x];
        c.height = height;
        c.footprint = footprint;
        c.side = side;
        c.fileIndex = file;
        c.methodIndex = method;
    }
};

}  // namespace

TEST(CityGeometryTest, ModeNames)
{
    EXPECT_STREQ(DisplayModeName(DisplayMode::Color), "Color Mode");
    EXPECT_STREQ(DisplayModeName(DisplayMode::LineMethod), "Line/Method Mode");
    EXPECT_STREQ(DisplayModeName(DisplayMode(4)), "??");
    EXPECT_STREQ(DisplayModeName(DisplayMode(-1)), "??");
    EXPECT_EQ(BackgroundColour(), 0x191919u);
}

TEST(CityGeometryTest, ColorModeScalesFileValueByGreenRatio)
{
    const ColourReferences refs;
    const uint32_t file = SwapRedBlue(HsvToColor(120, 1.0, 0.5));  // stored red-low
    const double value = 127 / 255.0;  // what the stored file colour reads back as
    // g = 0 < 0.8: value x 0.8.
    EXPECT_EQ(MethodColour(Method(10, 0, 0), file, DisplayMode::Color, refs),
              HsvToColor(120, 1.0, value * 0.8));
    // g = 1.2 within the band: value x 1.2.
    EXPECT_EQ(MethodColour(Method(10, 10, 2), file, DisplayMode::Color, refs),
              HsvToColor(120, 1.0, value * 1.2));
    // g = 3 above 1.5: value x 1.5.
    EXPECT_EQ(MethodColour(Method(10, 30, 0), file, DisplayMode::Color, refs),
              HsvToColor(120, 1.0, value * 1.5));
}

TEST(CityGeometryTest, ReadabilityMode)
{
    const ColourReferences refs;
    // eloc 0, no comments: g = 0, value 0, black.
    EXPECT_EQ(MethodColour(Method(0, 0, 0), 0, DisplayMode::Readability, refs), 0x000000u);
    EXPECT_EQ(MethodColour(Method(10, 2, 0), 0, DisplayMode::Readability, refs),
              HsvToColor(20, 0.45, 0.2));
    EXPECT_EQ(MethodColour(Method(10, 4, 0), 0, DisplayMode::Readability, refs),
              HsvToColor(20, 0.0, 0.8));
    EXPECT_EQ(MethodColour(Method(0, 3, 0), 0, DisplayMode::Readability, refs),
              0xFFFFFFu);  // g = 1, value 2 clamps
}

TEST(CityGeometryTest, AssertsMode)
{
    const ColourReferences refs;  // reference 0.04
    // a = 0: value 0.2 - 0.04 = 0.16, dark red.
    EXPECT_EQ(MethodColour(Method(100, 0, 0), 0, DisplayMode::Asserts, refs),
              HsvToColor(0, 0.55, 0.2 - 0.04f));
    // a = 0.1 > R: grey 0.1 + 0.8 - 0.04.
    EXPECT_EQ(MethodColour(Method(100, 0, 10), 0, DisplayMode::Asserts, refs),
              HsvToColor(0, 0.0, 0.1 + 0.8 - double(0.04f)));
    // eloc 0 counts as a = 1.0: white.
    EXPECT_EQ(MethodColour(Method(0, 0, 0), 0, DisplayMode::Asserts, refs), 0xFFFFFFu);
}

TEST(CityGeometryTest, LineMethodModeUsesIntegerHundreds)
{
    ColourReferences refs;
    refs.lineCount = 25;
    EXPECT_EQ(MethodColour(Method(25, 0, 0), 0, DisplayMode::LineMethod, refs),
              HsvToColor(128, 0.0, 0.8));
    EXPECT_EQ(MethodColour(Method(26, 0, 0), 0, DisplayMode::LineMethod, refs),
              HsvToColor(0, 0.55, 0.2));
    EXPECT_EQ(MethodColour(Method(124, 0, 0), 0, DisplayMode::LineMethod, refs),
              HsvToColor(0, 0.55, 0.2));
    EXPECT_EQ(MethodColour(Method(125, 0, 0), 0, DisplayMode::LineMethod, refs),
              0x000000u);  // 0.2 - 1 clamps to black
    EXPECT_EQ(MethodColour(Method(0, 0, 0), 0, DisplayMode::LineMethod, refs),
              HsvToColor(128, 0.0, 0.8));
}

TEST(CityGeometryTest, WallTextureChoice)
{
    EXPECT_EQ(ChooseWallTexture(10, 5.02f), WallTexture::Medium);
    EXPECT_EQ(ChooseWallTexture(7, 1.02f), WallTexture::Low);
    EXPECT_EQ(ChooseWallTexture(8, 1.02f), WallTexture::Tall);  // narrow and above 7
    EXPECT_EQ(ChooseWallTexture(31, 3.02f), WallTexture::Tall);
    EXPECT_EQ(ChooseWallTexture(20, 3.02f), WallTexture::Default);
    EXPECT_EQ(ChooseWallTexture(20, 5.02f), WallTexture::Default);  // 20 is not below 20
}

TEST(CityGeometryTest, BoxVerticesFollowTheStrip)
{
    BoxBuilding box;
    const uint32_t c = HsvToColor(0, 1.0, 1.0);   // pure red
    MakeBox(4.0f, 6.0f, 2, 21, c, box);           // h = 10, x1 = 6.02, z1 = 8.02
    const uint32_t d = HsvToColor(0, 0.85, 0.3);  // same hue, darker
    const auto& v = box.vertices;
    EXPECT_FLOAT_EQ(v[0].x, 4.0f);
    EXPECT_FLOAT_EQ(v[0].y, 10.0f);
    EXPECT_FLOAT_EQ(v[0].z, 6.0f);
    EXPECT_FLOAT_EQ(v[1].y, 0.0f);
    EXPECT_FLOAT_EQ(v[2].x, 6.02f);
    EXPECT_FLOAT_EQ(v[2].z, 6.0f);
    EXPECT_FLOAT_EQ(v[4].x, 6.02f);
    EXPECT_FLOAT_EQ(v[4].z, 8.02f);
    EXPECT_FLOAT_EQ(v[6].x, 4.0f);
    EXPECT_FLOAT_EQ(v[6].z, 8.02f);
    EXPECT_FLOAT_EQ(v[8].x, 4.0f);
    EXPECT_FLOAT_EQ(v[8].z, 6.0f);
    EXPECT_EQ(v[0].diffuse, c);
    EXPECT_EQ(v[1].diffuse, d);
    EXPECT_FLOAT_EQ(v[2].nx, 1.0f);
    EXPECT_FLOAT_EQ(v[2].nz, -1.0f);
    EXPECT_FLOAT_EQ(v[6].nx, -1.0f);
    EXPECT_FLOAT_EQ(v[6].nz, 1.0f);
    const float u[10] = {0, 0, 1, 1, 0, 0, 1, 1, 0, 0};
    for (int i = 0; i < 10; ++i) {
        EXPECT_FLOAT_EQ(v[i].u, u[i]) << i;
        EXPECT_FLOAT_EQ(v[i].v, i % 2 ? 1.0f : 0.0f) << i;
    }
    // Roof: c at x0, d at x1, all at h facing up.
    EXPECT_EQ(v[10].diffuse, c);
    EXPECT_EQ(v[11].diffuse, d);
    EXPECT_EQ(v[12].diffuse, c);
    EXPECT_EQ(v[13].diffuse, d);
    EXPECT_FLOAT_EQ(v[13].x, 6.02f);
    EXPECT_FLOAT_EQ(v[13].z, 8.02f);
    EXPECT_FLOAT_EQ(v[13].u, 1.0f);
    EXPECT_FLOAT_EQ(v[13].v, 1.0f);
    for (int i = 10; i < 14; ++i) {
        EXPECT_FLOAT_EQ(v[i].y, 10.0f);
        EXPECT_FLOAT_EQ(v[i].ny, 1.0f);
    }
    EXPECT_EQ(box.wallTexture, WallTexture::Default);  // h 10, width 2.02
}

TEST(CityGeometryTest, ShortBuildingHasRoofAtOne)
{
    BoxBuilding box;
    MakeBox(0, 0, 1, 1, 0xFFFFFF, box);  // eloc 0: height word 1
    EXPECT_FLOAT_EQ(box.vertices[0].y, 1.0f);
    EXPECT_EQ(box.roofHeight, 1);
}

TEST(CityGeometryTest, TowerVertices)
{
    TowerBuilding t;
    const uint32_t c = HsvToColor(240, 1.0, 1.0);
    MakeTower(0.0f, 0.0f, 2, 21, c, t);  // r = 1, centre (1.01, 1.01), h = 10
    // k = 0: angle 0, offset along +z.
    EXPECT_FLOAT_EQ(t.vertices[0].x, 1.01f);
    EXPECT_FLOAT_EQ(t.vertices[0].z, 2.01f);
    EXPECT_FLOAT_EQ(t.vertices[0].y, 0.0f);
    EXPECT_EQ(t.vertices[0].diffuse, HsvToColor(240, 0.85, 0.95));
    EXPECT_FLOAT_EQ(t.vertices[1].y, 10.0f);
    EXPECT_EQ(t.vertices[1].diffuse, c);
    EXPECT_FLOAT_EQ(t.vertices[1].v, 1.0f);
    // k = 2: angle pi/2, offset along +x.
    EXPECT_NEAR(t.vertices[4].x, 2.01f, 1e-6);
    EXPECT_NEAR(t.vertices[4].z, 1.01f, 1e-6);
    EXPECT_FLOAT_EQ(t.vertices[4].u, 0.25f);
    EXPECT_NEAR(t.vertices[4].nx, 1.0f, 1e-6);
    // The strip closes on itself.
    EXPECT_NEAR(t.vertices[16].x, t.vertices[0].x, 1e-5);
    EXPECT_NEAR(t.vertices[16].z, t.vertices[0].z, 1e-5);
    // Roof: rim then apex, apex 0.5 above the roof.
    EXPECT_FLOAT_EQ(t.vertices[19].y, 10.5f);
    EXPECT_FLOAT_EQ(t.vertices[19].x, 1.01f);
    EXPECT_EQ(t.vertices[19].diffuse, HsvToColor(240, 0.85, 0.95 * 0.75 * 0.75));
    EXPECT_FLOAT_EQ(t.vertices[19].ny, 1.0f);
}

TEST(CityGeometryTest, BuildsOneBuildingPerAnchorInScanOrder)
{
    SmallProject p;
    const CityGeometry g = BuildCityGeometry(p.stats, DisplayMode::Color);
    ASSERT_EQ(g.boxes.size(), 1u);
    ASSERT_EQ(g.towers.size(), 1u);
    EXPECT_EQ(g.towers[0].method->methodName, "Widget");
    EXPECT_EQ(g.boxes[0].method->methodName, "draw");
    // Box: p 3, side 7: offset 7/2 - 3/2 = 2, corner (12, 3).
    EXPECT_FLOAT_EQ(g.boxes[0].vertices[0].x, 12.0f);
    EXPECT_FLOAT_EQ(g.boxes[0].vertices[0].z, 3.0f);
    EXPECT_EQ(g.boxes[0].roofHeight, 20);
    // Tower: p 2, side 6: offset 2, corner (4, 5), centre + 1.01.
    EXPECT_FLOAT_EQ(g.towers[0].vertices[1].x, 5.01f);
    EXPECT_EQ(g.towers[0].roofHeight, 5);
    // g of draw = 1.0, so its top colour is the file colour itself.
    EXPECT_EQ(g.boxes[0].vertices[0].diffuse, 0xFF0000u);
}

TEST(CityGeometryTest, StaleAndSurplusAnchorsAreIgnored)
{
    SmallProject p;
    p.Anchor(0, 0, 5, 1, 3, 7, 0);    // file 7 is gone
    p.Anchor(1, 10, 5, 1, 3, 0, 99);  // method 99 is gone
    p.Anchor(15, 10, 5, 1, 3, 0, 1);  // a second anchor for "draw": one box too many
    const CityGeometry g = BuildCityGeometry(p.stats, DisplayMode::Asserts);
    EXPECT_EQ(g.boxes.size(), 1u);
    EXPECT_EQ(g.towers.size(), 1u);
}

TEST(CityGeometryTest, EmptyAndFilelessProjectsBuildNothing)
{
    ProjectStats stats(nullptr);
    stats.cityGrid.Clear();
    EXPECT_TRUE(BuildCityGeometry(stats, DisplayMode::Color).boxes.empty());
    stats.cityGrid.Allocate(4, 4);
    stats.cityGrid.cells[5].height = 9;  // an anchor without any file
    stats.cityGrid.cells[5].footprint = 1;
    const CityGeometry g = BuildCityGeometry(stats, DisplayMode::Readability);
    EXPECT_TRUE(g.boxes.empty());
    EXPECT_TRUE(g.towers.empty());
    stats.cityGrid.cells.resize(3);  // inconsistent with its size: never read past it
    EXPECT_TRUE(BuildCityGeometry(stats, DisplayMode::Readability).boxes.empty());
}

TEST(CityGeometryTest, RecolourFollowsTheMode)
{
    SmallProject p;
    CityGeometry g = BuildCityGeometry(p.stats, DisplayMode::Color);
    RecolourCity(g, p.stats, DisplayMode::LineMethod);  // draw: eloc 40 > 25, value 0.2
    EXPECT_EQ(g.boxes[0].vertices[0].diffuse, HsvToColor(0, 0.55, 0.2));
}

}  // namespace codeburg
