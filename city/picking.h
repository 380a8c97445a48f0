#pragma once

#include <cstdint>
#include <vector>

#include "city/camera.h"

namespace codeburg {

struct CityGeometry;
struct CityVertex;

struct Ray {
    Vec3 origin;
    Vec3 direction;  // not normalised
};

// The ray through the cursor (mx, my), in client pixels of a back buffer of
// bw x bh, for the given projection and view. A zero-sized buffer gives a ray
// through the centre.
Ray PickRay(int32_t mx, int32_t my, int32_t bw, int32_t bh, const Mat4& projection,
            const Mat4& view);

// One-sided test: triangles seen from behind (det < 0.0001) never hit. How far
// along the ray the hit lies is not considered.
bool RayHitsTriangle(const Ray& ray, Vec3 k, Vec3 l, Vec3 m);
// Triangle k of a strip is (k, k+1, k+2) with the first and third swapped for even k.
bool RayHitsStrip(const Ray& ray, const CityVertex* vertices, int32_t count);

struct PickResult {
    int32_t box = -1;
    int32_t tower = -1;
};
// The first box in list order that the ray hits; only without one, the first
// tower. Not the nearest building: that is how the city has always picked.
PickResult PickBuilding(const CityGeometry& geometry, const Ray& ray);

// The building nearest along the ray, in front of its origin, that is shown:
// a mask, when not empty, holds one flag per box or tower (false: hidden).
// What the pointer names when the user asks which building is which.
PickResult PickNearestBuilding(const CityGeometry& geometry, const Ray& ray,
                               const std::vector<bool>& boxVisible,
                               const std::vector<bool>& towerVisible);

}  // namespace codeburg
