#include "city/picking.h"

#include <cstddef>

#include "city/city_geometry.h"

namespace codeburg {

namespace {

Vec3 Sub(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
float Dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec3 Position(const CityVertex& v)
{
    return {v.x, v.y, v.z};
}

// The distance along the ray (in units of its direction) at which it crosses
// triangle (k, l, m) from the front, or a negative value for no crossing.
float HitDistance(const Ray& ray, Vec3 k, Vec3 l, Vec3 m)
{
    const Vec3 e1 = Sub(l, k), e2 = Sub(m, k);
    const Vec3 p = Cross(ray.direction, e2);
    const float det = Dot(e1, p);
    if (det < 0.0001f) return -1.0f;
    const Vec3 t = Sub(ray.origin, k);
    const float u = Dot(t, p);
    if (u < 0.0f || u > det) return -1.0f;
    const Vec3 q = Cross(t, e1);
    const float v = Dot(ray.direction, q);
    if (v < 0.0f || u + v > det) return -1.0f;
    return Dot(e2, q) / det;
}

// The nearest crossing of a strip in front of the origin, or a negative value.
float StripDistance(const Ray& ray, const CityVertex* v, int32_t count)
{
    float nearest = -1.0f;
    for (int32_t k = 0; k + 2 < count; ++k) {
        const bool even = k % 2 == 0;
        const float d = HitDistance(ray, Position(v[even ? k + 2 : k]), Position(v[k + 1]),
                                    Position(v[even ? k : k + 2]));
        if (d > 0.0f && (nearest < 0.0f || d < nearest)) nearest = d;
    }
    return nearest;
}

bool Shown(const std::vector<bool>& mask, size_t i)
{
    return mask.empty() || (i < mask.size() && mask[i]);
}

}  // namespace

Ray PickRay(int32_t mx, int32_t my, int32_t bw, int32_t bh, const Mat4& p, const Mat4& view)
{
    const float fx = bw > 0 ? 2.0f * mx / bw - 1.0f : 0.0f;
    const float fy = bh > 0 ? 2.0f * my / bh - 1.0f : 0.0f;
    const float vx = p.m[0][0] != 0.0f ? fx / p.m[0][0] : 0.0f;
    const float vy = p.m[1][1] != 0.0f ? -fy / p.m[1][1] : 0.0f;
    const float vz = 1.0f;
    const Mat4 m = Inverse(view);
    Ray ray;
    ray.direction = {vx * m.m[0][0] + vy * m.m[1][0] + vz * m.m[2][0],
                     vx * m.m[0][1] + vy * m.m[1][1] + vz * m.m[2][1],
                     vx * m.m[0][2] + vy * m.m[1][2] + vz * m.m[2][2]};
    ray.origin = {m.m[3][0], m.m[3][1], m.m[3][2]};
    return ray;
}

bool RayHitsTriangle(const Ray& ray, Vec3 k, Vec3 l, Vec3 m)
{
    const Vec3 e1 = Sub(l, k), e2 = Sub(m, k);
    const Vec3 p = Cross(ray.direction, e2);
    const float det = Dot(e1, p);
    if (det < 0.0001f) return false;
    const Vec3 t = Sub(ray.origin, k);
    const float u = Dot(t, p);
    if (u < 0.0f || u > det) return false;
    const Vec3 q = Cross(t, e1);
    const float v = Dot(ray.direction, q);
    return v >= 0.0f && u + v <= det;
}

bool RayHitsStrip(const Ray& ray, const CityVertex* v, int32_t count)
{
    for (int32_t k = 0; k + 2 < count; ++k) {
        const bool even = k % 2 == 0;
        const Vec3 a = Position(v[even ? k + 2 : k]);
        const Vec3 b = Position(v[k + 1]);
        const Vec3 c = Position(v[even ? k : k + 2]);
        if (RayHitsTriangle(ray, a, b, c)) return true;
    }
    return false;
}

PickResult PickBuilding(const CityGeometry& geometry, const Ray& ray)
{
    PickResult result;
    for (size_t i = 0; i < geometry.boxes.size(); ++i) {
        const CityVertex* v = geometry.boxes[i].vertices.data();
        if (RayHitsStrip(ray, v, 10) || RayHitsStrip(ray, v + 10, 4)) {
            result.box = static_cast<int32_t>(i);
            return result;
        }
    }
    for (size_t i = 0; i < geometry.towers.size(); ++i) {
        const CityVertex* v = geometry.towers[i].vertices.data();
        if (RayHitsStrip(ray, v, 18) || RayHitsStrip(ray, v + 18, 18)) {
            result.tower = static_cast<int32_t>(i);
            return result;
        }
    }
    return result;
}

PickResult PickNearestBuilding(const CityGeometry& geometry, const Ray& ray,
                               const std::vector<bool>& boxVisible,
                               const std::vector<bool>& towerVisible)
{
    PickResult result;
    float nearest = -1.0f;
    auto consider = [&](float d) {
        if (d <= 0.0f || (nearest >= 0.0f && d >= nearest)) return false;
        nearest = d;
        return true;
    };
    for (size_t i = 0; i < geometry.boxes.size(); ++i) {
        if (!Shown(boxVisible, i)) continue;
        const CityVertex* v = geometry.boxes[i].vertices.data();
        const float walls = StripDistance(ray, v, 10), roof = StripDistance(ray, v + 10, 4);
        if (consider(walls) | consider(roof)) result = PickResult{static_cast<int32_t>(i), -1};
    }
    for (size_t i = 0; i < geometry.towers.size(); ++i) {
        if (!Shown(towerVisible, i)) continue;
        const CityVertex* v = geometry.towers[i].vertices.data();
        const float walls = StripDistance(ray, v, 18), roof = StripDistance(ray, v + 18, 18);
        if (consider(walls) | consider(roof)) result = PickResult{-1, static_cast<int32_t>(i)};
    }
    return result;
}

}  // namespace codeburg
