#include "report/city_framing.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "city/city_geometry.h"
#include "records/project_stats.h"

namespace codeburg {

namespace {

// A narrow lens keeps the near side of a tall city from swelling.
constexpr float kFieldOfView = static_cast<float>(M_PI / 6);

struct Transformed {
    float x, y, z, w;
};

Transformed Apply(const Mat4& m, Vec3 p)
{
    Transformed r;
    r.x = p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0];
    r.y = p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1];
    r.z = p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2];
    r.w = p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + m.m[3][3];
    return r;
}

struct Box3 {
    Vec3 lo{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
            std::numeric_limits<float>::max()};
    Vec3 hi{std::numeric_limits<float>::lowest(), std::numeric_limits<float>::lowest(),
            std::numeric_limits<float>::lowest()};
    void add(Vec3 p)
    {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
};

}  // namespace

FramedCamera FramePoints(std::span<const Vec3> points, SnapshotView view, int32_t width,
                         int32_t height, int32_t reservedLeft)
{
    static const Vec3 kUnitSquare[] = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {1, 0, 1}};
    if (points.empty()) points = kUnitSquare;
    width = std::max(width, 1);
    height = std::max(height, 1);

    Box3 box;
    for (const Vec3& p : points) box.add(p);
    const Vec3 centre{(box.lo.x + box.hi.x) / 2, (box.lo.y + box.hi.y) / 2,
                      (box.lo.z + box.hi.z) / 2};
    const float dx = box.hi.x - box.lo.x, dy = box.hi.y - box.lo.y, dz = box.hi.z - box.lo.z;
    const float radius = std::max(0.5f * std::sqrt(dx * dx + dy * dy + dz * dz), 0.5f);
    // Far enough that the whole bounding sphere lies in front of the camera;
    // the projection below then zooms onto the points themselves.
    const float distance = radius / std::sin(kFieldOfView / 2) * 1.05f;

    FramedCamera camera;
    if (view == SnapshotView::Map) {
        const Vec3 eye{centre.x, centre.y + distance, centre.z};
        camera.view = LookAtLH(eye, centre, Vec3{0, 0, 1});  // north up, east right
    } else {
        // Looking north-east and 45 degrees down: horizontal and vertical legs equal.
        const float leg = distance / std::sqrt(2.0f);
        const Vec3 eye{centre.x - leg / std::sqrt(2.0f), centre.y + leg,
                       centre.z - leg / std::sqrt(2.0f)};
        camera.view = LookAtLH(eye, centre, Vec3{0, 1, 0});
    }

    float nearest = std::numeric_limits<float>::max(), farthest = 0;
    for (const Vec3& p : points) {
        const float depth = Apply(camera.view, p).z;
        nearest = std::min(nearest, depth);
        farthest = std::max(farthest, depth);
    }
    const float zNear = std::max(nearest * 0.5f, 0.01f);
    const float zFar = std::max(farthest * 1.5f + 1.0f, zNear * 2);
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    Mat4 projection = PerspectiveFovLH(kFieldOfView, aspect, zNear, zFar);

    // The points' extent on the screen, in normalised device coordinates.
    const Mat4 viewProjection = camera.view * projection;
    float minX = std::numeric_limits<float>::max(), maxX = std::numeric_limits<float>::lowest();
    float minY = minX, maxY = maxX;
    for (const Vec3& p : points) {
        const Transformed c = Apply(viewProjection, p);
        if (c.w <= 0) continue;  // cannot happen: the camera stands outside the sphere
        minX = std::min(minX, c.x / c.w);
        maxX = std::max(maxX, c.x / c.w);
        minY = std::min(minY, c.y / c.w);
        maxY = std::max(maxY, c.y / c.w);
    }
    // Pixels are square, so compare the extents in pixels, then scale and
    // shift in clip space: a zoom that keeps the perspective.
    const float spanX = std::max((maxX - minX) * 0.5f * width, 1e-6f);
    const float spanY = std::max((maxY - minY) * 0.5f * height, 1e-6f);
    const bool landscape = width >= height;
    const float fillX = landscape ? kFrameLongSide : kFrameShortSide;
    const float fillY = landscape ? kFrameShortSide : kFrameLongSide;
    const float scale = std::min(fillX * width / spanX, fillY * height / spanY);
    const float midX = (minX + maxX) / 2, midY = (minY + maxY) / 2;
    // Beside the legend when the box fits there whole, else in the middle.
    float centreX = 0;
    const float boxWidth = spanX * scale, margin = (1 - kFrameLongSide) * width / 2;
    if (reservedLeft > 0 && reservedLeft + boxWidth + margin <= width)
        centreX = (reservedLeft + (width - reservedLeft) / 2.0f) * 2 / width - 1;
    for (int row = 0; row < 4; ++row) {
        projection.m[row][0] = scale * (projection.m[row][0] - midX * projection.m[row][3]) +
                               centreX * projection.m[row][3];
        projection.m[row][1] = scale * (projection.m[row][1] - midY * projection.m[row][3]);
    }
    camera.projection = projection;
    return camera;
}

void CityOutline(const ProjectStats& stats, const CityGeometry& geometry, std::vector<Vec3>& points)
{
    points.clear();
    const float w = static_cast<float>(stats.cityGrid.width);
    const float h = static_cast<float>(stats.cityGrid.height);
    if (w > 0 && h > 0) {
        points.push_back({0, 0, 0});
        points.push_back({w, 0, 0});
        points.push_back({0, 0, h});
        points.push_back({w, 0, h});
    }
    // The roofs and tops suffice: every wall stands between them and the ground.
    for (const BoxBuilding& b : geometry.boxes)
        for (size_t i = 10; i < b.vertices.size(); ++i)
            points.push_back({b.vertices[i].x, b.vertices[i].y, b.vertices[i].z});
    for (const TowerBuilding& t : geometry.towers)
        for (size_t i = 18; i < t.vertices.size(); ++i)
            points.push_back({t.vertices[i].x, t.vertices[i].y, t.vertices[i].z});
    if (points.size() <= 4) return;
    // One generated method of ten thousand lines would shrink the city to a
    // speck under its tower: heights beyond twice the 99th percentile (and a
    // tenth of the city's side) leave the frame instead.
    std::vector<float> heights;
    heights.reserve(points.size());
    for (const Vec3& p : points) heights.push_back(p.y);
    const auto percentile = heights.begin() + std::ptrdiff_t(heights.size() * 99 / 100);
    std::nth_element(heights.begin(), percentile, heights.end());
    const float cap = std::max(2 * *percentile, 0.1f * std::max(w, h));
    for (Vec3& p : points) p.y = std::min(p.y, cap);
}

bool ProjectToPixel(const FramedCamera& camera, Vec3 point, int32_t width, int32_t height,
                    float& px, float& py)
{
    const Transformed c = Apply(camera.view * camera.projection, point);
    if (c.w <= 0) return false;
    px = (c.x / c.w + 1) * 0.5f * static_cast<float>(width);
    py = (1 - c.y / c.w) * 0.5f * static_cast<float>(height);
    return true;
}

}  // namespace codeburg
