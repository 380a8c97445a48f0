#pragma once

#include <cstdint>

namespace codeburg {

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

// A 4 x 4 matrix for row vectors (v' = v x M), element m[row][column]. The
// translation sits in the fourth row, as the picking ray formulas expect.
// Uploaded unchanged, the same sixteen floats are the column-vector matrix a
// shader multiplies with.
struct Mat4 {
    float m[4][4] = {};

    static Mat4 Identity();
};

Mat4 operator*(const Mat4& a, const Mat4& b);
// The general inverse; the identity when the matrix is singular.
Mat4 Inverse(const Mat4& a);

// Left-handed look-at and perspective (depth 0 at the near plane, 1 at the far one).
Mat4 LookAtLH(Vec3 eye, Vec3 at, Vec3 up);
Mat4 PerspectiveFovLH(float fovY, float aspect, float zNear, float zFar);
// Remaps a depth range of 0..1 to OpenGL's -1..1; x and y are untouched, so the
// picture and the winding of every triangle stay as they were.
Mat4 ToGlClip(const Mat4& projection);

// Where the camera is and where it looks; the five numbers of a viewpoint.
struct Camera {
    float x = 0, y = 1, z = 0;
    float pitch = 0, yaw = 0;
};

// (-sin yaw cos pitch, sin pitch, cos yaw cos pitch): yaw 0 looks along +z.
Vec3 Forward(float pitch, float yaw);
Mat4 ViewMatrix(const Camera& camera);

// max(120, longest method eloc x 60 / 100), integer arithmetic.
int32_t HighestRoof(int32_t maxMethodEloc);
// 2 x max(W + 5, H + 5, highest roof) + 50.
float FarPlane(int32_t gridWidth, int32_t gridHeight, int32_t maxMethodEloc);
// Field of view pi/4 and aspect 1.0 whatever the window's shape, near 1.
Mat4 CityProjection(int32_t gridWidth, int32_t gridHeight, int32_t maxMethodEloc);

// High above the centre looking down; the height grows with the city width.
Camera MapViewCamera(int32_t gridWidth, int32_t gridHeight, int32_t maxMethodEloc);
// A project shown without a viewpoint: at the centre on the ground, looking along +z.
Camera DefaultCamera(int32_t gridWidth, int32_t gridHeight);

}  // namespace codeburg
