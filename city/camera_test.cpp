#include "city/camera.h"

#include <gtest/gtest.h>

#include <cmath>

namespace codeburg {

namespace {

Vec3 Transform(Vec3 v, const Mat4& m, float* w = nullptr)
{
    float out[4];
    for (int c = 0; c < 4; ++c)
        out[c] = v.x * m.m[0][c] + v.y * m.m[1][c] + v.z * m.m[2][c] + m.m[3][c];
    if (w) *w = out[3];
    return {out[0], out[1], out[2]};
}

}  // namespace

TEST(CameraTest, FarPlaneAndHighestRoof)
{
    EXPECT_EQ(HighestRoof(0), 120);
    EXPECT_EQ(HighestRoof(300), 180);
    EXPECT_FLOAT_EQ(FarPlane(100, 50, 300), 410.0f);  // 2 x 180 + 50
    EXPECT_FLOAT_EQ(FarPlane(400, 50, 0), 860.0f);    // 2 x 405 + 50
}

TEST(CameraTest, ProjectionIgnoresWindowShape)
{
    const Mat4 p = CityProjection(10, 10, 0);
    const float cot = 1.0f / std::tan(static_cast<float>(M_PI) / 8.0f);
    EXPECT_FLOAT_EQ(p.m[0][0], cot);
    EXPECT_FLOAT_EQ(p.m[1][1], cot);
    float w = 0;
    const Vec3 nearPoint = Transform({0, 0, 1.0f}, p, &w);
    EXPECT_NEAR(nearPoint.z / w, 0.0f, 1e-6);
    const Vec3 glNear = Transform({0, 0, 1.0f}, ToGlClip(p), &w);
    EXPECT_NEAR(glNear.z / w, -1.0f, 1e-6);
}

TEST(CameraTest, YawZeroLooksAlongZ)
{
    Camera c;
    c.x = 3;
    c.y = 2;
    c.z = 1;
    const Mat4 v = ViewMatrix(c);
    const Vec3 ahead = Transform({3, 2, 11}, v);
    EXPECT_NEAR(ahead.x, 0, 1e-5);
    EXPECT_NEAR(ahead.y, 0, 1e-5);
    EXPECT_NEAR(ahead.z, 10, 1e-5);
    const Vec3 right = Transform({4, 2, 1}, v);  // +x is to the right
    EXPECT_NEAR(right.x, 1, 1e-5);
    const Vec3 f = Forward(0.0f, static_cast<float>(M_PI / 2));
    EXPECT_NEAR(f.x, -1.0f, 1e-6);  // positive yaw turns towards -x
}

TEST(CameraTest, MapViewLooksDownOnTheCentre)
{
    const Camera c = MapViewCamera(100, 50, 300);
    EXPECT_FLOAT_EQ(c.y, 285.0f);  // 180 + 5 + 100
    EXPECT_FLOAT_EQ(c.x, 50.0f);
    EXPECT_FLOAT_EQ(c.z, 25.0f);
    EXPECT_FLOAT_EQ(c.pitch, -1.5698f);
    const Mat4 vp = ViewMatrix(c) * CityProjection(100, 50, 300);
    float w = 0;
    const Vec3 centre = Transform({50, 0, 25}, vp, &w);
    EXPECT_NEAR(centre.x / w, 0.0f, 1e-3);
    EXPECT_NEAR(centre.y / w, 0.0f, 5e-3);  // pitch stops 0.001 short of straight down
    // Rows further down the grid (larger z) appear higher on screen.
    const Vec3 north = Transform({50, 0, 35}, vp, &w);
    EXPECT_GT(north.y / w, 0.0f);
}

TEST(CameraTest, InverseUndoesTheView)
{
    Camera c;
    c.x = 5;
    c.y = 7;
    c.z = -3;
    c.pitch = -0.4f;
    c.yaw = 1.1f;
    const Mat4 v = ViewMatrix(c);
    const Mat4 product = v * Inverse(v);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(product.m[i][j], i == j ? 1.0f : 0.0f, 1e-5);
    const Mat4 singular;
    EXPECT_FLOAT_EQ(Inverse(singular).m[0][0], 1.0f);  // identity, not garbage
}

TEST(CameraTest, DefaultCameraUsesIntegerHalves)
{
    const Camera c = DefaultCamera(11, 7);
    EXPECT_FLOAT_EQ(c.x, 5.0f);
    EXPECT_FLOAT_EQ(c.y, 1.0f);
    EXPECT_FLOAT_EQ(c.z, 3.0f);
}

}  // namespace codeburg
