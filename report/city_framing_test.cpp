#include "report/city_framing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "city/city_geometry.h"
#include "records/project_stats.h"

namespace codeburg {
namespace {

struct PixelBox {
    float minX = 1e30f, minY = 1e30f, maxX = -1e30f, maxY = -1e30f;
};

PixelBox Project(const FramedCamera& camera, const std::vector<Vec3>& points, int32_t w, int32_t h)
{
    PixelBox box;
    for (const Vec3& p : points) {
        float x = 0, y = 0;
        EXPECT_TRUE(ProjectToPixel(camera, p, w, h, x, y));
        box.minX = std::min(box.minX, x);
        box.maxX = std::max(box.maxX, x);
        box.minY = std::min(box.minY, y);
        box.maxY = std::max(box.maxY, y);
    }
    return box;
}

// A square city of "side" cells with a few buildings, the tallest "tall" high.
std::vector<Vec3> SquareCity(float side, float tall)
{
    std::vector<Vec3> points = {{0, 0, 0}, {side, 0, 0}, {0, 0, side}, {side, 0, side}};
    for (float x = 5; x < side - 5; x += side / 7)
        for (float z = 5; z < side - 5; z += side / 5)
            points.push_back({x, 1 + std::fmod(x * z, tall), z});
    return points;
}

TEST(CityFramingTest, MapFillsTheShorterSideAndStaysCentred)
{
    const std::vector<Vec3> city = SquareCity(200, 60);
    for (const auto& [w, h] : {std::pair{1280, 720}, {640, 360}, {400, 900}, {500, 500}}) {
        const FramedCamera camera = FramePoints(city, SnapshotView::Map, w, h);
        const PixelBox box = Project(camera, city, w, h);
        const float shorter = static_cast<float>(std::min(w, h));
        const float spanX = box.maxX - box.minX, spanY = box.maxY - box.minY;
        const float shortSpan = w < h ? spanX : h < w ? spanY : std::max(spanX, spanY);
        EXPECT_NEAR(shortSpan, kFrameShortSide * shorter, 1.0f) << w << "x" << h;
        EXPECT_LE(w <= h ? spanY : spanX, kFrameLongSide * std::max(w, h));
        EXPECT_NEAR((box.minX + box.maxX) / 2, w / 2.0f, 1.0f);
        EXPECT_NEAR((box.minY + box.maxY) / 2, h / 2.0f, 1.0f);
    }
}

TEST(CityFramingTest, MapHasNorthUpAndEastRight)
{
    const std::vector<Vec3> city = SquareCity(100, 10);
    const FramedCamera camera = FramePoints(city, SnapshotView::Map, 800, 600);
    float westX, westY, eastX, eastY, northX, northY;
    ASSERT_TRUE(ProjectToPixel(camera, {0, 0, 50}, 800, 600, westX, westY));
    ASSERT_TRUE(ProjectToPixel(camera, {100, 0, 50}, 800, 600, eastX, eastY));
    ASSERT_TRUE(ProjectToPixel(camera, {50, 0, 100}, 800, 600, northX, northY));
    EXPECT_LT(westX, eastX);
    EXPECT_NEAR(westY, eastY, 1.0f);
    EXPECT_LT(northY, westY);  // rows count downwards
}

// From the south-west the near corner is at the bottom, the far one at the
// top, and the other two left and right of the middle.
TEST(CityFramingTest, OverviewLooksFromTheSouthWest)
{
    const std::vector<Vec3> city = SquareCity(100, 10);
    const FramedCamera camera = FramePoints(city, SnapshotView::Overview, 1280, 720);
    float sw[2], ne[2], nw[2], se[2];
    ASSERT_TRUE(ProjectToPixel(camera, {0, 0, 0}, 1280, 720, sw[0], sw[1]));
    ASSERT_TRUE(ProjectToPixel(camera, {100, 0, 100}, 1280, 720, ne[0], ne[1]));
    ASSERT_TRUE(ProjectToPixel(camera, {0, 0, 100}, 1280, 720, nw[0], nw[1]));
    ASSERT_TRUE(ProjectToPixel(camera, {100, 0, 0}, 1280, 720, se[0], se[1]));
    EXPECT_GT(sw[1], ne[1]);
    EXPECT_NEAR(sw[0], ne[0], 2.0f);
    EXPECT_LT(nw[0], sw[0]);
    EXPECT_GT(se[0], sw[0]);
}

// A flat square seen at 45 degrees is twice as wide as high: the width bounds
// it, and still the height passes four fifths of the picture's.
TEST(CityFramingTest, WideOverviewIsBoundedByTheLongerSide)
{
    const std::vector<Vec3> city = SquareCity(300, 2);
    const FramedCamera camera = FramePoints(city, SnapshotView::Overview, 1280, 720);
    const PixelBox box = Project(camera, city, 1280, 720);
    EXPECT_LE(box.maxX - box.minX, kFrameLongSide * 1280 + 1);
    EXPECT_LE(box.maxY - box.minY, kFrameShortSide * 720 + 1);
    EXPECT_GE(box.maxY - box.minY, 0.8f * 720);
    EXPECT_GE(box.minX, 0.0f);
    EXPECT_LE(box.maxX, 1280.0f);
}

// A square city in a wide picture moves right of a legend that it would
// otherwise cover; one too wide for the room left stays in the middle.
TEST(CityFramingTest, CityMakesRoomForTheLegendWhenItCan)
{
    const std::vector<Vec3> city = SquareCity(200, 5);
    const PixelBox beside =
        Project(FramePoints(city, SnapshotView::Map, 640, 360, 250), city, 640, 360);
    EXPECT_GE(beside.minX, 250.0f);
    EXPECT_LE(beside.maxX, 640.0f);
    EXPECT_NEAR(beside.maxY - beside.minY, kFrameShortSide * 360, 1.0f);  // same size
    const PixelBox middle =
        Project(FramePoints(city, SnapshotView::Map, 640, 360, 400), city, 640, 360);
    EXPECT_NEAR((middle.minX + middle.maxX) / 2, 320.0f, 1.0f);
}

TEST(CityFramingTest, ALoneTowerDoesNotShrinkTheCity)
{
    ProjectStats stats(nullptr);
    stats.cityGrid.width = stats.cityGrid.height = 100;
    CityGeometry geometry;
    for (int i = 0; i < 200; ++i) {
        BoxBuilding& b = geometry.boxes.emplace_back();
        MakeBox(float(i % 90), float(i / 3), 1, i == 7 ? 20000 : 8, 0, b);
    }
    std::vector<Vec3> outline;
    CityOutline(stats, geometry, outline);
    float highest = 0;
    for (const Vec3& p : outline) highest = std::max(highest, p.y);
    EXPECT_FLOAT_EQ(highest, 10.0f);  // a tenth of the side, above twice the usual 4
}

// One method is one small box: it is still framed, not lost in the frame.
TEST(CityFramingTest, TinyAndEmptyCitiesGiveFiniteCameras)
{
    const std::vector<Vec3> one = {
        {12, 0, 12}, {13.02f, 0, 13.02f}, {12, 1, 12}, {13.02f, 1, 13.02f}};
    for (const SnapshotView view : {SnapshotView::Overview, SnapshotView::Map}) {
        const PixelBox box = Project(FramePoints(one, view, 640, 360), one, 640, 360);
        EXPECT_GE(std::max(box.maxX - box.minX, box.maxY - box.minY), 0.85f * 360);
        const FramedCamera empty = FramePoints({}, view, 640, 360);
        for (const auto& row : empty.projection.m)
            for (float v : row) EXPECT_TRUE(std::isfinite(v));
        const std::vector<Vec3> point = {{5, 0, 5}};
        float x, y;
        EXPECT_TRUE(ProjectToPixel(FramePoints(point, view, 640, 360), point[0], 640, 360, x, y));
        EXPECT_NEAR(x, 320, 1.0f);
    }
}

}  // namespace
}  // namespace codeburg
