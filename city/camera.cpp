#include "city/camera.h"

#include <algorithm>
#include <cmath>

namespace codeburg {

namespace {

Vec3 Sub(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 Add(Vec3 a, Vec3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
float Dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec3 Normalise(Vec3 a)
{
    const float length = std::sqrt(Dot(a, a));
    if (length <= 0.0f) return a;
    return {a.x / length, a.y / length, a.z / length};
}

// Just short of -pi/2, so that the look-at with up (0, 1, 0) keeps a direction.
constexpr float kMapPitch = -1.5698f;

}  // namespace

Mat4 Mat4::Identity()
{
    Mat4 r;
    for (int i = 0; i < 4; ++i) r.m[i][i] = 1.0f;
    return r;
}

Mat4 operator*(const Mat4& a, const Mat4& b)
{
    Mat4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += a.m[i][k] * b.m[k][j];
            r.m[i][j] = sum;
        }
    return r;
}

Mat4 Inverse(const Mat4& a)
{
    // Gauss-Jordan with partial pivoting, in double for the small view matrices.
    double w[4][8];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            w[i][j] = a.m[i][j];
            w[i][j + 4] = i == j ? 1.0 : 0.0;
        }
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(w[r][col]) > std::fabs(w[pivot][col])) pivot = r;
        if (std::fabs(w[pivot][col]) < 1e-12) return Mat4::Identity();
        if (pivot != col)
            for (int j = 0; j < 8; ++j) std::swap(w[pivot][j], w[col][j]);
        const double d = w[col][col];
        for (int j = 0; j < 8; ++j) w[col][j] /= d;
        for (int r = 0; r < 4; ++r) {
            if (r == col) continue;
            const double f = w[r][col];
            for (int j = 0; j < 8; ++j) w[r][j] -= f * w[col][j];
        }
    }
    Mat4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = static_cast<float>(w[i][j + 4]);
    return r;
}

Mat4 LookAtLH(Vec3 eye, Vec3 at, Vec3 up)
{
    const Vec3 zAxis = Normalise(Sub(at, eye));
    const Vec3 xAxis = Normalise(Cross(up, zAxis));
    const Vec3 yAxis = Cross(zAxis, xAxis);
    Mat4 r;
    r.m[0][0] = xAxis.x;
    r.m[0][1] = yAxis.x;
    r.m[0][2] = zAxis.x;
    r.m[1][0] = xAxis.y;
    r.m[1][1] = yAxis.y;
    r.m[1][2] = zAxis.y;
    r.m[2][0] = xAxis.z;
    r.m[2][1] = yAxis.z;
    r.m[2][2] = zAxis.z;
    r.m[3][0] = -Dot(xAxis, eye);
    r.m[3][1] = -Dot(yAxis, eye);
    r.m[3][2] = -Dot(zAxis, eye);
    r.m[3][3] = 1.0f;
    return r;
}

Mat4 PerspectiveFovLH(float fovY, float aspect, float zNear, float zFar)
{
    const float yScale = 1.0f / std::tan(fovY / 2.0f);
    const float xScale = yScale / aspect;
    Mat4 r;
    r.m[0][0] = xScale;
    r.m[1][1] = yScale;
    r.m[2][2] = zFar / (zFar - zNear);
    r.m[2][3] = 1.0f;
    r.m[3][2] = -zNear * zFar / (zFar - zNear);
    return r;
}

Mat4 ToGlClip(const Mat4& p)
{
    Mat4 r = p;
    for (int row = 0; row < 4; ++row) r.m[row][2] = 2.0f * p.m[row][2] - p.m[row][3];
    return r;
}

Vec3 Forward(float pitch, float yaw)
{
    return {-std::sin(yaw) * std::cos(pitch), std::sin(pitch), std::cos(yaw) * std::cos(pitch)};
}

Mat4 ViewMatrix(const Camera& camera)
{
    const Vec3 eye{camera.x, camera.y, camera.z};
    return LookAtLH(eye, Add(eye, Forward(camera.pitch, camera.yaw)), Vec3{0.0f, 1.0f, 0.0f});
}

int32_t HighestRoof(int32_t maxMethodEloc)
{
    return std::max<int32_t>(120, static_cast<int32_t>(int64_t(maxMethodEloc) * 60 / 100));
}

float FarPlane(int32_t gridWidth, int32_t gridHeight, int32_t maxMethodEloc)
{
    const int64_t largest = std::max<int64_t>(
        {int64_t(gridWidth) + 5, int64_t(gridHeight) + 5, HighestRoof(maxMethodEloc)});
    return static_cast<float>(2 * largest + 50);
}

Mat4 CityProjection(int32_t gridWidth, int32_t gridHeight, int32_t maxMethodEloc)
{
    return PerspectiveFovLH(static_cast<float>(M_PI / 4), 1.0f, 1.0f,
                            FarPlane(gridWidth, gridHeight, maxMethodEloc));
}

Camera MapViewCamera(int32_t gridWidth, int32_t gridHeight, int32_t maxMethodEloc)
{
    Camera c;
    c.y = static_cast<float>(int64_t(maxMethodEloc) * 60 / 100 + 5 + gridWidth);
    c.x = static_cast<float>(gridWidth / 2);
    c.z = static_cast<float>(gridHeight / 2);
    c.yaw = 0.0f;
    c.pitch = kMapPitch;
    return c;
}

Camera DefaultCamera(int32_t gridWidth, int32_t gridHeight)
{
    Camera c;
    c.x = static_cast<float>(gridWidth / 2);
    c.y = 1.0f;
    c.z = static_cast<float>(gridHeight / 2);
    return c;
}

}  // namespace codeburg
