#include "city/picking.h"

#include <gtest/gtest.h>

#include <cmath>

#include "city/city_geometry.h"

namespace codeburg {

namespace {

BoxBuilding Box(float x0, float z0)
{
    BoxBuilding b;
    MakeBox(x0, z0, 1, 21, 0xFF0000, b);  // 1.02 wide, roof at 10
    return b;
}

Ray Straight(Vec3 origin, Vec3 direction)
{
    return Ray{origin, direction};
}

}  // namespace

TEST(PickingTest, RayThroughTheCentreFollowsTheView)
{
    Camera c;
    c.x = 0.5f;
    c.y = 5.0f;
    c.z = -10.0f;
    const Ray r = PickRay(400, 300, 800, 600, CityProjection(10, 10, 0), ViewMatrix(c));
    EXPECT_NEAR(r.origin.x, 0.5f, 1e-5);
    EXPECT_NEAR(r.origin.y, 5.0f, 1e-5);
    EXPECT_NEAR(r.origin.z, -10.0f, 1e-5);
    EXPECT_NEAR(r.direction.x, 0.0f, 1e-6);
    EXPECT_NEAR(r.direction.y, 0.0f, 1e-6);
    EXPECT_NEAR(r.direction.z, 1.0f, 1e-6);
    // Left edge, top edge: (2 x 0 / 800 - 1) / cot(pi/8) = -tan(pi/8).
    const Ray corner = PickRay(0, 0, 800, 600, CityProjection(10, 10, 0), ViewMatrix(c));
    EXPECT_NEAR(corner.direction.x, -std::tan(M_PI / 8), 1e-5);
    EXPECT_NEAR(corner.direction.y, std::tan(M_PI / 8), 1e-5);
    const Ray none = PickRay(5, 5, 0, 0, CityProjection(10, 10, 0), ViewMatrix(c));
    EXPECT_NEAR(none.direction.z, 1.0f, 1e-6);  // no division by a zero-sized buffer
}

TEST(PickingTest, TriangleTestIsOneSided)
{
    const Vec3 k{0, 0, 0}, l{0, 1, 0}, m{1, 0, 0};
    // Hit along +z for this winding, not along -z from the other side.
    const bool forward = RayHitsTriangle(Straight({0.2f, 0.2f, -5}, {0, 0, 1}), k, l, m);
    const bool backward = RayHitsTriangle(Straight({0.2f, 0.2f, 5}, {0, 0, -1}), k, l, m);
    EXPECT_NE(forward, backward);
    EXPECT_FALSE(RayHitsTriangle(Straight({0.9f, 0.9f, -5}, {0, 0, 1}), k, l, m));
    EXPECT_FALSE(RayHitsTriangle(Straight({0.9f, 0.9f, 5}, {0, 0, -1}), k, l, m));
}

TEST(PickingTest, WallsAndRoofsAreHitFromOutside)
{
    const BoxBuilding b = Box(0, 0);
    const Ray fromSouth = Straight({0.5f, 5, -10}, {0, 0, 1});
    EXPECT_TRUE(RayHitsStrip(fromSouth, b.vertices.data(), 10));
    EXPECT_FALSE(RayHitsStrip(fromSouth, b.vertices.data() + 10, 4));
    const Ray fromAbove = Straight({0.5f, 50, 0.5f}, {0, -1, 0});
    EXPECT_TRUE(RayHitsStrip(fromAbove, b.vertices.data() + 10, 4));
    const Ray past = Straight({5.0f, 5, -10}, {0, 0, 1});
    EXPECT_FALSE(RayHitsStrip(past, b.vertices.data(), 10));
}

TEST(PickingTest, FirstInListWinsNotTheNearest)
{
    CityGeometry g;
    g.boxes.push_back(Box(0, 20));  // farther along the ray, but first in the list
    g.boxes.push_back(Box(0, 5));
    const PickResult r = PickBuilding(g, Straight({0.5f, 5, -10}, {0, 0, 1}));
    EXPECT_EQ(r.box, 0);
    EXPECT_EQ(r.tower, -1);
}

TEST(PickingTest, BehindTheCameraStillHits)
{
    CityGeometry g;
    g.boxes.push_back(Box(0, 0));
    const PickResult r = PickBuilding(g, Straight({0.5f, 5, 10}, {0, 0, 1}));
    EXPECT_EQ(r.box, 0);  // the box lies behind; distance is not considered
}

TEST(PickingTest, TowersOnlyWithoutABoxHit)
{
    CityGeometry g;
    g.boxes.push_back(Box(20, 0));
    TowerBuilding t;
    MakeTower(0, 0, 2, 21, 0x00FF00, t);
    g.towers.push_back(t);
    const Ray down = Straight({1.01f, 50, 1.01f}, {0.001f, -1, 0.002f});
    PickResult r = PickBuilding(g, down);
    EXPECT_EQ(r.box, -1);
    EXPECT_EQ(r.tower, 0);
    g.boxes.push_back(Box(0.5f, 0.5f));  // now a box is hit too: it takes precedence
    r = PickBuilding(g, down);
    EXPECT_EQ(r.box, 1);
    EXPECT_EQ(r.tower, -1);
    EXPECT_EQ(PickBuilding(CityGeometry{}, down).box, -1);
}

TEST(PickingTest, NearestShownBuildingInFrontIsNamed)
{
    CityGeometry g;
    g.boxes.push_back(Box(0, 20));
    g.boxes.push_back(Box(0, 5));
    g.boxes.push_back(Box(0, -20));  // behind the origin
    TowerBuilding t;
    MakeTower(0, 10, 2, 21, 0x00FF00, t);
    g.towers.push_back(t);
    const Ray north = Straight({0.5f, 5, -10}, {0, 0, 1});
    EXPECT_EQ(PickNearestBuilding(g, north, {}, {}).box, 1);

    // Hidden by the filter: the next one along the ray is named instead.
    const PickResult past = PickNearestBuilding(g, north, {true, false, true}, {true});
    EXPECT_EQ(past.box, -1);
    EXPECT_EQ(past.tower, 0);
    EXPECT_EQ(PickNearestBuilding(g, north, {true, false, true}, {false}).box, 0);

    const Ray south = Straight({0.5f, 5, 40}, {0, 0, -1});
    EXPECT_EQ(PickNearestBuilding(g, south, {}, {}).box, 0);
    const Ray away = Straight({0.5f, 5, 40}, {0, 0, 1});
    EXPECT_EQ(PickNearestBuilding(g, away, {}, {}).box, -1);
    EXPECT_EQ(PickNearestBuilding(g, away, {}, {}).tower, -1);
}

}  // namespace codeburg
